#pragma once
// CZarvexAppBase: the base of every application plug-in (.cap). The plug-in
// derives its own application class and constructs exactly one object while
// its module loads; the constructor publishes it in g_pApplication.
//
// The object owns what belongs to one run of the application: the host's
// configure button, the shell windows handed to it (it destroys them), its
// registry key, the loaded communications API with the worker record given
// to it, the page registries, the interrupt machinery, the descriptive
// resources and the table of supported target platforms.
//
// The order of the virtual operations below is a binary interface with
// plug-ins built separately: never reorder, insert or remove one.
// Everything here runs on the user-interface thread; the worker thread sees
// only m_WorkerThreadInfo and, through it, m_CriticalSection.

#include "platform/CriticalSection.h"
#include "platform/String.h"
#include "platform/WinTypes.h"
#include "zarvexapp/command/ApiCommandMessage.h"
#include "zarvexapp/config/ZarvexConfig.h"

#include <cstddef>

class CAPI;
class CMainAppAreaBase;
class CMainAppPageBase;
class CPageBase;
class CPrintWindowBase;
class CProgressControl;
class CRegistry;
class CSmallAppLogoBase;
class CWnd;

// One entry of an application's supported-platform table. Its first eight
// fields are laid out as CZarvexConfig::t_TARGET_PLATFORM_CONFIG; the entry
// owns its five texts (heap CStrings, deleted with the table).
struct t_SUPPORTED_PLATFORM {
    DWORD uPlatformIndex;
    CString* pPlatformTitle;
    CString* pPlatformName;
    DWORD uPlatformDcIndex;
    CString* pPlatformDcName;
    DWORD uCommsIndex; // position of the platform's link in the communications table
    CString* pHwVersionText;
    CString* pHwFeaturesText;
    DWORD dwCommsParameter; // handed to CAPI::Attach when the link is loaded

    // The entry as the configuration's AddTargetPlatform takes it (the texts
    // stay this entry's).
    CZarvexConfig::t_TARGET_PLATFORM_CONFIG ToTargetPlatformConfig() const {
        return {uPlatformIndex,  pPlatformTitle, pPlatformName,  uPlatformDcIndex,
                pPlatformDcName, uCommsIndex,    pHwVersionText, pHwFeaturesText};
    }
};

// A page registered for a parent interrupt.
struct t_INTERRUPT_PAGE {
    LONG lParentInterrupt; // the index AddParentInterrupt returned
    CPageBase* pPage;
};

// A request in flight, in a first-in-first-out queue. The node refers to
// its record and never frees it.
struct t_PENDING_REQUEST {
    UWM_API_COMMAND_MESSAGE* pMsg;
    t_PENDING_REQUEST* pNext;
};

// One parent interrupt: its bits in the status word, its vector register and
// the vector reads in flight.
struct t_PARENT_INTERRUPT {
    DWORD dwMask;
    DWORD dwVectorAddress;
    t_PENDING_REQUEST* pHead;
    t_PENDING_REQUEST* pTail;
    DWORD uPending;
};

class CZarvexAppBase {
public:
    CZarvexAppBase();
    CZarvexAppBase(const CZarvexAppBase&) = delete;
    CZarvexAppBase& operator=(const CZarvexAppBase&) = delete;

    // ---- Virtual operations, in slot order ---------------------------------
    // Destroys the shell windows, empties the registries and the interrupt
    // tables, frees the platform table and clears g_pApplication.
    /* 0 */ virtual ~CZarvexAppBase();
    // Fills m_pSupportedPlatforms; called more than once, so it must not add
    // an entry twice.
    /* 1 */ virtual void AddSupportedPlatforms() = 0;
    // The application's own version calls this base body: registry key,
    // windows, worker record, settings, supported platforms.
    /* 2 */ virtual bool InitApplication(CWnd* pParentGUI, CWnd* pConfigureButton) = 0;
    /* 3 */ virtual bool OnTargetPlatformChange() = 0;
    // Progress range and interrupt mask; applications add their register set-up.
    /* 4 */ virtual void OnSimulationStart();
    /* 5 */ virtual bool CloseDownApplication();
    /* 6 */ virtual void Initialise(LONG lBaseAddress);
    /* 7 */ virtual void RegistryAccess();
    /* 8 */ virtual void Clear();
    /* 9 */ virtual void Print(const wchar_t* pText, ULONG ulColour);
    /* 10 */ virtual void Print(const wchar_t* pFormat, const wchar_t* pText2, ULONG ulColour);
    // UWM_API_DISPLAY_CALLBACK: wParam is the communications plug-in's
    // UWM_API_DISPLAY_MESSAGE. An override takes the record over; this base
    // frees it unread. Returns 0.
    /* 11 */ virtual LRESULT OnApiDisplayCallBack(WPARAM wParam, LPARAM lParam);
    /* 12 */ virtual bool Stop();
    // Called while the communications are re-initialised, before the worker
    // is stopped.
    /* 13 */ virtual bool Terminate();

    // ---- Lifecycle ------------------------------------------------------------------
    // Starts a stopped application, stops a started one. A failed start
    // prints the red error line, logs "### Handling Exception - ...",
    // unloads the communications and ends stopped.
    bool StartApplication();

    CString GetMyRegistryKey();
    void SetMyRegistryKey(const wchar_t* pKey);
    // Button texts while stopped and while running (null: empty); no window
    // changes here.
    void SetConfigureButton(const wchar_t* pConfigText, const wchar_t* pCancelText);
    void EnableConfigureButton(bool bEnable);
    CString GetConfigText();
    CString GetCancelText();
    bool GenConfigButtonEnable();
    void NumberOfPagesInc();
    unsigned int GetNumberOfPages();
    unsigned int GetNumberOfSupportedPlatforms();
    CWnd* GetParentGUI();
    void AddTabPage(CMainAppPageBase* pPage);
    void GoToSystemTab();
    void PrintToDebugFile(const wchar_t* pFormat, const wchar_t* p1 = nullptr,
                          const wchar_t* p2 = nullptr, const wchar_t* p3 = nullptr);

    // ---- Page registries ----------------------------------------------------------
    // Every change writes one log line with the page's name and the new total.
    void RegisterForTimer(CPageBase* pPage);
    void DeRegisterTimer(CPageBase* pPage);
    void RegisterForSoftwareReset(CPageBase* pPage);
    void DeRegisterSoftwareReset(CPageBase* pPage);
    // Returns the position of the new entry.
    int RegisterForInterrupt(CPageBase* pPage, LONG lParentInterrupt);
    void DeRegisterInterrupt(CPageBase* pPage);
    void DeRegisterPage(CPageBase* pPage);
    void DeRegisterPages();
    // The host's tick: progress control, API, shell windows, then the timer
    // pages once every one of them allowed it.
    void OnTimer(unsigned int nIDEvent);
    // While started: OnSoftwareReset of every software-reset page.
    void SoftwareResetNotify(bool bReset);

    // ---- Interrupts and call-backs ------------------------------------------------
    // Returns the new parent interrupt's index.
    ULONG AddParentInterrupt(ULONG ulMask, ULONG ulVectorAddress);
    void RemoveParentInterrupt(ULONG ulIndex);
    void RemoveParentInterrupts();
    // Starts one interrupt-status poll unless one is in flight.
    void OnPollInterrupt();
    // A record that came back to the application.
    void OnApiCallBack(UWM_API_COMMAND_MESSAGE* pMsg);
    // UWM_API_CALLBACK: delivers the record in wParam to its target, then
    // frees it. Returns 0.
    LRESULT OnApiCallBack(WPARAM wParam, LPARAM lParam);
    // UWM_API_PRINT: prints the record in wParam, then frees it. Returns 0.
    LRESULT OnPrint(WPARAM wParam, LPARAM lParam);

    // ---- Information and resources ------------------------------------------------
    // Each getter fails quietly: a log line and an empty text.
    void SetDescription(unsigned int uId);
    void SetPdf(unsigned int uId);
    void SetLink(CString strLink);
    bool ApplicationDescriptionAvailable();
    bool ApplicationPdfAvailable();
    bool ApplicationLinkAvailable();
    // "FileDescription"; with bRemoveApplication a trailing " Application" goes.
    void GetApplicationTitle(CString* pTitle, bool bRemoveApplication);
    CString GetApplicationTitle(bool bRemoveApplication);
    void GetApplicationShortTitle(CString* pTitle);
    CString GetApplicationShortTitle();
    void GetApplicationVersion(CString* pVersion);
    CString GetApplicationVersion();
    void GetApplicationDescription(CString* pDescription);
    CString GetApplicationDescription();
    void ExtractPlatformHwVersionText(CString* pText, unsigned int uId);
    CString ExtractPlatformHwVersionText(unsigned int uId);
    void ExtractPlatformHwFeaturesText(CString* pText, unsigned int uId);
    CString ExtractPlatformHwFeaturesText(unsigned int uId);
    void GetApplicationLink(CString* pLink);
    CString GetApplicationLink();
    // Writes the PDF brief to the private temporary folder and opens it with
    // the desktop's viewer.
    void OpenApplicationPdf();

    // ---- Target communications ----------------------------------------------------
    // True when no API object remains attached.
    bool UnloadTargetPlatform();
    // Stops the worker and frees the call-backs still queued; the plug-in
    // stays loaded.
    void ReInitTargetPlatform();
    bool ReloadTargetPlatform();
    // True when the selection changed.
    bool SetTargetPlatform(unsigned int uIndex);

    // ---- State -----------------------------------------------------------------------
    // Public: the configuration, the pages, the shell windows and the System
    // tab work on these directly.
    unsigned int m_uNumberOfPages;
    CString m_strConfigText;
    CString m_strCancelText;
    bool m_bGenConfigButtonEnable;
    CWnd* m_pConfigureButton;
    unsigned int m_uTimerPages;
    CPageBase** m_ppTimerPages;
    bool m_bTimerPagesReady;
    unsigned int m_uSoftwareResetPages;
    CPageBase** m_ppSoftwareResetPages;
    unsigned int m_uInterruptPages;
    t_INTERRUPT_PAGE* m_pInterruptPages;
    UWM_API_COMMAND_MESSAGE* m_pPollMessage;
    t_PENDING_REQUEST* m_pMaskRequestHead;
    t_PENDING_REQUEST* m_pMaskRequestTail;
    unsigned int m_uMaskRequests;
    unsigned int m_uParentInterrupts;
    t_PARENT_INTERRUPT* m_pParentInterrupts;
    DWORD m_dwParentInterruptMask;
    HMODULE m_hCommsModule;
    CString m_strCommsDll;
    CString m_strDescription;
    CString m_strPdf;
    CString m_strLink;
    int m_iTargetPlatform;
    t_SUPPORTED_PLATFORM* m_pSupportedPlatforms; // array-new, m_uSupportedPlatforms entries
    unsigned int m_uSupportedPlatforms;
    LONG m_lBaseAddress[4];
    CWnd* m_pParentGUI;
    HMODULE* m_phApplicationModule; // the configuration's handle, read at every use
    // Handed over by whoever creates them; destroyed with this object.
    CSmallAppLogoBase* m_pSmallAppLogo;
    CPrintWindowBase* m_pPrintWindow;
    CMainAppAreaBase* m_pMainAppArea;
    CProgressControl* m_pProgressControl;
    CString m_strMyRegistryKey;
    CRegistry* m_pRegistry;
    bool m_bStarted;
    CAPI* m_pAPI;
    WORKER_THREAD_INFO m_WorkerThreadInfo;
    CCriticalSection m_CriticalSection;

protected:
    bool Create();
    void LoadFromRegistry();
    void SaveToRegistry();
    void WriteNewToRegistry();
    void SetUsb(short sUsb);
    short GetUsb();

    void DeRegisterTimerPages();
    void DeRegisterSoftwareResetPages();
    void DeRegisterInterruptPages();

    // Services a parent-interrupt status word.
    void OnInterrupt(ULONG ulStatus);

    // Loads the communications plug-in of the selected platform and attaches
    // its API (pApi is not stored; the one caller passes null).
    bool LoadTargetComms(CAPI* pApi);
    CString GetTargetCommsTitle();
    CString GetTargetCommsVersion();

private:
    // The application whose start is opening its link: the worker is then
    // suspended until the start resumes it, so a page that waited for a
    // request from a tick dispatched meanwhile would wait for ever.
    static const CZarvexAppBase* s_pOpening;

    HMODULE ApplicationModule() const;
    // The text resource (TEXT, else BITSTREAM) named name, widened; throws
    // zx::Failure with the matching text of `texts` when it cannot be read.
    CString ReadTextResource(const wchar_t* name, const wchar_t* const texts[3]);
    // A value of the version block of a loaded module's file; empty for no module.
    static CString ModuleVersionValue(HMODULE module, const wchar_t* key);
    // Forgets a poll, vector reads and mask requests whose records were
    // freed unread, and enables the parent interrupts they held masked.
    void ForgetInterruptRequests();
    void DestroyShellWindows();
};

static_assert(offsetof(t_SUPPORTED_PLATFORM, uPlatformIndex) ==
              offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, uPlatformIndex));
static_assert(offsetof(t_SUPPORTED_PLATFORM, pPlatformTitle) ==
              offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pPlatformTitle));
static_assert(offsetof(t_SUPPORTED_PLATFORM, pPlatformName) ==
              offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pPlatformName));
static_assert(offsetof(t_SUPPORTED_PLATFORM, uPlatformDcIndex) ==
              offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, uPlatformDcIndex));
static_assert(offsetof(t_SUPPORTED_PLATFORM, pPlatformDcName) ==
              offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pPlatformDcName));
static_assert(offsetof(t_SUPPORTED_PLATFORM, uCommsIndex) ==
              offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, uCommsIndex));
static_assert(offsetof(t_SUPPORTED_PLATFORM, pHwVersionText) ==
              offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pHwVersionText));
static_assert(offsetof(t_SUPPORTED_PLATFORM, pHwFeaturesText) ==
              offsetof(CZarvexConfig::t_TARGET_PLATFORM_CONFIG, pHwFeaturesText));
static_assert(offsetof(t_SUPPORTED_PLATFORM, dwCommsParameter) == 64);
static_assert(sizeof(t_SUPPORTED_PLATFORM) == 72);

static_assert(offsetof(t_INTERRUPT_PAGE, lParentInterrupt) == 0);
static_assert(offsetof(t_INTERRUPT_PAGE, pPage) == 8);
static_assert(sizeof(t_INTERRUPT_PAGE) == 16);
static_assert(offsetof(t_PENDING_REQUEST, pNext) == 8);
static_assert(sizeof(t_PENDING_REQUEST) == 16);
static_assert(offsetof(t_PARENT_INTERRUPT, pHead) == 8);
static_assert(offsetof(t_PARENT_INTERRUPT, uPending) == 24);
static_assert(sizeof(t_PARENT_INTERRUPT) == 32);
