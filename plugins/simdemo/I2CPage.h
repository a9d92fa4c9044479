#pragma once
// CI2CPage: the I2C page of simdemo.cap. At the start of a run it writes a
// word to the board's EEPROM and reads it back, and tunes the tuner module
// the application loaded (g_pTunerModuleBase) and reads its registers back;
// every answer comes back to this page as a call-back. A windowless page:
// it reports through the print window.

#include "zarvexapp/pages/PageBase.h"

class CI2CPage final : public CPageBase {
public:
    CI2CPage();
    ~CI2CPage() override;

    void OnSimulationStart() override;
    void OnApiCallBack(UWM_API_COMMAND_MESSAGE* pMsg) override;

private:
    void StartTuner();

    // Requests in flight: only compared with records that come back.
    UWM_API_COMMAND_MESSAGE* m_pEepromWrite = nullptr;
    UWM_API_COMMAND_MESSAGE* m_pEepromRead = nullptr;
    UWM_API_COMMAND_MESSAGE* m_pTunerStatus = nullptr;
};
