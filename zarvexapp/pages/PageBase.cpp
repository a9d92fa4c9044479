#include "zarvexapp/pages/PageBase.h"

#include "cmnctrls/Registry.h"
#include "platform/ControlMessages.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/CallbackTargets.h"
#include "zarvexapp/command/RequestFlags.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/shell/ProgressControl.h"

namespace {

constexpr ULONG kNoBase = 0xFFFFFFFFu;

// What a page made without an application reads as its API: none.
CAPI* g_noApi = nullptr;

CAPI*& ApplicationApi() {
    return g_pApplication ? g_pApplication->m_pAPI : g_noApi;
}

using zx::AsyncCallBackFlags;
using zx::AsyncFlags;
using zx::WaitFlags;

} // namespace

CPageBase::CPageBase(CAPI*& rpAPI)
    : m_bSimulationStarted(false),
      m_rpAPI(rpAPI), m_ulBaseAddress{kNoBase, kNoBase, kNoBase, kNoBase}, m_dInitValue(0.0),
      m_hResourceInstance(nullptr), m_bEnable(false), m_bActive(false), m_bBlockTimer(false),
      m_pRegistry(nullptr) {
    CommonConstruct();
    zx::NotePageAlive(this);
}

CPageBase::CPageBase() : CPageBase(ApplicationApi()) {}

CPageBase::~CPageBase() {
    // From here on its requests in flight are freed when they come back.
    zx::NotePageGone(this);
    delete m_pRegistry;
    m_pRegistry = nullptr;
    if (g_pApplication) {
        g_pApplication->DeRegisterInterrupt(this);
        g_pApplication->DeRegisterSoftwareReset(this);
        g_pApplication->DeRegisterTimer(this);
    }
}

void CPageBase::CommonConstruct() {
    for (ULONG& base : m_ulBaseAddress)
        base = kNoBase;
    m_bEnable = false;
    m_bBlockTimer = false;
    m_bSimulationStarted = false;
    m_bActive = false;
    m_hResourceInstance = nullptr;
    if (g_pApplication)
        g_pApplication->NumberOfPagesInc();
    if (!m_pRegistry)
        m_pRegistry = new CRegistry;
}

// ---- Virtual operations ------------------------------------------------------------

void CPageBase::Initialise(LONG lBaseAddress, double dValue) {
    for (ULONG& base : m_ulBaseAddress)
        base = static_cast<ULONG>(lBaseAddress);
    m_dInitValue = dValue;
    m_bEnable = true;
}

void CPageBase::InitialiseChannel(t_CHANNEL eChannel, LONG lBaseAddress, double) {
    if (eChannel <= CHANNEL_3)
        m_ulBaseAddress[eChannel] = static_cast<ULONG>(lBaseAddress);
}

void CPageBase::OnSimulationStart() {
    if (!m_bEnable)
        return;
    bool anySet = false;
    for (ULONG base : m_ulBaseAddress)
        anySet = anySet || base != kNoBase;
    if (!anySet)
        PrintToDebugFile(L"#### ERROR - BaseAddress has not been initialised in parent page \n");
    // One step of the application's start-up progress bar.
    if (g_pApplication && g_pApplication->m_pProgressControl) {
        CProgressCtrl& bar = g_pApplication->m_pProgressControl->m_ProgressCtrl;
        if (bar.GetSafeHwnd())
            bar.SendMessageW(PBM_STEPIT, 0, 0);
    }
    m_bSimulationStarted = true;
}

BOOL CPageBase::FinishOnInitDialog() {
    LoadFromRegistry();
    UpdateData(FALSE);
    return TRUE;
}

void CPageBase::OnApiCallBack(UWM_API_COMMAND_MESSAGE*) {}
void CPageBase::InterPageCall(unsigned int) {}
void CPageBase::SoftwareReset(bool) {}
void CPageBase::PostOnInitDialog() {}
void CPageBase::UpdateDialog() {}
void CPageBase::OnTimer(unsigned int) {}

ULONG CPageBase::OnInterrupt(ULONG, ULONG) {
    return 0;
}

void CPageBase::OnSoftwareReset(bool) {}
void CPageBase::RegistryAccess() {}

// ---- Window ---------------------------------------------------------------------------

void CPageBase::DoDataExchange(CDataExchange*) {}

BOOL CPageBase::DestroyWindow() {
    return CWnd::DestroyWindow();
}

BOOL CPageBase::OnInitDialog() {
    ModifyStyle(0, WS_TABSTOP);
    return CPropertyPage::OnInitDialog();
}

BOOL CPageBase::OnSetActive() {
    LoadFromRegistry();
    UpdateData(FALSE);
    m_bActive = true;
    return CPropertyPage::OnSetActive();
}

BOOL CPageBase::OnKillActive() {
    UpdateData(TRUE);
    SaveToRegistry();
    m_bActive = false;
    return CPropertyPage::OnKillActive();
}

// ---- Identity, state and settings ------------------------------------------------------------

CString CPageBase::GetName() {
    return m_strName;
}

CString CPageBase::GetMyRegistryKey() {
    return m_strRegistryKey;
}

void CPageBase::SetMyRegistryKey(const wchar_t* pKey) {
    m_strRegistryKey = pKey;
    if (m_pRegistry)
        m_pRegistry->SetKey(m_strRegistryKey);
}

int CPageBase::GetBaseAddress(unsigned int uIndex) {
    return static_cast<int>(uIndex < 4 ? m_ulBaseAddress[uIndex] : kNoBase);
}

bool CPageBase::GetEnable() {
    return m_bEnable;
}

void CPageBase::EnablePage() {
    m_bEnable = true;
}

void CPageBase::DisablePage() {
    m_bEnable = false;
    if (g_pApplication) {
        g_pApplication->DeRegisterInterrupt(this);
        g_pApplication->DeRegisterSoftwareReset(this);
        g_pApplication->DeRegisterTimer(this);
    }
}

bool CPageBase::CanTheTimerBeEnabled() {
    return !m_bBlockTimer;
}

void CPageBase::LoadFromRegistry() {
    if (!m_pRegistry)
        return;
    m_pRegistry->OpenReadKey();
    RegistryAccess();
    m_pRegistry->CloseKey();
}

void CPageBase::SaveToRegistry() {
    if (!m_pRegistry)
        return;
    m_pRegistry->OpenUpdateKey();
    RegistryAccess();
    m_pRegistry->CloseKey();
}

void CPageBase::WriteNewToRegistry() {
    if (!m_pRegistry)
        return;
    m_pRegistry->OpenWriteNewKey();
    RegistryAccess();
    m_pRegistry->CloseKey();
}

// ---- Hardware requests -------------------------------------------------------------------------

ULONG CPageBase::AddBases(ULONG ulOffset, unsigned int uFlags) const {
    return zx::AddBaseAddresses(ulOffset, uFlags, m_ulBaseAddress);
}

UWM_API_COMMAND_MESSAGE* CPageBase::WriteMemory(ULONG ulOffset, ULONG ulData, ULONG ulMask,
                                                unsigned int uFlags, void* pUserData) {
    CAPI* api = m_rpAPI;
    return api ? api->WriteMemory(this, AddBases(ulOffset, uFlags), ulData, ulMask,
                                  AsyncFlags(uFlags), pUserData)
               : nullptr;
}

UWM_API_COMMAND_MESSAGE* CPageBase::ReadMemory(ULONG ulOffset, ULONG ulMask, unsigned int uFlags,
                                               void* pUserData) {
    CAPI* api = m_rpAPI;
    return api ? api->ReadMemory(this, AddBases(ulOffset, uFlags), ulMask,
                                 AsyncCallBackFlags(uFlags), pUserData)
               : nullptr;
}

UWM_API_COMMAND_MESSAGE* CPageBase::BurstWriteMemory(ULONG ulOffset, ULONG* pulBuffer,
                                                     ULONG ulCount, unsigned int uFlags,
                                                     void* pUserData) {
    CAPI* api = m_rpAPI;
    return api ? api->BurstWriteMemory(this, AddBases(ulOffset, uFlags), pulBuffer, ulCount,
                                       AsyncFlags(uFlags), pUserData)
               : nullptr;
}

UWM_API_COMMAND_MESSAGE* CPageBase::BurstReadMemory(ULONG ulOffset, ULONG* pulBuffer, ULONG ulCount,
                                                    unsigned int uFlags, void* pUserData) {
    CAPI* api = m_rpAPI;
    return api ? api->BurstReadMemory(this, AddBases(ulOffset, uFlags), pulBuffer, ulCount,
                                      AsyncCallBackFlags(uFlags), pUserData)
               : nullptr;
}

void CPageBase::WriteMemoryAndWait(ULONG ulOffset, ULONG ulData, ULONG ulMask, unsigned int uFlags,
                                   void* pUserData) {
    if (CAPI* api = m_rpAPI)
        delete api->WriteMemory(this, AddBases(ulOffset, uFlags), ulData, ulMask, WaitFlags(uFlags),
                                pUserData);
}

ULONG CPageBase::ReadMemoryAndWait(ULONG ulOffset, ULONG ulMask, unsigned int uFlags,
                                   void* pUserData) {
    CAPI* api = m_rpAPI;
    if (!api)
        return 0;
    UWM_API_COMMAND_MESSAGE* msg =
        api->ReadMemory(this, AddBases(ulOffset, uFlags), ulMask, WaitFlags(uFlags), pUserData);
    const ULONG value = msg ? msg->dwData : 0;
    delete msg;
    return value;
}

void CPageBase::BurstWriteMemoryAndWait(ULONG ulOffset, ULONG* pulBuffer, ULONG ulCount,
                                        unsigned int uFlags, void* pUserData) {
    if (CAPI* api = m_rpAPI)
        delete api->BurstWriteMemory(this, AddBases(ulOffset, uFlags), pulBuffer, ulCount,
                                     WaitFlags(uFlags), pUserData);
}

void CPageBase::BurstReadMemoryAndWait(ULONG ulOffset, ULONG* pulBuffer, ULONG ulCount,
                                       unsigned int uFlags, void* pUserData) {
    if (CAPI* api = m_rpAPI)
        delete api->BurstReadMemory(this, AddBases(ulOffset, uFlags), pulBuffer, ulCount,
                                    WaitFlags(uFlags), pUserData);
}

UWM_API_COMMAND_MESSAGE* CPageBase::WriteI2CAddress(unsigned char ucDevice, ULONG ulData,
                                                    unsigned int uCount, unsigned int uFlags,
                                                    void* pUserData) {
    CAPI* api = m_rpAPI;
    return api ? api->WriteI2CAddress(this, ucDevice, ulData, uCount, AsyncFlags(uFlags), pUserData)
               : nullptr;
}

UWM_API_COMMAND_MESSAGE* CPageBase::ReadI2CAddress(unsigned char ucDevice, unsigned int uCount,
                                                   unsigned int uFlags, void* pUserData) {
    CAPI* api = m_rpAPI;
    return api ? api->ReadI2CAddress(this, ucDevice, uCount, AsyncCallBackFlags(uFlags), pUserData)
               : nullptr;
}

UWM_API_COMMAND_MESSAGE* CPageBase::WriteI2CSubAddress(unsigned char ucDevice,
                                                       unsigned char ucSubAddress, ULONG ulData,
                                                       unsigned int uCount, unsigned int uFlags,
                                                       void* pUserData) {
    CAPI* api = m_rpAPI;
    return api ? api->WriteI2CSubAddress(this, ucDevice, ucSubAddress, ulData, uCount,
                                         AsyncFlags(uFlags), pUserData)
               : nullptr;
}

UWM_API_COMMAND_MESSAGE* CPageBase::ReadI2CSubAddress(unsigned char ucDevice,
                                                      unsigned char ucSubAddress,
                                                      unsigned int uCount, unsigned int uFlags,
                                                      void* pUserData) {
    CAPI* api = m_rpAPI;
    return api ? api->ReadI2CSubAddress(this, ucDevice, ucSubAddress, uCount,
                                        AsyncCallBackFlags(uFlags), pUserData)
               : nullptr;
}

// ---- Registration ------------------------------------------------------------------------------

void CPageBase::RegisterForTimer() {
    if (g_pApplication)
        g_pApplication->RegisterForTimer(this);
}

void CPageBase::RegisterForSoftwareReset() {
    if (g_pApplication)
        g_pApplication->RegisterForSoftwareReset(this);
}

int CPageBase::RegisterForInterrupt(LONG lParentInterrupt, bool bForce) {
    if (!g_pApplication || (!m_bEnable && !bForce))
        return -1;
    return g_pApplication->RegisterForInterrupt(this, lParentInterrupt);
}

void CPageBase::DeRegisterTimer() {
    if (g_pApplication)
        g_pApplication->DeRegisterTimer(this);
}

void CPageBase::DeRegisterSoftwareReset() {
    if (g_pApplication)
        g_pApplication->DeRegisterSoftwareReset(this);
}

void CPageBase::DeRegisterInterrupt() {
    if (g_pApplication)
        g_pApplication->DeRegisterInterrupt(this);
}

void CPageBase::DeRegisterPage() {
    if (g_pApplication)
        g_pApplication->DeRegisterPage(this);
}

void CPageBase::SoftwareResetNotify(bool bReset) {
    if (g_pApplication)
        g_pApplication->SoftwareResetNotify(bReset);
}

// ---- Forwarding ---------------------------------------------------------------------------------

void CPageBase::Print(const wchar_t* pText, ULONG ulColour) {
    if (g_pApplication)
        g_pApplication->Print(pText, ulColour);
}

void CPageBase::Print(const wchar_t* pFormat, const wchar_t* pArgument, ULONG ulColour) {
    if (g_pApplication)
        g_pApplication->Print(pFormat, pArgument, ulColour);
}

void CPageBase::PrintToDebugFile(const wchar_t* pFormat, const wchar_t* p1, const wchar_t* p2,
                                 const wchar_t* p3) {
    if (g_pZarvexConfig)
        g_pZarvexConfig->PrintToDebugFile(pFormat, p1, p2, p3);
}

void CPageBase::EnableConfigureButton(bool bEnable) {
    if (g_pApplication)
        g_pApplication->EnableConfigureButton(bEnable);
}

// Progress goes through the API's worker record, as the worker's own does.
void CPageBase::SetProgressDivisor(unsigned int uDivisor) {
    if (CAPI* api = m_rpAPI)
        api->SetProgressDivisor(uDivisor);
}

void CPageBase::SetProgressRange(unsigned int uRange) {
    if (CAPI* api = m_rpAPI)
        api->SetProgressRange(uRange);
}

void CPageBase::SetProgressValue(unsigned int uValue) {
    if (CAPI* api = m_rpAPI)
        api->SetProgressValue(uValue);
}

void CPageBase::IncrementProgress() {
    if (CAPI* api = m_rpAPI)
        api->IncrementProgress();
}

int CPageBase::GetProgressRange() {
    CAPI* api = m_rpAPI;
    return api ? api->GetProgressRange() : 0;
}

unsigned int CPageBase::GetProgressValue() {
    CAPI* api = m_rpAPI;
    return api ? api->GetProgressValue() : 0;
}
