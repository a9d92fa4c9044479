#pragma once
// CZarvexConfig: the one configuration object of the system. The host
// constructs it with its main dialog and publishes it in g_pZarvexConfig;
// every part of the core and every plug-in reaches it through that global.
//
// This object holds the diagnostic log. Entries are written from the
// user-interface thread and from a communications worker thread without a
// lock of the log's own: each entry is formatted completely first and then
// written to the stream in one call, which the C library performs under the
// stream's own lock, so two entries never interleave.
//
// Members keep their documented order; the other duties of this object add
// theirs in that order around the ones here.

#include "platform/Brush.h"
#include "platform/Rect.h"
#include "platform/String.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace zx {
class PluginProbe;
}
class CApplicationSelect;
class CComboBox;
class CDialog;
class CFontStatic;
class CRichEditCtrl;
class CSplashAppFind;
class CTargetPlatform;
class CZarvexAppBase;

class CZarvexConfig {
public:
    // ---- Records shared with plug-ins ----------------------------------------
    // Fixed x86-64 layouts (pinned below): 32-bit numbers, pointer-sized text
    // pointers, in the documented order. Never reorder or resize a field.

    // A platform with daughter card as an application declares it. The texts
    // belong to the application; the configuration copies them.
    struct t_TARGET_PLATFORM_CONFIG {
        DWORD uPlatformIndex;
        CString* pPlatformTitle; // heads the platform's section of its features text
        CString* pPlatformName;
        DWORD uPlatformDcIndex;
        CString* pPlatformDcName;
        DWORD uCommsIndex; // position in the communications table; kept by the application
        CString* pHwVersionText;
        CString* pHwFeaturesText;
    };

    // One entry of the target-platform lists; the entry owns its texts.
    struct t_TARGET_PLATFORM {
        DWORD uPlatformIndex;
        CString* pPlatformTitle;
        CString* pPlatformName;
        DWORD uPlatformDcIndex;
        CString* pPlatformDcName;
        CString* pHwVersionText;
        CString* pHwFeaturesText;
    };

    // One entry of the application table; the entry owns its texts and arrays.
    struct t_APPLICATION {
        CString* pShortTitle;
        CString* pTitle;
        CString* pDescription;
        CString* pVersion;
        DWORD uPlatforms;
        DWORD* puPlatformIndex;   // uPlatforms entries
        DWORD* puPlatformDcIndex; // uPlatforms entries, pairwise with puPlatformIndex
    };

    explicit CZarvexConfig(CDialog* pParentGui);
    virtual ~CZarvexConfig();
    CZarvexConfig(const CZarvexConfig&) = delete;
    CZarvexConfig& operator=(const CZarvexConfig&) = delete;

    CDialog* GetParentGui();

    // ---- Plug-in discovery ------------------------------------------------------
    // Shows the search splash, whose first timer tick runs SearchForPlugins.
    // False only when the splash object cannot be made.
    bool DiscoverPlugins();
    // Searches the host's own folder for communications modules, tuner
    // modules, target platforms and applications, in that order; each file is
    // loaded once, recorded under the index it declares (or in the
    // application table) and unloaded. Returns the number of applications.
    // Each file is first tried in a short-lived child process, so that one
    // whose loading crashes, throws or hangs is logged and passed over
    // instead of taking the host down.
    unsigned int SearchForPlugins();
    bool IsDiscoveryComplete();
    // The files the search passed over because trying them failed (crash,
    // exception, hang), each "file: what happened", for the host to show.
    std::vector<CString> GetRejectedPlugins();

    // ---- Layout, colours and settings ----------------------------------------
    // The host marks where the application's windows go with placeholder
    // controls of its dialog. Each setter records a snapshot of control uId's
    // rectangle in the dialog's client coordinates (one CRect per place, kept
    // and overwritten by later calls); a missing dialog or control is logged
    // and leaves the place as it was. The getters return null until set.
    void SetMainAppAreaRect(unsigned int uId);
    void SetMainStatusRect(unsigned int uId);
    void SetSmallAppLogoRect(unsigned int uId);
    void SetProgressCtrlRect(unsigned int uId);
    void SetPrintWindowRect(unsigned int uId);
    CRect* GetMainAppAreaRect();
    CRect* GetMainStatusRect();
    CRect* GetSmallAppLogoRect();
    CRect* GetProgressCtrlRect();
    CRect* GetPrintWindowRect();
    // Solid brushes of the two background colours (null if one could not be
    // made); the colours are fixed.
    HBRUSH GetMainBackgroundBrush();
    HBRUSH GetTabPageBackgroundBrush();
    // Every persistent object keeps its values under this key. A null
    // pointer sets an empty text, as does an empty one.
    CString GetRegistryBaseKey();
    void SetRegistryBaseKey(const wchar_t* pKey);
    CString GetLocalUrl();
    void SetLocalUrl(const wchar_t* pUrl);

    // ---- Diagnostic log -------------------------------------------------------
    // Creates (or truncates) the log and writes its opening line. A path that
    // cannot be opened leaves the log as it was: disabled if it was, and so
    // does the file already in use. Called again with another file, later
    // entries go there; the former one stays open until destruction, since
    // another thread may be writing to it.
    void EnableDebugFile(const wchar_t* pPath);
    // One entry stamped with the local time of day. The three arguments are
    // pointer-sized values given unchanged to the format (Windows rules): a
    // "%s" takes a text, a "%u" or "%x" the low 32 bits. An argument text that
    // cannot be read abandons the entry; the caller goes on.
    void PrintToDebugFile(const wchar_t* pFormat, const wchar_t* pArg1 = nullptr,
                          const wchar_t* pArg2 = nullptr, const wchar_t* pArg3 = nullptr);
    // The same with the given stamp (null: an empty stamp).
    void PrintToDebugFileActual(CString* pTime, const wchar_t* pFormat, const wchar_t* pArg1,
                                const wchar_t* pArg2, const wchar_t* pArg3);

    // ---- Communications table -------------------------------------------------
    // Entry uIndex: the file of the communications plug-in that declared that
    // index, or null when none did. No growth on a query.
    CString* GetCommsDllName(unsigned int uIndex);
    bool IsCommsDllSupported(unsigned int uIndex);

    // ---- Tuner-module and target-platform tables -----------------------------------
    // Entry uIndex: the file of the plug-in that declared that index, or null.
    // A query at or beyond the size grows the table to uIndex + 1 (null)
    // entries first.
    CString* GetTunerModuleDllName(unsigned int uIndex);
    bool IsTunerModuleDllSupported(unsigned int uIndex);
    unsigned int GetNumberOfTunerModules();
    // Loads entry uIndex just long enough to read its object's description;
    // "" when it does not load.
    CString GetTunerModuleDescription(unsigned int uIndex);
    // Fills a combo box with the tuner modules (item data: the index), or
    // "Non available" (0xFFFFFFFF) with an empty table, keeping the selection
    // by its text where it can.
    void LoadTunerModules(CComboBox* pCombo);
    // Releases the tuner module loaded (one at a time), then loads entry
    // uIndex, whose object registers in g_pTunerModuleBase. False for an
    // index outside the table (no growth) or a null entry.
    bool LoadTunerModuleDll(unsigned int uIndex);
    void UnloadTunerModuleDll();
    CString* GetPlatformDllName(unsigned int uIndex);
    bool IsPlatformDllSupported(unsigned int uIndex);
    // As LoadTunerModuleDll for platform modules (g_pTargetPlatform), but an
    // index beyond the table grows it first.
    bool LoadPlatformDll(unsigned int uIndex);
    void UnloadPlatformDll();
    // Each loads entry uIndex just long enough to ask its object (full
    // description, description, device name); "" when it does not load.
    CString GetPlatformDllDescription(unsigned int uIndex);
    CString GetPlatformShortDescription(unsigned int uIndex);
    CString GetPlatformDllDeviceName(unsigned int uIndex);

    // ---- Application loading and selection --------------------------------------
    // Loads an application plug-in by its short title (found in the host's
    // folder), file name or path; null means the first table entry. One
    // application is loaded at a time: a loaded one is unloaded first. False
    // when no application object is left registered; an application that
    // supports no platform is unloaded again.
    bool LoadApplication(const wchar_t* pName);
    // True when no application object remains.
    bool UnloadApplication();
    bool ApplicationCanBeLoaded(const wchar_t* pName);
    // The loaded application's title (bFlag drops a trailing " Application")
    // and version; "" when none is loaded.
    CString GetApplicationTitle(bool bFlag);
    CString GetApplicationVersion();
    CString GetApplicationShortTitle();
    // Appends the loaded application to the application table and its
    // platforms to the global platform list.
    void AddApplication();
    unsigned int GetNumberOfAvailableApps();
    void SetNumberOfAvailableApps(unsigned int uNumber);
    // Fills pApps with the application table (item data: the entry's
    // address), restricted to the platform and daughter card selected in the
    // two filter boxes when given; keeps the selection by its text.
    void LoadTargetApps(CComboBox* pApps, CComboBox* pPlatform, CComboBox* pPlatformDc);
    // Runs the application select dialog modally; the caller reads the
    // choice from it and deletes it.
    CApplicationSelect* ChangeApplication();

    // ---- Target platform catalogue ------------------------------------------------
    // The loaded application's platforms, filled while it loads.
    void AddTargetPlatform(t_TARGET_PLATFORM_CONFIG* pConfig);
    void RemoveTargetPlatforms();
    // Null for a position outside the list.
    CString* GetTargetPlatformName(unsigned int uIndex);
    CString* GetTargetPlatformDcName(unsigned int uIndex);
    void LoadTargetPlatforms(CComboBox* pPlatform);
    // The daughter cards of the platform selected in pPlatform (every one
    // when none is), with the selected one's hardware version in pVersion.
    void LoadTargetPlatformDcs(CComboBox* pPlatformDc, CComboBox* pPlatform, CFontStatic* pVersion,
                               CRichEditCtrl* pFeatures);
    // List position of the selected platform and daughter card; 0 (and a
    // log line) when the pair is not listed.
    unsigned int GetTargetPlatformIndex(CComboBox* pPlatformDc, CComboBox* pPlatform);
    // Makes list position uIndex the application's selected platform; true
    // when the selection changed. OnChangeTarget also tells the application.
    bool SetTargetPlatform(unsigned int uIndex);
    void OnChangeTarget(unsigned int uIndex);
    // The platforms of every application found, each pair once.
    void LoadGlobalTargetPlatforms(CComboBox* pPlatform);
    void LoadGlobalTargetPlatformDcs(CComboBox* pPlatformDc, CComboBox* pPlatform);
    void OnChangeGlobalTarget(unsigned int uGlobalIndex);
    // The host's timer and interrupt poll, passed to the loaded application.
    void OnTimer(unsigned int uId);
    void OnPollInterrupt();
    void GoToSystemTab();
    // A 16-bit value the application keeps here (CZarvexAppBase::SetUsb).
    short GetUsb();

protected:
    // Records pName (null: records nothing) at uIndex, growing the table to
    // uIndex + 1 entries when needed; a later declaration of an index wins.
    void AddCommsDll(unsigned int uIndex, const wchar_t* pName);
    // The same for the tuner-module and target-platform tables.
    void AddTunerModuleDll(unsigned int uIndex, const wchar_t* pName);
    void AddPlatformDll(unsigned int uIndex, const wchar_t* pName);

    CDialog* m_pParentGui;
    CString m_strLocalUrl;
    FILE* m_pDebugFile; // read and written through zx::LogStream (two threads)
    short m_sUsb;
    bool m_bDiscoveryComplete;
    CSplashAppFind* m_pSplash; // owned
    unsigned int m_uNumberOfAvailableApps;
    t_APPLICATION* m_pApplications; // m_uNumberOfAvailableApps entries, owned
    CString** m_ppCommsDllNames;    // m_uCommsDlls entries, each owned or null
    unsigned int m_uCommsDlls;
    HMODULE m_hCommsModule;            // the communications module tried during the search
    CString** m_ppTunerModuleDllNames; // m_uTunerModuleDlls entries, each owned or null
    unsigned int m_uTunerModuleDlls;
    HMODULE m_hTunerModule;         // the tuner module loaded, null when none
    CString** m_ppPlatformDllNames; // m_uPlatformDlls entries, each owned or null
    unsigned int m_uPlatformDlls;
    HMODULE m_hPlatformModule;             // the platform module loaded, null when none
    t_TARGET_PLATFORM* m_pTargetPlatforms; // the loaded application's, m_uTargetPlatforms entries
    unsigned int m_uTargetPlatforms;
    t_TARGET_PLATFORM* m_pGlobalTargetPlatforms; // every application's, each pair once
    unsigned int m_uGlobalTargetPlatforms;
    HMODULE m_hApplicationModule; // the loaded application plug-in, null when none
    CString m_strApplicationShortTitle;

    // ---- Layout, colours and settings ----------------------------------------
    // Yellow (red 255, green 255, blue 0) behind the main area and the pages.
    static constexpr COLORREF kDefaultBackground = 0x0000FFFF;
    CBrush m_MainBackgroundBrush{kDefaultBackground};
    CBrush m_TabPageBackgroundBrush{kDefaultBackground};
    COLORREF m_crMainBackground = kDefaultBackground;
    COLORREF m_crTabPageBackground = kDefaultBackground;
    CString m_strRegistryBaseKey;
    std::unique_ptr<CRect> m_pMainAppAreaRect;
    std::unique_ptr<CRect> m_pMainStatusRect;
    std::unique_ptr<CRect> m_pSmallAppLogoRect;
    std::unique_ptr<CRect> m_pProgressCtrlRect;
    std::unique_ptr<CRect> m_pPrintWindowRect;

private:
    // The application reads its module handle through the member's address at
    // every use: the handle is stored only when the plug-in's load returns,
    // after the application object was constructed.
    friend class CZarvexAppBase;

    void SetUsb(short sUsb);
    // Discovery: the files every pass found, one pass over those of its kind
    // (their trials' verdicts from probe), and one file of passes 1 to 3
    // (communications, tuner module, target platform) or of pass 4
    // (applications), loaded, recorded and unloaded.
    struct t_FOUND_FILE {
        unsigned int uPass;
        CString name; // as found
        CString path; // folder and name
    };
    // Lists the files of every pass and starts trying them: the splash's
    // wait before the search hides the cost.
    void PrepareSearch();
    unsigned int SearchPass(unsigned int uPass, const CString& folder);
    void SearchPluginFile(unsigned int uPass, const CString& path);
    bool SearchApplicationFile(const CString& path, const std::function<CString()>& judge);
    // What became of the trial of the plug-in file at path in a child
    // process: an empty text when it went well, else what went wrong, which
    // is logged and kept for the host; false then.
    bool AcceptPluginFile(const CString& path, const CString& failure);
    // The two splash lines, repainted at once (the search blocks the loop).
    void ShowSearchStatus(const wchar_t* pStatus);
    void ShowFoundPlugin(const CString& title);
    void LogSearchSummary();
    // A module's version values, "" when it has none.
    CString GetFilenameTitle(HINSTANCE hModule);
    CString GetFilenameVersion(HINSTANCE hModule);
    // Loads the platform module of uIndex, asks it with `ask` and releases it.
    CString AskPlatformModule(unsigned int uIndex, CString (*ask)(CTargetPlatform*));
    // LoadApplication with the verdict of the file's trial from judge (null:
    // a trial of its own), asked once the attempt is logged.
    bool LoadApplicationJudged(const wchar_t* pName, const std::function<CString()>* judge);
    // The load itself, once the file was tried.
    bool LoadApplicationModule(const CString& nameA, const CString& nameB);
    void FreeApplicationTable();
    void AddGlobalTargetPlatform(t_TARGET_PLATFORM* pPlatform);
    void RemoveGlobalTargetPlatforms();
    // Grows a plug-in table to uIndex + 1 entries (new ones null) unless it
    // is that large; false for the index that means "none".
    static bool GrowTable(CString**& table, unsigned int& size, unsigned int uIndex);
    static void AddToTable(CString**& table, unsigned int& size, unsigned int uIndex,
                           const wchar_t* pName);
    static void FreeTable(CString**& table, unsigned int& size);
    static void ReleaseModule(HMODULE& module);
    // Releases `module` (when loaded) and loads `name` in its place.
    static bool ReloadModule(HMODULE& module, const CString* name);
    void WriteToLog(const std::wstring& text);
    // Control uId's rectangle in the host dialog's client coordinates, into
    // *place (allocated on first use).
    void RecordControlRect(std::unique_ptr<CRect>& place, unsigned int uId);

    std::vector<FILE*> m_retiredDebugFiles; // UI thread only
    std::vector<CString> m_rejectedPlugins;
    std::vector<t_FOUND_FILE> m_searchFiles;         // while a search is prepared
    std::unique_ptr<zx::PluginProbe> m_pSearchProbe; // tries m_searchFiles
};

static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, uPlatformIndex) == 0);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pPlatformTitle) == 8);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pPlatformName) == 16);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, uPlatformDcIndex) == 24);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pPlatformDcName) == 32);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, uCommsIndex) == 40);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pHwVersionText) == 48);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pHwFeaturesText) == 56);
static_assert(sizeof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG) == 64);

static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM, uPlatformIndex) == 0);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM, pPlatformTitle) == 8);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM, pPlatformName) == 16);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM, uPlatformDcIndex) == 24);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM, pPlatformDcName) == 32);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM, pHwVersionText) == 40);
static_assert(offsetof(CZarvexConfig::t_TARGET_PLATFORM, pHwFeaturesText) == 48);
static_assert(sizeof(CZarvexConfig::t_TARGET_PLATFORM) == 56);

static_assert(offsetof(CZarvexConfig::t_APPLICATION, pShortTitle) == 0);
static_assert(offsetof(CZarvexConfig::t_APPLICATION, pTitle) == 8);
static_assert(offsetof(CZarvexConfig::t_APPLICATION, pDescription) == 16);
static_assert(offsetof(CZarvexConfig::t_APPLICATION, pVersion) == 24);
static_assert(offsetof(CZarvexConfig::t_APPLICATION, uPlatforms) == 32);
static_assert(offsetof(CZarvexConfig::t_APPLICATION, puPlatformIndex) == 40);
static_assert(offsetof(CZarvexConfig::t_APPLICATION, puPlatformDcIndex) == 48);
static_assert(sizeof(CZarvexConfig::t_APPLICATION) == 56);
