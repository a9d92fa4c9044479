#pragma once
// CRegisterPage: the register page of simdemo.cap. At the start of a run it
// writes its set-up (base 0: the control block, base 1: a coefficient
// table) and reads it back both ways a page can: with a call-back, and with
// a waiting read. While the call-back is outstanding it holds the
// application's timer back. On every tick of the run it writes a heartbeat
// and checks it by reading it back. A windowless page: it reports through
// the print window.

#include "zarvexapp/pages/PageBase.h"

#include "SimDemoMap.h"

class CRegisterPage final : public CPageBase {
public:
    CRegisterPage();

    // Registers the page for the application's timer.
    void Connect();

    void OnSimulationStart() override;
    void OnApiCallBack(UWM_API_COMMAND_MESSAGE* pMsg) override;
    void OnTimer(unsigned int uTimerId) override;

private:
    void Report(const wchar_t* how, ULONG ulValue);

    // The scratch read in flight: only compared with records that come back.
    UWM_API_COMMAND_MESSAGE* m_pScratchRead = nullptr;
    unsigned int m_uTicks = 0;
    ULONG m_ulCoefficients[SIMDEMO_COEFFICIENTS] = {};
};
