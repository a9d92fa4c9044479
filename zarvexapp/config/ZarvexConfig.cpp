#include "zarvexapp/config/ZarvexConfig.h"

#include "platform/Dialog.h"
#include "platform/WideText.h"
#include "platform/WinFormat.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <cwchar>
#include <string>

#include <sys/stat.h>

namespace zx {
namespace {

// The stream pointer is read by both threads; a reader may still hold a
// stream it loaded, so a replaced stream is closed only at destruction.
std::atomic_ref<FILE*> LogStream(FILE*& file) {
    return std::atomic_ref<FILE*>(file);
}

// The C library's ctime form ("Thu Aug 26 14:03:27 2010\n"), empty when the
// time cannot be converted.
std::wstring CTimeNow() {
    const std::time_t now = std::time(nullptr);
    char buffer[80] = {};
    if (!ctime_r(&now, buffer))
        return std::wstring();
    return NarrowToWide(buffer);
}

// The locale's time of day ("%X"), empty when it cannot be had.
CString TimeOfDayNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return CString();
    wchar_t buffer[128] = {};
    if (std::wcsftime(buffer, 128, L"%X", &local) == 0)
        return CString();
    return CString(buffer);
}

} // namespace
} // namespace zx

CZarvexConfig::CZarvexConfig(CDialog* pParentGui)
    : m_pParentGui(pParentGui), m_strLocalUrl(L""), m_pDebugFile(nullptr), m_sUsb(0),
      m_ppCommsDllNames(nullptr), m_uCommsDlls(0), m_hApplicationModule(nullptr) {}

CZarvexConfig::~CZarvexConfig() {
    for (unsigned int i = 0; i < m_uCommsDlls; ++i)
        delete m_ppCommsDllNames[i];
    delete[] m_ppCommsDllNames;
    m_ppCommsDllNames = nullptr;
    m_uCommsDlls = 0;

    if (FILE* file = zx::LogStream(m_pDebugFile).exchange(nullptr)) {
        const std::string line = zx::WideToUtf8(L"\nLog file closed " + zx::CTimeNow() + L"\n");
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
    for (FILE* retired : m_retiredDebugFiles)
        std::fclose(retired);
}

CDialog* CZarvexConfig::GetParentGui() {
    return m_pParentGui;
}

// ---- Communications table ----------------------------------------------------

void CZarvexConfig::AddCommsDll(unsigned int uIndex, const wchar_t* pName) {
    if (uIndex == 0xFFFFFFFFu)
        return; // "no index": a table of 2^32 entries is never meant
    if (uIndex >= m_uCommsDlls) {
        auto** grown = new CString*[uIndex + 1]();
        for (unsigned int i = 0; i < m_uCommsDlls; ++i)
            grown[i] = m_ppCommsDllNames[i];
        delete[] m_ppCommsDllNames;
        m_ppCommsDllNames = grown;
        m_uCommsDlls = uIndex + 1;
    }
    if (pName) {
        delete m_ppCommsDllNames[uIndex];
        m_ppCommsDllNames[uIndex] = new CString(pName);
    }
}

CString* CZarvexConfig::GetCommsDllName(unsigned int uIndex) {
    return uIndex < m_uCommsDlls ? m_ppCommsDllNames[uIndex] : nullptr;
}

bool CZarvexConfig::IsCommsDllSupported(unsigned int uIndex) {
    return GetCommsDllName(uIndex) != nullptr;
}

// ---- Loaded application ----------------------------------------------------------

CString CZarvexConfig::GetApplicationShortTitle() {
    return m_strApplicationShortTitle;
}

short CZarvexConfig::GetUsb() {
    return m_sUsb;
}

void CZarvexConfig::SetUsb(short sUsb) {
    m_sUsb = sUsb;
}

// ---- Diagnostic log ----------------------------------------------------------------

void CZarvexConfig::EnableDebugFile(const wchar_t* pPath) {
    if (!pPath || !*pPath)
        return;
    const std::string path = zx::WideToUtf8(pPath);
    // The file the log already writes is in use, as on Windows: truncating it
    // under the open stream would leave a hole in the log.
    if (FILE* current = zx::LogStream(m_pDebugFile).load()) {
        struct stat inUse = {};
        struct stat named = {};
        if (fstat(fileno(current), &inUse) == 0 && stat(path.c_str(), &named) == 0 &&
            inUse.st_dev == named.st_dev && inUse.st_ino == named.st_ino)
            return;
    }
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return;
    if (FILE* old = zx::LogStream(m_pDebugFile).exchange(file))
        m_retiredDebugFiles.push_back(old);
    WriteToLog(L"Log file created " + zx::CTimeNow() + L"\n");
}

void CZarvexConfig::PrintToDebugFile(const wchar_t* pFormat, const wchar_t* pArg1,
                                     const wchar_t* pArg2, const wchar_t* pArg3) {
    CString stamp = zx::TimeOfDayNow();
    PrintToDebugFileActual(&stamp, pFormat, pArg1, pArg2, pArg3);
}

void CZarvexConfig::PrintToDebugFileActual(CString* pTime, const wchar_t* pFormat,
                                           const wchar_t* pArg1, const wchar_t* pArg2,
                                           const wchar_t* pArg3) {
    if (!zx::LogStream(m_pDebugFile).load() || !pFormat)
        return;
    std::wstring entry = pTime ? pTime->str() : std::wstring();
    entry += L" - ";
    const std::uintptr_t args[3] = {reinterpret_cast<std::uintptr_t>(pArg1),
                                    reinterpret_cast<std::uintptr_t>(pArg2),
                                    reinterpret_cast<std::uintptr_t>(pArg3)};
    if (!zx::TryAppendFormatArgs(entry, pFormat, args, 3))
        return; // an unreadable argument text: this entry only is abandoned
    WriteToLog(entry);
}

void CZarvexConfig::WriteToLog(const std::wstring& text) {
    FILE* file = zx::LogStream(m_pDebugFile).load();
    if (!file)
        return;
    const std::string bytes = zx::WideToUtf8(text);
    // One call per entry: the stream's lock keeps entries whole.
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fflush(file);
}

// ---- Layout, colours and settings ----------------------------------------------------

void CZarvexConfig::RecordControlRect(std::unique_ptr<CRect>& place, unsigned int uId) {
    CWnd* control = m_pParentGui ? m_pParentGui->GetDlgItem(static_cast<int>(uId)) : nullptr;
    if (!control) {
        CString id;
        id.Format(L"%u", uId);
        PrintToDebugFile(L"ERROR : The host dialog has no placeholder control %s\n", id);
        return;
    }
    if (!place)
        place = std::make_unique<CRect>();
    control->GetWindowRect(place.get());
    m_pParentGui->ScreenToClient(place.get());
}

void CZarvexConfig::SetMainAppAreaRect(unsigned int uId) {
    RecordControlRect(m_pMainAppAreaRect, uId);
}

void CZarvexConfig::SetMainStatusRect(unsigned int uId) {
    RecordControlRect(m_pMainStatusRect, uId);
}

void CZarvexConfig::SetSmallAppLogoRect(unsigned int uId) {
    RecordControlRect(m_pSmallAppLogoRect, uId);
}

void CZarvexConfig::SetProgressCtrlRect(unsigned int uId) {
    RecordControlRect(m_pProgressCtrlRect, uId);
}

void CZarvexConfig::SetPrintWindowRect(unsigned int uId) {
    RecordControlRect(m_pPrintWindowRect, uId);
}

CRect* CZarvexConfig::GetMainAppAreaRect() {
    return m_pMainAppAreaRect.get();
}

CRect* CZarvexConfig::GetMainStatusRect() {
    return m_pMainStatusRect.get();
}

CRect* CZarvexConfig::GetSmallAppLogoRect() {
    return m_pSmallAppLogoRect.get();
}

CRect* CZarvexConfig::GetProgressCtrlRect() {
    return m_pProgressCtrlRect.get();
}

CRect* CZarvexConfig::GetPrintWindowRect() {
    return m_pPrintWindowRect.get();
}

HBRUSH CZarvexConfig::GetMainBackgroundBrush() {
    return m_MainBackgroundBrush.GetSafeHandle();
}

HBRUSH CZarvexConfig::GetTabPageBackgroundBrush() {
    return m_TabPageBackgroundBrush.GetSafeHandle();
}

CString CZarvexConfig::GetRegistryBaseKey() {
    return m_strRegistryBaseKey;
}

void CZarvexConfig::SetRegistryBaseKey(const wchar_t* pKey) {
    m_strRegistryBaseKey = pKey ? pKey : L"";
}

CString CZarvexConfig::GetLocalUrl() {
    return m_strLocalUrl;
}

void CZarvexConfig::SetLocalUrl(const wchar_t* pUrl) {
    m_strLocalUrl = pUrl ? pUrl : L"";
}
