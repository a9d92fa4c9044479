#pragma once
// CTunerModuleBase: the base of every tuner-module plug-in (.ctm), which
// drives a tuner over I2C. The plug-in constructs one object of its class
// while its module loads; its own constructor sets the index and the texts
// and stores the object in g_pTunerModuleBase. The base destructor clears
// that global again.
//
// The tuner's I2C transfers go through the loaded command API. Their results
// come back to the page that asked (SetCallingPage) or, without one, to the
// application object.
//
// The order of the virtual operations is a binary interface with plug-ins
// built separately: never reorder, insert or remove one. The destructor is
// deliberately not virtual.

#include "platform/String.h"
#include "platform/WinTypes.h"
#include "zarvexapp/command/ApiCommandMessage.h"

class CPageBase;

class CTunerModuleBase {
public:
    CTunerModuleBase();
    CTunerModuleBase(const CTunerModuleBase& other);
    CTunerModuleBase& operator=(const CTunerModuleBase& other);
    ~CTunerModuleBase();

    // ---- Virtual operations, in slot order (all supplied by the plug-in) ------
    // Used by application plug-ins only; the library never calls them.
    /* 0 */ virtual bool Initialise() = 0;
    /* 1 */ virtual bool SetFrequency(ULONG ulFrequencyKHz) = 0;
    /* 2 */ virtual ULONG GetFrequency() = 0;
    // Starts a status read; the record comes back to the calling page (or
    // the application) as a call-back.
    /* 3 */ virtual UWM_API_COMMAND_MESSAGE* RequestStatus() = 0;
    // Interprets a status read that came back.
    /* 4 */ virtual ULONG DecodeStatus(const UWM_API_COMMAND_MESSAGE* pMsg) = 0;

    // 0xFFFFFFFF: the object declares no index and is not recorded.
    unsigned int GetTunerModuleIndex();
    CString GetDescription();
    CString GetFullDescription();

    // The page whose call-back receives the results of the next transfers;
    // null routes them to the application.
    void SetCallingPage(CPageBase* pPage);

    unsigned int m_uTunerModuleIndex;
    CString m_strDescription;
    CString m_strFullDescription;
    CPageBase* m_pCallingPage;

protected:
    // Each returns the record the API built, or null without an application,
    // without an API, or (with a calling page) when that page's API is null.
    // No base address is added; WAIT is cleared, reads get CALLBACK.
    UWM_API_COMMAND_MESSAGE* WriteI2CAddress(unsigned char address, ULONG data, unsigned int count,
                                             unsigned int flags, void* userData);
    UWM_API_COMMAND_MESSAGE* ReadI2CAddress(unsigned char address, unsigned int count,
                                            unsigned int flags, void* userData);
    UWM_API_COMMAND_MESSAGE* WriteI2CSubAddress(unsigned char address, unsigned char subAddress,
                                                ULONG data, unsigned int count, unsigned int flags,
                                                void* userData);
    UWM_API_COMMAND_MESSAGE* ReadI2CSubAddress(unsigned char address, unsigned char subAddress,
                                               unsigned int count, unsigned int flags,
                                               void* userData);
};
