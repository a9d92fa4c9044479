// CZarvexConfig: application loading and selection. One application plug-in
// is loaded at a time; its short title comes from its file name; the
// application table lists every application the search found, with the
// platforms each supports, for the application select dialog.

#include "zarvexapp/config/ZarvexConfig.h"

#include "platform/ComboBox.h"
#include "platform/Modules.h"
#include "platform/WideText.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/config/PluginProbe.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/shell/ApplicationSelect.h"

#include <unistd.h>

namespace {

int FileNameStart(const CString& path) {
    const int slash = path.ReverseFind(L'/');
    const int backslash = path.ReverseFind(L'\\');
    return (slash > backslash ? slash : backslash) + 1;
}

// The file's base name without its extension; a debug build's trailing
// upper-case D goes too (ScopeD.cap is Scope). Only a full stop of the file
// name itself counts, never one in a folder's name, and a name that is just
// "D" keeps it.
CString ShortTitleOf(const CString& name) {
    const int start = FileNameStart(name);
    CString title = name;
    const int dot = title.ReverseFind(L'.');
    if (dot >= start) {
        int cut = dot;
        if (dot - 1 > start && title[dot - 1] == L'D')
            cut = dot - 1;
        title = title.Left(cut);
    }
    return title.Mid(start);
}

bool FileExists(const CString& path) {
    return ::access(zx::WideToUtf8(path.GetString()).c_str(), F_OK) == 0;
}

// A bare file name is looked for in the host's folder. The short title of
// a debug build (NameD.cap) is Name, so Name.cap falls back to NameD.cap
// when only that is there.
CString ApplicationFile(const CString& name) {
    if (FileNameStart(name) > 0 || name.Right(4) != L".cap")
        return name;
    const CString folder(zx::Utf8ToWide(zx::ExecutableFolder()).c_str());
    if (FileExists(folder + name))
        return name;
    const CString debugBuild = name.Left(name.GetLength() - 4) + L"D.cap";
    return FileExists(folder + debugBuild) ? debugBuild : name;
}

void FreeTexts(CZarvexConfig::t_APPLICATION& entry) {
    delete entry.pShortTitle;
    delete entry.pTitle;
    delete entry.pDescription;
    delete entry.pVersion;
    delete[] entry.puPlatformIndex;
    delete[] entry.puPlatformDcIndex;
    entry = {};
}

} // namespace

bool CZarvexConfig::LoadApplication(const wchar_t* pName) {
    return LoadApplicationJudged(pName, nullptr);
}

bool CZarvexConfig::LoadApplicationJudged(const wchar_t* pName,
                                          const std::function<CString()>* judge) {
    CString nameA;
    if (pName)
        nameA = pName;
    else if (m_uNumberOfAvailableApps > 0)
        nameA = *m_pApplications[0].pShortTitle;
    CString nameB = nameA;
    if (nameB.Find(L".cap") < 0)
        nameB += L".cap";
    nameB = ApplicationFile(nameB);

    // A module left loaded by a failed unload is tried again first.
    if ((g_pApplication || m_hApplicationModule) && !UnloadApplication())
        return false;
    PrintToDebugFile(L"Attempting to load application : %s\n", nameB);
    CString failure;
    if (judge)
        failure = (*judge)();
    else if (!zx::PluginProbe::InChild())
        failure = zx::PluginProbe::Run([&] {
                      LoadApplicationModule(nameA, nameB);
                      UnloadApplication();
                  }).Describe();
    if (!AcceptPluginFile(nameB, failure)) {
        m_strApplicationShortTitle.Empty();
        return false;
    }
    return LoadApplicationModule(nameA, nameB);
}

bool CZarvexConfig::LoadApplicationModule(const CString& nameA, const CString& nameB) {
    m_hApplicationModule = LoadLibraryW(nameB);
    CString shortTitle;
    if (!g_pApplication) {
        UnloadApplication();
    } else {
        g_pApplication->AddSupportedPlatforms();
        // An application that did not list its platforms here itself has
        // them listed from its table.
        if (m_uTargetPlatforms == 0) {
            for (unsigned int i = 0; i < g_pApplication->m_uSupportedPlatforms; ++i) {
                t_TARGET_PLATFORM_CONFIG entry =
                    g_pApplication->m_pSupportedPlatforms[i].ToTargetPlatformConfig();
                AddTargetPlatform(&entry);
            }
        }
        if (g_pApplication->GetNumberOfSupportedPlatforms() == 0) {
            PrintToDebugFile(L"Application load Ok : %s but no platforms supported!\n", nameA);
            UnloadApplication();
        } else {
            PrintToDebugFile(L"Application load Ok : %s\n", nameA);
            shortTitle = ShortTitleOf(nameA);
        }
    }
    m_strApplicationShortTitle = shortTitle;
    return g_pApplication != nullptr;
}

bool CZarvexConfig::UnloadApplication() {
    if (!m_hApplicationModule)
        return g_pApplication == nullptr;
    PrintToDebugFile(L"Attempting to unload application %s\n", GetApplicationTitle(false));
    RemoveTargetPlatforms();
    if (g_pApplication)
        g_pApplication->CloseDownApplication();
    if (!FreeLibrary(m_hApplicationModule)) {
        m_strApplicationShortTitle.Empty();
        return false;
    }
    m_hApplicationModule = nullptr;
    m_strApplicationShortTitle.Empty();
    PrintToDebugFile(L"Application unload Ok\n");
    return g_pApplication == nullptr;
}

bool CZarvexConfig::ApplicationCanBeLoaded(const wchar_t* pName) {
    const bool loaded = LoadApplication(pName);
    UnloadApplication();
    PrintToDebugFile(loaded ? L"CZarvexConfig::ApplicationCanBeLoaded returned a TRUE status\n"
                            : L"CZarvexConfig::ApplicationCanBeLoaded returned a FALSE status\n");
    return loaded;
}

CString CZarvexConfig::GetApplicationTitle(bool bFlag) {
    return g_pApplication ? g_pApplication->GetApplicationTitle(bFlag) : CString();
}

CString CZarvexConfig::GetApplicationVersion() {
    return g_pApplication ? g_pApplication->GetApplicationVersion() : CString();
}

// ---- The application table ------------------------------------------------------------

void CZarvexConfig::AddApplication() {
    CZarvexAppBase* app = g_pApplication;
    if (!app)
        return;
    if (app->GetNumberOfSupportedPlatforms() == 0) {
        app->AddSupportedPlatforms();
        if (app->GetNumberOfSupportedPlatforms() == 0) {
            PrintToDebugFile(L"No target platforms supported for this application\n");
            return;
        }
    }
    auto* grown = new t_APPLICATION[m_uNumberOfAvailableApps + 1]();
    for (unsigned int i = 0; i < m_uNumberOfAvailableApps; ++i)
        grown[i] = m_pApplications[i];
    delete[] m_pApplications;
    m_pApplications = grown;

    t_APPLICATION& entry = m_pApplications[m_uNumberOfAvailableApps];
    entry.pShortTitle = new CString(app->GetApplicationShortTitle());
    entry.pTitle = new CString(app->GetApplicationTitle(false));
    entry.pVersion = new CString(app->GetApplicationVersion());
    entry.pDescription = new CString(
        app->ApplicationDescriptionAvailable() ? app->GetApplicationDescription() : CString());
    for (unsigned int i = 0; i < m_uTargetPlatforms; ++i)
        AddGlobalTargetPlatform(&m_pTargetPlatforms[i]);
    entry.uPlatforms = m_uTargetPlatforms;
    entry.puPlatformIndex = new DWORD[m_uTargetPlatforms];
    entry.puPlatformDcIndex = new DWORD[m_uTargetPlatforms];
    for (unsigned int i = 0; i < m_uTargetPlatforms; ++i) {
        entry.puPlatformIndex[i] = m_pTargetPlatforms[i].uPlatformIndex;
        entry.puPlatformDcIndex[i] = m_pTargetPlatforms[i].uPlatformDcIndex;
    }
    ++m_uNumberOfAvailableApps;
}

void CZarvexConfig::FreeApplicationTable() {
    for (unsigned int i = 0; i < m_uNumberOfAvailableApps; ++i)
        FreeTexts(m_pApplications[i]);
    delete[] m_pApplications;
    m_pApplications = nullptr;
    m_uNumberOfAvailableApps = 0;
}

unsigned int CZarvexConfig::GetNumberOfAvailableApps() {
    return m_uNumberOfAvailableApps;
}

void CZarvexConfig::SetNumberOfAvailableApps(unsigned int uNumber) {
    // The count is the table's size too: it may shrink, never grow past
    // the entries that exist.
    if (uNumber <= m_uNumberOfAvailableApps)
        m_uNumberOfAvailableApps = uNumber;
}

void CZarvexConfig::LoadTargetApps(CComboBox* pApps, CComboBox* pPlatform, CComboBox* pPlatformDc) {
    if (!pApps)
        return;
    CString remembered;
    const int selected = pApps->GetCurSel();
    if (selected != CB_ERR)
        pApps->GetLBText(selected, remembered);
    else if (g_pApplication && m_hApplicationModule)
        remembered = GetApplicationTitle(false);

    const auto selectedData = [](CComboBox* box) -> DWORD {
        if (!box)
            return 0;
        const int item = box->GetCurSel();
        return item == CB_ERR ? 0 : static_cast<DWORD>(box->GetItemData(item));
    };
    const DWORD platform = selectedData(pPlatform);
    const DWORD daughterCard = selectedData(pPlatformDc);

    pApps->ResetContent();
    for (unsigned int i = 0; i < m_uNumberOfAvailableApps; ++i) {
        t_APPLICATION& entry = m_pApplications[i];
        if (platform == 0 && daughterCard == 0) {
            pApps->SetItemDataPtr(pApps->AddString(*entry.pTitle), &entry);
            continue;
        }
        for (unsigned int j = 0; j < entry.uPlatforms; ++j) {
            if (entry.puPlatformIndex[j] == platform && entry.puPlatformDcIndex[j] == daughterCard)
                pApps->SetItemDataPtr(pApps->AddString(*entry.pTitle), &entry);
        }
    }
    if (pApps->SelectString(-1, remembered) == CB_ERR)
        pApps->SetCurSel(0);
    pApps->EnableWindow(pApps->GetCount() > 0);
}

CApplicationSelect* CZarvexConfig::ChangeApplication() {
    auto* dialog = new CApplicationSelect(nullptr);
    dialog->SetMyRegistryKey(GetRegistryBaseKey());
    dialog->DoModal();
    return dialog;
}
