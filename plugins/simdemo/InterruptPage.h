#pragma once
// CInterruptPage: the interrupt page of simdemo.cap. It listens to one
// parent interrupt of the simulated board's interrupt controller and
// services every source pending in its vector; the application writes the
// serviced bits back and enables the parent interrupt again. During a run
// it plays a data source that raises an interrupt every
// SIMDEMO_RAISE_PERIOD timer ticks. A windowless page: it reports through
// the print window.

#include "zarvexapp/pages/PageBase.h"

class CInterruptPage final : public CPageBase {
public:
    CInterruptPage();

    // Adds the parent interrupt to the application and registers the page
    // for it and for the timer. The page must be enabled (Initialise).
    void Connect();

    void OnSimulationStart() override;
    ULONG OnInterrupt(ULONG ulParentInterrupt, ULONG ulData) override;
    void OnTimer(unsigned int uTimerId) override;

private:
    unsigned int m_uServiced = 0;
    unsigned int m_uTicks = 0;
};
