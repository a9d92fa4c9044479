#include "SimDemoApp.h"

#include "I2CPage.h"
#include "InterruptPage.h"
#include "RegisterPage.h"
#include "SimDemoMap.h"
#include "plugins/simplatform/SimPlatform.h"
#include "plugins/simtuner/SimTuner.h"
#include "resource.h"
#include "zarvexapp/command/TargetPlatform.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"

namespace {

constexpr ULONG kRed = 0x000000FFu;

// The module's one object: constructed while the module loads, which is how
// the configuration recognises an application.
CSimDemoApp g_app;

} // namespace

CSimDemoApp::CSimDemoApp() {
    SetDescription(IDR_DESCRIPTION);
    SetPdf(IDR_BRIEF);
    SetConfigureButton(L"CONFIGURE", L"STOP");
}

CSimDemoApp::~CSimDemoApp() {
    // The pages leave the registries before the base empties them.
    m_pI2CPage.reset();
    m_pInterruptPage.reset();
    m_pRegisterPage.reset();
}

void CSimDemoApp::AddSupportedPlatforms() {
    // Called again by InitApplication: the table is filled once.
    if (m_uSupportedPlatforms == 0) {
        const auto entry = [this](DWORD dcIndex, const wchar_t* dcName, UINT hwVersionId,
                                  DWORD commsParameter) {
            return t_SUPPORTED_PLATFORM{SIMPLATFORM_INDEX,
                                        new CString(L"Pelmarin SimBoard"),
                                        new CString(L"Simulated board"),
                                        dcIndex,
                                        new CString(dcName),
                                        SIMBOARD_API_INDEX,
                                        new CString(ExtractPlatformHwVersionText(hwVersionId)),
                                        new CString(ExtractPlatformHwFeaturesText(IDR_FEATURES)),
                                        commsParameter};
        };
        m_pSupportedPlatforms = new t_SUPPORTED_PLATFORM[2]{
            entry(1, L"SimTuner card", IDR_HWVERSION_TUNER, SIMBOARD_PARAMETER(16, 4)),
            entry(2, L"Memory expansion card", IDR_HWVERSION_MEMORY, SIMBOARD_PARAMETER(64, 8))};
        m_uSupportedPlatforms = 2;
    }
    for (unsigned int i = 0; i < m_uSupportedPlatforms; ++i)
        PrintToDebugFile(L"  %s with %s\n", *m_pSupportedPlatforms[i].pPlatformName,
                         *m_pSupportedPlatforms[i].pPlatformDcName);
}

bool CSimDemoApp::InitApplication(CWnd* pParentGUI, CWnd* pConfigureButton) {
    CZarvexAppBase::InitApplication(pParentGUI, pConfigureButton);
    if (!m_pRegisterPage)
        CreatePages();
    if (!g_pZarvexConfig || !g_pZarvexConfig->LoadTunerModuleDll(SIMTUNER_INDEX))
        PrintToDebugFile(L"### simdemo: the simulated tuner module could not be loaded\n");
    // Without a choice from the host, the first platform it is.
    if (m_iTargetPlatform < 0 ||
        static_cast<unsigned int>(m_iTargetPlatform) >= m_uSupportedPlatforms)
        SetTargetPlatform(0);
    LoadPlatform();
    return true;
}

void CSimDemoApp::CreatePages() {
    m_pRegisterPage = std::make_unique<CRegisterPage>();
    m_pRegisterPage->InitialiseChannel(CHANNEL_0, SIMBOARD_BANK_BASE, 0.0);
    m_pRegisterPage->InitialiseChannel(CHANNEL_1, SIMBOARD_BANK_BASE + SIMBOARD_BANK_STRIDE, 0.0);
    m_pRegisterPage->EnablePage();
    m_pRegisterPage->Connect();

    m_pInterruptPage = std::make_unique<CInterruptPage>();
    m_pInterruptPage->Initialise(static_cast<LONG>(SIMBOARD_INTC_BASE), 0.0);
    m_pInterruptPage->Connect();

    // I2C requests take no base address; the page is only enabled.
    m_pI2CPage = std::make_unique<CI2CPage>();
    m_pI2CPage->Initialise(0, 0.0);
}

bool CSimDemoApp::OnTargetPlatformChange() {
    // A link still loaded was attached with the former platform's parameter.
    UnloadTargetPlatform();
    return LoadPlatform();
}

bool CSimDemoApp::LoadPlatform() {
    if (m_iTargetPlatform < 0 ||
        static_cast<unsigned int>(m_iTargetPlatform) >= m_uSupportedPlatforms)
        return false;
    const DWORD index = m_pSupportedPlatforms[m_iTargetPlatform].uPlatformIndex;
    if (g_pTargetPlatform && g_pTargetPlatform->GetPlatformIndex() == index)
        return true;
    if (!g_pZarvexConfig || !g_pZarvexConfig->LoadPlatformDll(index) || !g_pTargetPlatform) {
        Print(L"ERROR : The simulated board platform could not be loaded.", kRed);
        return false;
    }
    g_pTargetPlatform->Initialise();
    PrintToDebugFile(L"simdemo: target platform %s\n", g_pTargetPlatform->GetFullDescription());
    return true;
}

void CSimDemoApp::OnSimulationStart() {
    CZarvexAppBase::OnSimulationStart();
    if (!m_pRegisterPage)
        return; // started before InitApplication: no pages yet
    m_pRegisterPage->OnSimulationStart();
    m_pInterruptPage->OnSimulationStart();
    m_pI2CPage->OnSimulationStart();
    // The board's memory path, checked at every start with its rates shown.
    if (!PerformDmaCheck(SIMDEMO_DMA_WORDS, SIMBOARD_RAM_BASE, 0xFFFFFFFFu))
        Print(L"Memory: the DMA check failed", kRed);
}

bool CSimDemoApp::CloseDownApplication() {
    const bool unloaded = CZarvexAppBase::CloseDownApplication();
    if (g_pZarvexConfig) {
        g_pZarvexConfig->UnloadTunerModuleDll();
        g_pZarvexConfig->UnloadPlatformDll();
    }
    return unloaded;
}
