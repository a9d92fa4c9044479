// CZarvexAppBase: construction and destruction, initialisation by the host,
// the start/stop toggle, persistence and the small accessors. The page
// registries, the interrupt machinery, the resources and the communications
// loading of the same class live in the other files of this folder.

#include "zarvexapp/application/ZarvexAppBase.h"

#include "cmnctrls/Registry.h"
#include "platform/ControlMessages.h"
#include "platform/Wnd.h"
#include "zarvexapp/application/Failure.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/shell/PrintWindowBase.h"
#include "zarvexapp/shell/ProgressControl.h"
#include "zarvexapp/shell/SmallAppLogoBase.h"

namespace {

constexpr ULONG kRed = 0x000000FF;

// Where an application made without a configuration object reads its module
// handle: nowhere, so it reads none.
HMODULE g_noApplicationModule = nullptr;

// A shell window handed to the application: its window and its object go.
template <class Window> void DestroyOwned(Window*& window) {
    if (!window)
        return;
    window->DestroyWindow();
    delete window;
    window = nullptr;
}

} // namespace

const CZarvexAppBase* CZarvexAppBase::s_pOpening = nullptr;

CZarvexAppBase::CZarvexAppBase()
    : m_uNumberOfPages(0), m_strConfigText(L"CONFIGURE"), m_bGenConfigButtonEnable(true),
      m_pConfigureButton(nullptr), m_uTimerPages(0), m_ppTimerPages(nullptr),
      m_bTimerPagesReady(false), m_uSoftwareResetPages(0), m_ppSoftwareResetPages(nullptr),
      m_uInterruptPages(0), m_pInterruptPages(nullptr), m_pPollMessage(nullptr),
      m_pMaskRequestHead(nullptr), m_pMaskRequestTail(nullptr), m_uMaskRequests(0),
      m_uParentInterrupts(0), m_pParentInterrupts(nullptr), m_dwParentInterruptMask(0),
      m_hCommsModule(nullptr), m_iTargetPlatform(-1), m_pSupportedPlatforms(nullptr),
      m_uSupportedPlatforms(0), m_lBaseAddress{0, 0, 0, 0}, m_pParentGUI(nullptr),
      m_phApplicationModule(g_pZarvexConfig ? &g_pZarvexConfig->m_hApplicationModule
                                            : &g_noApplicationModule),
      m_pSmallAppLogo(nullptr), m_pPrintWindow(nullptr), m_pMainAppArea(nullptr),
      m_pProgressControl(nullptr), m_pRegistry(new CRegistry), m_bStarted(false),
      m_pAPI(nullptr), m_WorkerThreadInfo{} {
    g_pApplication = this;
}

CZarvexAppBase::~CZarvexAppBase() {
    // A link still loaded would keep a worker thread writing into this
    // object's worker record: shut it down first.
    if (m_hCommsModule)
        UnloadTargetPlatform();
    DestroyShellWindows();
    if (m_pRegistry) {
        m_pRegistry->CloseKey();
        delete m_pRegistry;
        m_pRegistry = nullptr;
    }
    DeRegisterInterruptPages();
    DeRegisterSoftwareResetPages();
    DeRegisterTimerPages();
    RemoveParentInterrupts();
    while (m_pMaskRequestHead) {
        t_PENDING_REQUEST* next = m_pMaskRequestHead->pNext;
        delete m_pMaskRequestHead;
        m_pMaskRequestHead = next;
    }
    m_pMaskRequestTail = nullptr;
    m_uMaskRequests = 0;
    for (unsigned int i = 0; i < m_uSupportedPlatforms; ++i) {
        t_SUPPORTED_PLATFORM& entry = m_pSupportedPlatforms[i];
        delete entry.pPlatformName;
        delete entry.pPlatformTitle;
        delete entry.pPlatformDcName;
        delete entry.pHwVersionText;
        delete entry.pHwFeaturesText;
    }
    m_uSupportedPlatforms = 0;
    delete[] m_pSupportedPlatforms;
    m_pSupportedPlatforms = nullptr;
    if (g_pApplication == this)
        g_pApplication = nullptr;
    PrintToDebugFile(L"Application Close complete\n----------------------------\n\n");
}

void CZarvexAppBase::DestroyShellWindows() {
    DestroyOwned(m_pSmallAppLogo);
    DestroyOwned(m_pPrintWindow);
    // The main application area is destroyed by whoever defines it: no
    // object of that class can be handed to this one before then.
    DestroyOwned(m_pProgressControl);
}

// ---- Initialisation by the host ---------------------------------------------

bool CZarvexAppBase::InitApplication(CWnd* pParentGUI, CWnd* pConfigureButton) {
    const CString shortTitle = GetApplicationTitle(true);
    PrintToDebugFile(L"\n\n-------------------------\nInitialising Application : %s\n", shortTitle);

    CString key = g_pZarvexConfig ? g_pZarvexConfig->GetRegistryBaseKey() : CString();
    key += L"\\";
    key += GetApplicationTitle(false);
    SetMyRegistryKey(key);

    m_pParentGUI = pParentGUI;
    m_pConfigureButton = pConfigureButton;

    m_WorkerThreadInfo = WORKER_THREAD_INFO{};
    m_WorkerThreadInfo.pCriticalSection = &m_CriticalSection;
    m_WorkerThreadInfo.hUIWnd = pParentGUI ? pParentGUI->GetSafeHwnd() : nullptr;
    m_WorkerThreadInfo.hApplicationModule = ApplicationModule();

    // Values not stored yet are created with their defaults, then all are
    // read back.
    WriteNewToRegistry();
    LoadFromRegistry();

    PrintToDebugFile(L"Supported Platforms :\n");
    AddSupportedPlatforms();
    return true;
}

// ---- Start and stop -------------------------------------------------------------

bool CZarvexAppBase::StartApplication() {
    if (m_bStarted) {
        PrintToDebugFile(L"\n\n-------------------------\nStopping Application : %s\n",
                         GetApplicationTitle(true));
        m_bStarted = false;
        if (m_pConfigureButton) {
            m_pConfigureButton->EnableWindow(FALSE);
            m_pConfigureButton->SetWindowTextW(GetConfigText());
            m_pConfigureButton->EnableWindow(TRUE);
        }
        return true;
    }

    if (m_pConfigureButton)
        m_pConfigureButton->EnableWindow(FALSE);
    PrintToDebugFile(L"--------------------------------------------------------\n\n\n\n"
                     L"Starting Application : %s\n",
                     GetApplicationTitle(false));
    try {
        if (!g_pTargetPlatform) {
            Print(L"ERROR : The target platform has not been loaded!", kRed);
            throw zx::Failure(L"Could not load the target platform");
        }
        // Opening pumps this thread's messages until the worker reports.
        s_pOpening = this;
        const bool opened = LoadTargetComms(nullptr) && Create();
        s_pOpening = nullptr;
        if (!opened) {
            Print(L"ERROR : Could not load the API.", kRed);
            throw zx::Failure(L"Could not load the API");
        }
    } catch (const zx::Failure& failure) {
        PrintToDebugFile(L"### Handling Exception - %s\n", failure.Text());
        UnloadTargetPlatform();
        if (m_pConfigureButton) {
            m_pConfigureButton->SetWindowTextW(GetConfigText());
            m_pConfigureButton->EnableWindow(TRUE);
        }
        m_bStarted = false;
        return false;
    }

    Print(L"Releasing the hardware resets ...", nullptr, 0);
    m_pAPI->HardwareReset(false);
    Print(L"Configuring the target application register banks ...", nullptr, 0);
    OnSimulationStart();
    m_bStarted = true;
    Print(L"... initial application register bank configuration complete.", nullptr, 0);
    if (m_pConfigureButton) {
        const CString cancel = GetCancelText();
        if (!cancel.IsEmpty()) {
            m_pConfigureButton->SetWindowTextW(cancel);
            m_pConfigureButton->EnableWindow(TRUE);
        } else {
            // Without a cancel text the run cannot be stopped from the button.
            m_pConfigureButton->EnableWindow(FALSE);
        }
    }
    return true;
}

bool CZarvexAppBase::Create() {
    return m_pAPI ? m_pAPI->Open(&m_WorkerThreadInfo) : false;
}

void CZarvexAppBase::OnSimulationStart() {
    if (m_pProgressControl && m_pProgressControl->m_ProgressCtrl.GetSafeHwnd()) {
        CProgressCtrl& bar = m_pProgressControl->m_ProgressCtrl;
        const WORD pages = static_cast<WORD>(m_uNumberOfPages & 0xFFFF);
        bar.SendMessageW(PBM_SETRANGE, 0, MAKELPARAM(0, pages));
        bar.SendMessageW(PBM_SETSTEP, 1, 0);
        bar.SendMessageW(PBM_SETPOS, 1, 0);
    }
    if (m_pAPI)
        m_pAPI->SetInterruptMask(0xFFFFFFFFu, 0);
    m_dwParentInterruptMask = 0xFFFFFFFFu;
}

bool CZarvexAppBase::CloseDownApplication() {
    return UnloadTargetPlatform();
}

void CZarvexAppBase::Initialise(LONG lBaseAddress) {
    for (LONG& base : m_lBaseAddress)
        base = lBaseAddress;
}

void CZarvexAppBase::RegistryAccess() {}

void CZarvexAppBase::Clear() {
    if (m_pPrintWindow)
        m_pPrintWindow->Clear();
}

void CZarvexAppBase::Print(const wchar_t* pText, ULONG ulColour) {
    if (m_pPrintWindow)
        m_pPrintWindow->Print(pText, ulColour);
}

void CZarvexAppBase::Print(const wchar_t* pFormat, const wchar_t* pText2, ULONG ulColour) {
    if (m_pPrintWindow)
        m_pPrintWindow->Print(pFormat, pText2, ulColour);
}

LRESULT CZarvexAppBase::OnApiDisplayCallBack(WPARAM wParam, LPARAM) {
    // Nobody displays it: free it as the communications shutdown would.
    if (auto* record = reinterpret_cast<UWM_API_DISPLAY_MESSAGE*>(wParam)) {
        delete[] record->pdwData;
        delete record->pText;
        delete record;
    }
    return 0;
}

bool CZarvexAppBase::Stop() {
    return true;
}

bool CZarvexAppBase::Terminate() {
    return true;
}

// ---- Persistence ---------------------------------------------------------------------

void CZarvexAppBase::LoadFromRegistry() {
    if (!m_pRegistry)
        return;
    m_pRegistry->OpenReadKey();
    RegistryAccess();
    m_pRegistry->CloseKey();
}

void CZarvexAppBase::SaveToRegistry() {
    if (!m_pRegistry)
        return;
    m_pRegistry->OpenUpdateKey();
    RegistryAccess();
    m_pRegistry->CloseKey();
}

void CZarvexAppBase::WriteNewToRegistry() {
    if (!m_pRegistry)
        return;
    m_pRegistry->OpenWriteNewKey();
    RegistryAccess();
    m_pRegistry->CloseKey();
}

CString CZarvexAppBase::GetMyRegistryKey() {
    return m_strMyRegistryKey;
}

void CZarvexAppBase::SetMyRegistryKey(const wchar_t* pKey) {
    m_strMyRegistryKey = pKey;
    if (m_pRegistry)
        m_pRegistry->SetKey(m_strMyRegistryKey);
}

// ---- Small accessors ------------------------------------------------------------------

void CZarvexAppBase::SetConfigureButton(const wchar_t* pConfigText, const wchar_t* pCancelText) {
    m_strConfigText = pConfigText;
    m_strCancelText = pCancelText ? pCancelText : L"";
}

void CZarvexAppBase::EnableConfigureButton(bool bEnable) {
    m_bGenConfigButtonEnable = bEnable;
    if (m_pConfigureButton)
        m_pConfigureButton->EnableWindow(bEnable ? TRUE : FALSE);
}

CString CZarvexAppBase::GetConfigText() {
    return m_strConfigText;
}

CString CZarvexAppBase::GetCancelText() {
    return m_strCancelText;
}

bool CZarvexAppBase::GenConfigButtonEnable() {
    return m_bGenConfigButtonEnable;
}

void CZarvexAppBase::NumberOfPagesInc() {
    ++m_uNumberOfPages;
}

unsigned int CZarvexAppBase::GetNumberOfPages() {
    return m_uNumberOfPages;
}

unsigned int CZarvexAppBase::GetNumberOfSupportedPlatforms() {
    return m_uSupportedPlatforms;
}

CWnd* CZarvexAppBase::GetParentGUI() {
    return m_pParentGUI;
}

// The main application area is defined with the tab pages; until an area can
// be handed over, there is no tab control to add to or to switch.
void CZarvexAppBase::AddTabPage(CMainAppPageBase*) {}

void CZarvexAppBase::GoToSystemTab() {}

void CZarvexAppBase::SetUsb(short sUsb) {
    if (g_pZarvexConfig)
        g_pZarvexConfig->SetUsb(sUsb);
}

short CZarvexAppBase::GetUsb() {
    return g_pZarvexConfig ? g_pZarvexConfig->GetUsb() : 0;
}

void CZarvexAppBase::PrintToDebugFile(const wchar_t* pFormat, const wchar_t* p1, const wchar_t* p2,
                                      const wchar_t* p3) {
    if (g_pZarvexConfig)
        g_pZarvexConfig->PrintToDebugFile(pFormat, p1, p2, p3);
}

HMODULE CZarvexAppBase::ApplicationModule() const {
    return m_phApplicationModule ? *m_phApplicationModule : nullptr;
}
