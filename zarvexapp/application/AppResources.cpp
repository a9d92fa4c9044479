// CZarvexAppBase: what an application plug-in says about itself. Title and
// version come from the version block of the plug-in's file; the
// description, the hardware texts and the PDF brief are resources of the
// loaded plug-in. Every reader gives up with a text, logged as a handled
// exception, and then yields an empty result.

#include "zarvexapp/application/ZarvexAppBase.h"

#include "cmnctrls/VersionInfo.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/WideText.h"
#include "zarvexapp/application/Failure.h"
#include "zarvexapp/contracts/Globals.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kPathChars = 520;

// Failure texts of the three steps of a text resource read: find, load, lock.
const wchar_t* const kDescriptionTexts[3] = {L"Could not find descripton resource!\n",
                                             L"Could not load descripton resource!\n",
                                             L"Could not lock descripton resource!\n"};
const wchar_t* const kHwVersionTexts[3] = {L"Could not find hardware version resource!\n",
                                           L"Could not load hardware version resource!\n",
                                           L"Could not lock hardware version resource!\n"};
const wchar_t* const kHwFeaturesTexts[3] = {L"Could not find hardware features resource!\n",
                                            L"Could not load hardware features resource!\n",
                                            L"Could not lock hardware features resource!\n"};

CString ResourceName(unsigned int uId) {
    CString name;
    name.Format(L"#%u", uId);
    return name;
}

// The resource of the first type that has it; null for no module, which
// would otherwise search the host program.
HRSRC FindEither(HMODULE module, const wchar_t* name, const wchar_t* first, const wchar_t* second) {
    if (!module)
        return nullptr;
    HRSRC found = FindResourceW(module, name, first);
    return found ? found : FindResourceW(module, name, second);
}

// The version folder of a path in a hardware version text: from the last
// 'v', up to (not including) the last backslash after it.
CString CutVersion(const CString& text) {
    const int v = text.ReverseFind(L'v');
    const CString fromV = v >= 0 ? text.Mid(v) : text;
    const int slash = fromV.ReverseFind(L'\\');
    return slash >= 0 ? fromV.Left(slash) : CString();
}

} // namespace

CString CZarvexAppBase::ModuleVersionValue(HMODULE module, const wchar_t* key) {
    // A null handle would name the host program.
    if (!module)
        return CString();
    wchar_t path[kPathChars] = {};
    if (GetModuleFileNameW(module, path, kPathChars) == 0)
        return CString();
    CVersionInfo info;
    info.GetFileVersionInfoW(path);
    return info.GetValue(key);
}

void CZarvexAppBase::SetDescription(unsigned int uId) {
    m_strDescription = ResourceName(uId);
}

void CZarvexAppBase::SetPdf(unsigned int uId) {
    m_strPdf = ResourceName(uId);
}

void CZarvexAppBase::SetLink(CString strLink) {
    m_strLink = strLink;
}

bool CZarvexAppBase::ApplicationDescriptionAvailable() {
    return !m_strDescription.IsEmpty();
}

bool CZarvexAppBase::ApplicationPdfAvailable() {
    return !m_strPdf.IsEmpty();
}

bool CZarvexAppBase::ApplicationLinkAvailable() {
    return !m_strLink.IsEmpty();
}

// ---- Version block ------------------------------------------------------------------

void CZarvexAppBase::GetApplicationTitle(CString* pTitle, bool bRemoveApplication) {
    if (pTitle)
        *pTitle = GetApplicationTitle(bRemoveApplication);
}

CString CZarvexAppBase::GetApplicationTitle(bool bRemoveApplication) {
    const CString title = ModuleVersionValue(ApplicationModule(), L"FileDescription");
    static const wchar_t kWord[] = L"Application";
    constexpr int kWordLength = 11;
    if (!bRemoveApplication || title.GetLength() < kWordLength || title.Right(kWordLength) != kWord)
        return title;
    // The word and the one character before it (normally a blank).
    return title.Left(title.GetLength() - (kWordLength + 1));
}

void CZarvexAppBase::GetApplicationShortTitle(CString* pTitle) {
    if (pTitle)
        *pTitle = GetApplicationShortTitle();
}

CString CZarvexAppBase::GetApplicationShortTitle() {
    return g_pZarvexConfig ? g_pZarvexConfig->GetApplicationShortTitle() : CString();
}

void CZarvexAppBase::GetApplicationVersion(CString* pVersion) {
    if (pVersion)
        *pVersion = GetApplicationVersion();
}

CString CZarvexAppBase::GetApplicationVersion() {
    return ModuleVersionValue(ApplicationModule(), L"FileVersion");
}

// ---- Text resources -------------------------------------------------------------------

CString CZarvexAppBase::ReadTextResource(const wchar_t* name, const wchar_t* const texts[3]) {
    const HMODULE module = ApplicationModule();
    HRSRC resource = FindEither(module, name, L"TEXT", L"BITSTREAM");
    if (!resource)
        throw zx::Failure(texts[0]);
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded)
        throw zx::Failure(texts[1]);
    const DWORD size = SizeofResource(module, resource);
    const void* bytes = LockResource(loaded);
    if (!bytes)
        throw zx::Failure(texts[2]);
    // Two zero bytes after the text end one that carries no terminator.
    std::vector<char> buffer(size + 2, '\0');
    std::memcpy(buffer.data(), bytes, size);
    return CString(zx::AnsiToWide(buffer.data(), buffer.size()));
}

void CZarvexAppBase::GetApplicationDescription(CString* pDescription) {
    if (pDescription)
        *pDescription = GetApplicationDescription();
}

CString CZarvexAppBase::GetApplicationDescription() {
    try {
        return ReadTextResource(m_strDescription, kDescriptionTexts);
    } catch (const zx::Failure& failure) {
        PrintToDebugFile(L"### Handling Exception - %s\n", failure.Text());
        return CString();
    }
}

void CZarvexAppBase::ExtractPlatformHwVersionText(CString* pText, unsigned int uId) {
    if (pText)
        *pText = ExtractPlatformHwVersionText(uId);
}

CString CZarvexAppBase::ExtractPlatformHwVersionText(unsigned int uId) {
    try {
        return CutVersion(ReadTextResource(ResourceName(uId), kHwVersionTexts));
    } catch (const zx::Failure& failure) {
        PrintToDebugFile(L"### Handling Exception - %s\n", failure.Text());
        return CString();
    }
}

void CZarvexAppBase::ExtractPlatformHwFeaturesText(CString* pText, unsigned int uId) {
    if (pText)
        *pText = ExtractPlatformHwFeaturesText(uId);
}

CString CZarvexAppBase::ExtractPlatformHwFeaturesText(unsigned int uId) {
    try {
        return ReadTextResource(ResourceName(uId), kHwFeaturesTexts);
    } catch (const zx::Failure& failure) {
        PrintToDebugFile(L"### Handling Exception - %s\n", failure.Text());
        return CString();
    }
}

void CZarvexAppBase::GetApplicationLink(CString* pLink) {
    if (pLink)
        *pLink = m_strLink;
}

CString CZarvexAppBase::GetApplicationLink() {
    return m_strLink;
}

// ---- PDF brief ----------------------------------------------------------------------------

void CZarvexAppBase::OpenApplicationPdf() {
    try {
        const HMODULE module = ApplicationModule();
        HRSRC resource = FindEither(module, m_strPdf, L"PDF", L"BITSTREAM");
        if (!resource)
            throw zx::Failure(L"Could not find PDF resource!\n");
        HGLOBAL loaded = LoadResource(module, resource);
        if (!loaded)
            throw zx::Failure(L"Could not load PDF resource!\n");
        const void* bytes = LockResource(loaded);
        if (!bytes)
            throw zx::Failure(L"Could not lock PDF resource!\n");
        const DWORD size = SizeofResource(module, resource);

        // Always the same name in the private temporary folder: the prefix,
        // unique number 1 and the extension pdf. Nothing is created yet.
        wchar_t folder[MAX_PATH] = {};
        wchar_t tempName[MAX_PATH] = {};
        const DWORD folderLength = GetTempPathW(MAX_PATH, folder);
        if (folderLength == 0 || folderLength >= MAX_PATH ||
            GetTempFileNameW(folder, L"NEW", 1, tempName) == 0)
            throw zx::Failure(L"Could not find a temporary folder for the PDF!\n");
        CString name(tempName);
        name = name.Left(name.GetLength() - 3) + L"pdf";
        const CString displayName = name;
        CString workingName = name;
        workingName.Replace(L"\\", L"\\\\");

        DeleteFileW(workingName);
        PrintToDebugFile(L"Creating PDF : %s\n", displayName);
        FILE* file = std::fopen(zx::NativePath(workingName).c_str(), "wb");
        if (!file)
            throw zx::Failure(L"Could not create the PDF file!\n");
        const bool written = std::fwrite(bytes, 1, size, file) == size;
        const bool closed = std::fclose(file) == 0;
        if (!written || !closed) {
            // A truncated brief would only show the viewer's error.
            DeleteFileW(workingName);
            throw zx::Failure(L"Could not write the PDF file!\n");
        }
        PrintToDebugFile(L"Opening PDF : %s\n", displayName);
        const HINSTANCE opened = ShellExecuteW(nullptr, L"open", displayName, nullptr, L"", 1);
        if (reinterpret_cast<std::uintptr_t>(opened) <= 32)
            PrintToDebugFile(L"ERROR : No viewer could open the PDF : %s\n", displayName);
    } catch (const zx::Failure& failure) {
        PrintToDebugFile(L"### Handling Exception - %s\n", failure.Text());
    }
}
