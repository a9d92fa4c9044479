// CZarvexConfig: plug-in discovery. Four passes over the host's own folder
// (communications, tuner modules, target platforms, applications) load each
// plug-in once, record it under the index its object declares (or in the
// application table) and unload it again; then the tables are summarised in
// the log. Also the questions asked of the recorded tuner and platform
// modules.

#include "zarvexapp/config/ZarvexConfig.h"

#include "cmnctrls/VersionInfo.h"
#include "platform/ComboBox.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/Threads.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/TargetPlatform.h"
#include "zarvexapp/command/TunerModuleBase.h"
#include "zarvexapp/config/PluginProbe.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/shell/SplashAppFind.h"

#include <climits>
#include <cstdint>

namespace {

constexpr unsigned int kNoIndex = 0xFFFFFFFFu;
// Every registered module is given this long after its release.
constexpr DWORD kPauseAfterModuleMs = 100;
// The splash's plug-in line shows at most this much of a title.
constexpr int kSplashTitleLength = 99;

struct t_SEARCH_PASS {
    const wchar_t* pPattern; // the folder stands for %s
    const wchar_t* pStatus;  // the splash's status line
    const wchar_t* pStartLog;
    const wchar_t* pFoundLog;
    const wchar_t* pAttemptLog; // null: the application loader logs its own
};

enum : unsigned int { kCommsPass, kTunerPass, kPlatformPass, kApplicationPass };

constexpr t_SEARCH_PASS kPasses[] = {
    {L"%s*.ctc", L"Searching for available communications ...",
     L"\n\n\nSearching for target communications at %s\n", L"Communications found : %s\n",
     L"Attempting to load target comms : %s\n"},
    {L"%s*.ctm", L"Searching for tuner modules ...",
     L"\n\n\nSearching for tuner modules at %s...\n", L"Tuner-Modules found : %s\n",
     L"Attempting to load tuner module : %s\n"},
    {L"%s*.ctp", L"Searching for target platforms ...",
     L"\n\n\nSearching for target platforms at %s...\n", L"Target-Platform found : %s\n",
     L"Attempting to load target platform : %s\n"},
    {L"%s*.cap", L"Searching for available applications ...",
     L"\n\n\nSearching for applications at %s\n", L"Application found : %s\n", nullptr},
};

// A number handed to the log's format as one of its word arguments.
const wchar_t* NumberArg(unsigned int value) {
    return reinterpret_cast<const wchar_t*>(static_cast<std::uintptr_t>(value));
}

// The searched pause: the child that tries a plug-in skips it.
void PauseAfterModule() {
    if (!zx::PluginProbe::InChild())
        Sleep(kPauseAfterModuleMs);
}

CString PassPattern(unsigned int uPass, const CString& folder) {
    CString pattern;
    pattern.Format(kPasses[uPass].pPattern, folder.GetString());
    return pattern;
}

// The folder of the host program with its trailing separator. The path is
// not cut at any length, so that a deep folder is searched all the same.
CString HostFolder() {
    std::wstring path(PATH_MAX, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return CString(path.substr(0, path.find_last_of(L"/\\") + 1).c_str());
}

} // namespace

// ---- Discovery --------------------------------------------------------------------

bool CZarvexConfig::DiscoverPlugins() {
    m_bDiscoveryComplete = false;
    if (!m_pSplash)
        m_pSplash = new CSplashAppFind(CString(__DATE__), m_pParentGui);
    // Without its window only the progress on screen is lost: the search
    // runs here and now instead of from the splash's timer.
    if (!m_pSplash->GetSafeHwnd() && !m_pSplash->Create()) {
        PrintToDebugFile(L"ERROR : The search splash could not be created\n");
        SearchForPlugins();
        return true;
    }
    PrepareSearch();
    return true;
}

bool CZarvexConfig::IsDiscoveryComplete() {
    return m_bDiscoveryComplete;
}

std::vector<CString> CZarvexConfig::GetRejectedPlugins() {
    return m_rejectedPlugins;
}

void CZarvexConfig::PrepareSearch() {
    const CString folder = HostFolder();
    m_searchFiles.clear();
    for (unsigned int pass = kCommsPass; pass <= kApplicationPass; ++pass) {
        WIN32_FIND_DATAW found{};
        HANDLE find = FindFirstFileW(PassPattern(pass, folder), &found);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do
            m_searchFiles.push_back({pass, found.cFileName, folder + found.cFileName});
        while (FindNextFileW(find, &found));
        FindClose(find);
    }
    // The child runs the search as this object would, silently and without
    // pauses, and says after each file that it survived it.
    m_pSearchProbe = std::make_unique<zx::PluginProbe>(
        [this](std::size_t i) {
            const t_FOUND_FILE& file = m_searchFiles[i];
            if (file.uPass == kApplicationPass)
                SearchApplicationFile(file.path, [] { return CString(); });
            else
                SearchPluginFile(file.uPass, file.path);
        },
        m_searchFiles.size());
    m_pSearchProbe->Start();
}

unsigned int CZarvexConfig::SearchForPlugins() {
    m_bDiscoveryComplete = false;
    // The search records its modules in these handles: whatever a caller had
    // loaded in them is released first.
    UnloadTunerModuleDll();
    UnloadPlatformDll();
    if (!m_pSearchProbe)
        PrepareSearch();
    const CString folder = HostFolder();
    unsigned int applications = 0;
    for (unsigned int pass = kCommsPass; pass <= kApplicationPass; ++pass)
        applications = SearchPass(pass, folder);
    m_pSearchProbe.reset();
    m_searchFiles.clear();
    LogSearchSummary();
    m_bDiscoveryComplete = true;
    PrintToDebugFile(L"------------------------------------------\n");
    return applications;
}

unsigned int CZarvexConfig::SearchPass(unsigned int uPass, const CString& folder) {
    const t_SEARCH_PASS& pass = kPasses[uPass];
    ShowSearchStatus(pass.pStatus);
    PrintToDebugFile(pass.pStartLog, PassPattern(uPass, folder));

    unsigned int applications = 0;
    for (std::size_t i = 0; i < m_searchFiles.size(); ++i) {
        const t_FOUND_FILE& file = m_searchFiles[i];
        if (file.uPass != uPass)
            continue;
        PrintToDebugFile(pass.pFoundLog, file.name);
        const std::function<CString()> verdict = [&] {
            return m_pSearchProbe->Verdict(i).Describe();
        };
        if (uPass == kApplicationPass) {
            if (SearchApplicationFile(file.path, verdict))
                ++applications;
            continue;
        }
        PrintToDebugFile(pass.pAttemptLog, file.path);
        if (!AcceptPluginFile(file.path, verdict())) {
            PrintToDebugFile(L"#### Could not load!!\n");
            continue;
        }
        SearchPluginFile(uPass, file.path);
    }
    return applications;
}

void CZarvexConfig::SearchPluginFile(unsigned int uPass, const CString& path) {
    // The global the pass's object registers in, and the handle it is kept by.
    void** global = nullptr;
    HMODULE* module = nullptr;
    switch (uPass) {
    case kCommsPass:
        global = reinterpret_cast<void**>(&g_pAPI);
        module = &m_hCommsModule;
        break;
    case kTunerPass:
        global = reinterpret_cast<void**>(&g_pTunerModuleBase);
        module = &m_hTunerModule;
        break;
    default:
        global = reinterpret_cast<void**>(&g_pTargetPlatform);
        module = &m_hPlatformModule;
        break;
    }

    *global = nullptr;
    ReleaseModule(*module);
    *module = LoadLibraryW(path);
    if (!*global) {
        PrintToDebugFile(L"#### Could not load!!\n");
        ReleaseModule(*module);
        return;
    }

    unsigned int index = kNoIndex;
    switch (uPass) {
    case kCommsPass:
        index = static_cast<unsigned int>(g_pAPI->GetApiIndex());
        break;
    case kTunerPass:
        index = g_pTunerModuleBase->GetTunerModuleIndex();
        break;
    default:
        index = g_pTargetPlatform->GetPlatformIndex();
        break;
    }
    if (index != kNoIndex) {
        const CString title = GetFilenameTitle(*module);
        ShowFoundPlugin(title.Left(kSplashTitleLength));
        PrintToDebugFile(L"Loaded Ok : %s, %s\n", title, GetFilenameVersion(*module));
        switch (uPass) {
        case kCommsPass:
            AddCommsDll(index, path);
            g_pAPI->Stop();
            g_pAPI->Release();
            break;
        case kTunerPass:
            AddTunerModuleDll(index, path);
            break;
        default:
            AddPlatformDll(index, path);
            break;
        }
        *global = nullptr;
    }
    ReleaseModule(*module);
    PauseAfterModule();
}

bool CZarvexConfig::SearchApplicationFile(const CString& path,
                                          const std::function<CString()>& judge) {
    if (!LoadApplicationJudged(path, &judge)) {
        PrintToDebugFile(L"Could not load!!\n");
        return false;
    }
    ShowFoundPlugin(GetApplicationTitle(true).Left(kSplashTitleLength));
    PrintToDebugFile(L"Loaded Ok : %s, %s\n", GetApplicationTitle(false), GetApplicationVersion());
    AddApplication();
    UnloadApplication();
    PauseAfterModule();
    return true;
}

bool CZarvexConfig::AcceptPluginFile(const CString& path, const CString& failure) {
    if (failure.IsEmpty())
        return true;
    const CString file = path.Mid(path.ReverseFind(L'/') + 1);
    PrintToDebugFile(L"#### %s %s and is not loaded\n", file, failure);
    m_rejectedPlugins.push_back(file + L": " + failure);
    return false;
}

void CZarvexConfig::ShowSearchStatus(const wchar_t* pStatus) {
    if (!m_pSplash || !m_pSplash->GetSafeHwnd() || zx::PluginProbe::InChild())
        return;
    m_pSplash->m_sSearchText.SetWindowTextW(pStatus);
    m_pSplash->m_sPluginText.SetWindowTextW(L"");
    m_pSplash->InvalidateRect(nullptr, TRUE);
    m_pSplash->UpdateWindow();
}

void CZarvexConfig::ShowFoundPlugin(const CString& title) {
    if (!m_pSplash || !m_pSplash->GetSafeHwnd() || zx::PluginProbe::InChild())
        return;
    m_pSplash->m_sPluginText.SetWindowTextW(title);
    m_pSplash->InvalidateRect(nullptr, TRUE);
    m_pSplash->UpdateWindow();
}

void CZarvexConfig::LogSearchSummary() {
    PrintToDebugFile(L"Discovery complete ------->\n");
    const auto logTable = [this](const wchar_t* heading, CString** table, unsigned int size) {
        PrintToDebugFile(heading);
        for (unsigned int i = 0; i < size; ++i) {
            if (table[i])
                PrintToDebugFile(L"  %2u : %s\n", NumberArg(i), *table[i]);
            else
                PrintToDebugFile(L"  %2u : Not available\n", NumberArg(i));
        }
    };
    logTable(L"Communications found :\n", m_ppCommsDllNames, m_uCommsDlls);
    logTable(L"Tuner modules found :\n", m_ppTunerModuleDllNames, m_uTunerModuleDlls);
    logTable(L"Platforms found :\n", m_ppPlatformDllNames, m_uPlatformDlls);
    PrintToDebugFile(L"Applications found :\n");
    for (unsigned int i = 0; i < m_uNumberOfAvailableApps; ++i)
        PrintToDebugFile(L"  %2u : %s(%s)\n", NumberArg(i), *m_pApplications[i].pTitle,
                         *m_pApplications[i].pShortTitle);
}

// ---- Version values of a loaded module ----------------------------------------------

namespace {

CString ModuleVersionValue(HINSTANCE hModule, const wchar_t* key) {
    if (!hModule)
        return CString();
    std::wstring path(PATH_MAX, L'\0');
    const DWORD length = GetModuleFileNameW(hModule, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
        return CString();
    path.resize(length);
    CVersionInfo version;
    if (!version.GetFileVersionInfoW(path.c_str()))
        return CString();
    return version.GetValue(key);
}

} // namespace

CString CZarvexConfig::GetFilenameTitle(HINSTANCE hModule) {
    return ModuleVersionValue(hModule, L"FileDescription");
}

CString CZarvexConfig::GetFilenameVersion(HINSTANCE hModule) {
    return ModuleVersionValue(hModule, L"FileVersion");
}

// ---- Questions to the recorded tuner and platform modules ---------------------------

CString CZarvexConfig::GetTunerModuleDescription(unsigned int uIndex) {
    if (!LoadTunerModuleDll(uIndex))
        return CString();
    const CString description =
        g_pTunerModuleBase ? g_pTunerModuleBase->GetDescription() : CString();
    UnloadTunerModuleDll();
    return description;
}

void CZarvexConfig::LoadTunerModules(CComboBox* pCombo) {
    if (!pCombo)
        return;
    CString remembered;
    if (pCombo->GetCount() > 0)
        pCombo->GetLBText(pCombo->GetCurSel(), remembered);
    pCombo->ResetContent();
    if (m_uTunerModuleDlls == 0) {
        pCombo->SetItemData(pCombo->AddString(L"Non available"), kNoIndex);
    } else {
        for (unsigned int i = 0; i < m_uTunerModuleDlls; ++i)
            pCombo->SetItemData(pCombo->AddString(GetTunerModuleDescription(i)), i);
    }
    if (pCombo->SelectString(-1, remembered) == CB_ERR)
        pCombo->SetCurSel(0);
}

CString CZarvexConfig::AskPlatformModule(unsigned int uIndex, CString (*ask)(CTargetPlatform*)) {
    if (!LoadPlatformDll(uIndex))
        return CString();
    const CString answer = g_pTargetPlatform ? ask(g_pTargetPlatform) : CString();
    UnloadPlatformDll();
    return answer;
}

CString CZarvexConfig::GetPlatformDllDescription(unsigned int uIndex) {
    return AskPlatformModule(uIndex, [](CTargetPlatform* p) { return p->GetFullDescription(); });
}

CString CZarvexConfig::GetPlatformShortDescription(unsigned int uIndex) {
    return AskPlatformModule(uIndex, [](CTargetPlatform* p) { return p->GetDescription(); });
}

CString CZarvexConfig::GetPlatformDllDeviceName(unsigned int uIndex) {
    return AskPlatformModule(uIndex, [](CTargetPlatform* p) { return p->GetDeviceName(); });
}
