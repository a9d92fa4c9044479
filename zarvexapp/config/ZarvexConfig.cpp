#include "zarvexapp/config/ZarvexConfig.h"

#include "platform/Dialog.h"
#include "platform/Modules.h"
#include "platform/WideText.h"
#include "platform/WinFormat.h"
#include "zarvexapp/config/PluginProbe.h"
#include "zarvexapp/shell/SplashAppFind.h"

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
      m_bDiscoveryComplete(false), m_pSplash(nullptr), m_uNumberOfAvailableApps(0),
      m_pApplications(nullptr), m_ppCommsDllNames(nullptr), m_uCommsDlls(0),
      m_hCommsModule(nullptr), m_ppTunerModuleDllNames(nullptr), m_uTunerModuleDlls(0),
      m_hTunerModule(nullptr), m_ppPlatformDllNames(nullptr), m_uPlatformDlls(0),
      m_hPlatformModule(nullptr), m_pTargetPlatforms(nullptr), m_uTargetPlatforms(0),
      m_pGlobalTargetPlatforms(nullptr), m_uGlobalTargetPlatforms(0),
      m_hApplicationModule(nullptr) {}

CZarvexConfig::~CZarvexConfig() {
    UnloadApplication();
    // What the application kept loaded for its run.
    UnloadTunerModuleDll();
    UnloadPlatformDll();
    m_pMainAppAreaRect.reset();
    m_pMainStatusRect.reset();
    m_pSmallAppLogoRect.reset();
    m_pProgressCtrlRect.reset();
    m_pPrintWindowRect.reset();
    if (m_pSplash) {
        if (m_pSplash->GetSafeHwnd())
            m_pSplash->DestroyWindow();
        delete m_pSplash;
        m_pSplash = nullptr;
    }

    if (FILE* file = zx::LogStream(m_pDebugFile).exchange(nullptr)) {
        const std::string line = zx::WideToUtf8(L"\nLog file closed " + zx::CTimeNow() + L"\n");
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
    for (FILE* retired : m_retiredDebugFiles)
        std::fclose(retired);

    FreeApplicationTable();
    RemoveGlobalTargetPlatforms();
    RemoveTargetPlatforms();
    FreeTable(m_ppCommsDllNames, m_uCommsDlls);
    FreeTable(m_ppTunerModuleDllNames, m_uTunerModuleDlls);
    FreeTable(m_ppPlatformDllNames, m_uPlatformDlls);
}

CDialog* CZarvexConfig::GetParentGui() {
    return m_pParentGui;
}

// ---- Communications table ----------------------------------------------------

bool CZarvexConfig::GrowTable(CString**& table, unsigned int& size, unsigned int uIndex) {
    if (uIndex == 0xFFFFFFFFu)
        return false; // "no index": a table of 2^32 entries is never meant
    if (uIndex >= size) {
        auto** grown = new CString*[uIndex + 1]();
        for (unsigned int i = 0; i < size; ++i)
            grown[i] = table[i];
        delete[] table;
        table = grown;
        size = uIndex + 1;
    }
    return true;
}

void CZarvexConfig::AddToTable(CString**& table, unsigned int& size, unsigned int uIndex,
                               const wchar_t* pName) {
    if (GrowTable(table, size, uIndex) && pName) {
        delete table[uIndex];
        table[uIndex] = new CString(pName);
    }
}

void CZarvexConfig::FreeTable(CString**& table, unsigned int& size) {
    for (unsigned int i = 0; i < size; ++i)
        delete table[i];
    delete[] table;
    table = nullptr;
    size = 0;
}

void CZarvexConfig::ReleaseModule(HMODULE& module) {
    if (module) {
        FreeLibrary(module);
        module = nullptr;
    }
}

bool CZarvexConfig::ReloadModule(HMODULE& module, const CString* name) {
    if (!name)
        return false;
    ReleaseModule(module);
    module = LoadLibraryW(*name);
    return module != nullptr;
}

void CZarvexConfig::AddCommsDll(unsigned int uIndex, const wchar_t* pName) {
    AddToTable(m_ppCommsDllNames, m_uCommsDlls, uIndex, pName);
}

CString* CZarvexConfig::GetCommsDllName(unsigned int uIndex) {
    return uIndex < m_uCommsDlls ? m_ppCommsDllNames[uIndex] : nullptr;
}

bool CZarvexConfig::IsCommsDllSupported(unsigned int uIndex) {
    return GetCommsDllName(uIndex) != nullptr;
}

// ---- Tuner-module and target-platform tables ------------------------------------------

void CZarvexConfig::AddTunerModuleDll(unsigned int uIndex, const wchar_t* pName) {
    AddToTable(m_ppTunerModuleDllNames, m_uTunerModuleDlls, uIndex, pName);
}

CString* CZarvexConfig::GetTunerModuleDllName(unsigned int uIndex) {
    return GrowTable(m_ppTunerModuleDllNames, m_uTunerModuleDlls, uIndex)
               ? m_ppTunerModuleDllNames[uIndex]
               : nullptr;
}

bool CZarvexConfig::IsTunerModuleDllSupported(unsigned int uIndex) {
    return GetTunerModuleDllName(uIndex) != nullptr;
}

unsigned int CZarvexConfig::GetNumberOfTunerModules() {
    return m_uTunerModuleDlls;
}

bool CZarvexConfig::LoadTunerModuleDll(unsigned int uIndex) {
    if (uIndex >= m_uTunerModuleDlls)
        return false;
    return ReloadModule(m_hTunerModule, m_ppTunerModuleDllNames[uIndex]);
}

void CZarvexConfig::UnloadTunerModuleDll() {
    ReleaseModule(m_hTunerModule);
}

void CZarvexConfig::AddPlatformDll(unsigned int uIndex, const wchar_t* pName) {
    AddToTable(m_ppPlatformDllNames, m_uPlatformDlls, uIndex, pName);
}

CString* CZarvexConfig::GetPlatformDllName(unsigned int uIndex) {
    return GrowTable(m_ppPlatformDllNames, m_uPlatformDlls, uIndex) ? m_ppPlatformDllNames[uIndex]
                                                                    : nullptr;
}

bool CZarvexConfig::IsPlatformDllSupported(unsigned int uIndex) {
    return GetPlatformDllName(uIndex) != nullptr;
}

bool CZarvexConfig::LoadPlatformDll(unsigned int uIndex) {
    return ReloadModule(m_hPlatformModule, GetPlatformDllName(uIndex));
}

void CZarvexConfig::UnloadPlatformDll() {
    ReleaseModule(m_hPlatformModule);
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
    // A plug-in tried in a child process leaves the log to the host.
    if (zx::PluginProbe::InChild())
        return;
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
