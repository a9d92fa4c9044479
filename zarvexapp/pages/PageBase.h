#pragma once
// CPageBase: the base of every page that talks to the hardware (tab pages,
// their sub-pages, the System pages). A dialog page that adds:
//  - four base addresses, so that a page addresses its register block by
//    offsets (the API_FLAG_BASEn bits of a request select which are added);
//  - requests through the loaded command API, answered later by a call-back
//    to OnApiCallBack or waited for;
//  - registration with the application for timer ticks, software-reset
//    notices and interrupts, and the operations through which it calls back;
//  - its settings under its own registry key.
//
// A page destroyed while requests of its are in flight is never called for
// them: their records are freed when they come back.
//
// The order of the virtual operations below is a binary interface with
// plug-in pages built separately: never reorder, insert or remove one.
// User-interface thread only.

#include "platform/PropertyPage.h"
#include "platform/String.h"
#include "platform/WinTypes.h"
#include "zarvexapp/command/ApiCommandMessage.h"

class CAPI;
class CDataExchange;
class CRegistry;

// A base address of a page.
enum t_CHANNEL : DWORD {
    CHANNEL_0 = 0,
    CHANNEL_1 = 1,
    CHANNEL_2 = 2,
    CHANNEL_3 = 3,
};

class CPageBase : public CPropertyPage {
public:
    // Requests read the API through rpAPI at the moment they are made.
    explicit CPageBase(CAPI*& rpAPI);
    // Uses the application's own API pointer.
    CPageBase();
    ~CPageBase() override;

    // ---- Virtual operations, in slot order after CPropertyPage's -------------
    // All four bases = lBaseAddress; enables the page.
    /* 1 */ virtual void Initialise(LONG lBaseAddress, double dValue);
    // Base eChannel = lBaseAddress; the page stays as enabled as it was.
    /* 2 */ virtual void InitialiseChannel(t_CHANNEL eChannel, LONG lBaseAddress, double dValue);
    /* 3 */ virtual void OnSimulationStart();
    // The last step of a derived page's dialog initialisation: settings in,
    // controls filled. Returns TRUE.
    /* 4 */ virtual BOOL FinishOnInitDialog();
    // A request of this page sent with API_FLAG_CALLBACK came back. The
    // record is freed when this returns: copy what is needed.
    /* 5 */ virtual void OnApiCallBack(UWM_API_COMMAND_MESSAGE* pMsg);
    /* 6 */ virtual void InterPageCall(unsigned int uCode);
    /* 7 */ virtual void SoftwareReset(bool bReset);
    /* 8 */ virtual void PostOnInitDialog();
    /* 9 */ virtual void UpdateDialog();
    /* 10 */ virtual void OnTimer(unsigned int uTimerId);
    // Services vector value ulData of parent interrupt ulParentInterrupt;
    // returns the bits it serviced (written back to the vector register).
    /* 11 */ virtual ULONG OnInterrupt(ULONG ulParentInterrupt, ULONG ulData);
    /* 12 */ virtual void OnSoftwareReset(bool bReset);
    // Exchanges each persistent member with one CRegistry::RegistryAccess call.
    /* 13 */ virtual void RegistryAccess();

    // ---- CPropertyPage / CWnd overrides ---------------------------------------------
    BOOL DestroyWindow() override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;

    // ---- Identity and state -------------------------------------------------------------
    CString GetName();
    CString GetMyRegistryKey();
    void SetMyRegistryKey(const wchar_t* pKey);
    // Base address uIndex (0 to 3); 0xFFFFFFFF when never set or out of range.
    int GetBaseAddress(unsigned int uIndex);
    bool GetEnable();
    void EnablePage();
    // Also removes the page from the application's registries.
    void DisablePage();
    bool CanTheTimerBeEnabled();

    bool m_bSimulationStarted;
    CAPI*& m_rpAPI;
    ULONG m_ulBaseAddress[4];
    double m_dInitValue;
    HINSTANCE m_hResourceInstance;
    bool m_bEnable;
    CString m_strName;
    bool m_bActive;
    bool m_bBlockTimer;
    CString m_strRegistryKey;
    CRegistry* m_pRegistry;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void CommonConstruct();

    void LoadFromRegistry();
    void SaveToRegistry();
    void WriteNewToRegistry();

    // ---- Hardware requests ---------------------------------------------------------------
    // Without an API each does nothing and returns null (0). The bases
    // selected by the API_FLAG_BASEn bits are added to the offset (the bits
    // stay set); the page is the call-back target.
    // Asynchronous: WAIT cleared; reads also get CALLBACK.
    UWM_API_COMMAND_MESSAGE* WriteMemory(ULONG ulOffset, ULONG ulData, ULONG ulMask,
                                         unsigned int uFlags, void* pUserData);
    UWM_API_COMMAND_MESSAGE* ReadMemory(ULONG ulOffset, ULONG ulMask, unsigned int uFlags,
                                        void* pUserData);
    UWM_API_COMMAND_MESSAGE* BurstWriteMemory(ULONG ulOffset, ULONG* pulBuffer, ULONG ulCount,
                                              unsigned int uFlags, void* pUserData);
    UWM_API_COMMAND_MESSAGE* BurstReadMemory(ULONG ulOffset, ULONG* pulBuffer, ULONG ulCount,
                                             unsigned int uFlags, void* pUserData);
    // Waiting: CALLBACK cleared, WAIT set; the record is freed here.
    void WriteMemoryAndWait(ULONG ulOffset, ULONG ulData, ULONG ulMask, unsigned int uFlags,
                            void* pUserData);
    ULONG ReadMemoryAndWait(ULONG ulOffset, ULONG ulMask, unsigned int uFlags, void* pUserData);
    void BurstWriteMemoryAndWait(ULONG ulOffset, ULONG* pulBuffer, ULONG ulCount,
                                 unsigned int uFlags, void* pUserData);
    void BurstReadMemoryAndWait(ULONG ulOffset, ULONG* pulBuffer, ULONG ulCount,
                                unsigned int uFlags, void* pUserData);
    // I2C through the communications plug-in; no base is added.
    UWM_API_COMMAND_MESSAGE* WriteI2CAddress(unsigned char ucDevice, ULONG ulData,
                                             unsigned int uCount, unsigned int uFlags,
                                             void* pUserData);
    UWM_API_COMMAND_MESSAGE* ReadI2CAddress(unsigned char ucDevice, unsigned int uCount,
                                            unsigned int uFlags, void* pUserData);
    UWM_API_COMMAND_MESSAGE* WriteI2CSubAddress(unsigned char ucDevice, unsigned char ucSubAddress,
                                                ULONG ulData, unsigned int uCount,
                                                unsigned int uFlags, void* pUserData);
    UWM_API_COMMAND_MESSAGE* ReadI2CSubAddress(unsigned char ucDevice, unsigned char ucSubAddress,
                                               unsigned int uCount, unsigned int uFlags,
                                               void* pUserData);

    // ---- Registration with the application ---------------------------------------------
    // Each does nothing without an application.
    void RegisterForTimer();
    void RegisterForSoftwareReset();
    // -1 when the page is disabled and not forced, or without an application.
    int RegisterForInterrupt(LONG lParentInterrupt, bool bForce);
    void DeRegisterTimer();
    void DeRegisterSoftwareReset();
    void DeRegisterInterrupt();
    void DeRegisterPage();
    void SoftwareResetNotify(bool bReset);

    // ---- Forwarding -----------------------------------------------------------------------
    void Print(const wchar_t* pText, ULONG ulColour);
    void Print(const wchar_t* pFormat, const wchar_t* pArgument, ULONG ulColour);
    void PrintToDebugFile(const wchar_t* pFormat, const wchar_t* p1 = nullptr,
                          const wchar_t* p2 = nullptr, const wchar_t* p3 = nullptr);
    void EnableConfigureButton(bool bEnable);
    // Progress through the API's worker record; nothing (0) without one.
    void SetProgressDivisor(unsigned int uDivisor);
    void SetProgressRange(unsigned int uRange);
    void SetProgressValue(unsigned int uValue);
    void IncrementProgress();
    int GetProgressRange();
    unsigned int GetProgressValue();

private:
    ULONG AddBases(ULONG ulOffset, unsigned int uFlags) const;
};
