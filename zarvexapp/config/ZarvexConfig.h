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
#include <memory>
#include <vector>

class CDialog;
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

    // ---- Loaded application ----------------------------------------------------
    CString GetApplicationShortTitle();
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
    CString** m_ppCommsDllNames; // m_uCommsDlls entries, each owned or null
    unsigned int m_uCommsDlls;
    CString** m_ppTunerModuleDllNames; // m_uTunerModuleDlls entries, each owned or null
    unsigned int m_uTunerModuleDlls;
    HMODULE m_hTunerModule;         // the tuner module loaded, null when none
    CString** m_ppPlatformDllNames; // m_uPlatformDlls entries, each owned or null
    unsigned int m_uPlatformDlls;
    HMODULE m_hPlatformModule;    // the platform module loaded, null when none
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
