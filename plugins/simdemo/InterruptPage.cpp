#include "InterruptPage.h"

#include "ModuleText.h"
#include "SimDemoMap.h"
#include "resource.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/contracts/Globals.h"

namespace {
constexpr ULONG kAllBits = 0xFFFFFFFFu;
constexpr ULONG kRed = 0x000000FFu;
// The page's registers, as offsets from its base 0 (the interrupt controller).
constexpr ULONG kVector = SIMBOARD_INTC_VECTOR(SIMDEMO_PARENT) - SIMBOARD_INTC_BASE;
constexpr ULONG kRaise = SIMBOARD_INTC_RAISE(SIMDEMO_PARENT) - SIMBOARD_INTC_BASE;
} // namespace

CInterruptPage::CInterruptPage() {
    m_strName = ModuleText(IDS_PAGE_INTERRUPTS);
}

void CInterruptPage::Connect() {
    if (!g_pApplication)
        return;
    const ULONG parent = g_pApplication->AddParentInterrupt(
        1u << SIMDEMO_PARENT, static_cast<ULONG>(GetBaseAddress(0)) + kVector);
    RegisterForInterrupt(static_cast<LONG>(parent), false);
    RegisterForTimer();
}

void CInterruptPage::OnSimulationStart() {
    CPageBase::OnSimulationStart();
    if (!GetEnable())
        return;
    m_uServiced = 0;
    m_uTicks = 0;
    // Sources left pending by an earlier run are acknowledged unseen.
    WriteMemory(kVector, kAllBits, kAllBits, API_FLAG_BASE0, nullptr);
}

ULONG CInterruptPage::OnInterrupt(ULONG ulParentInterrupt, ULONG ulData) {
    ++m_uServiced;
    const ULONG unknown = ulData & ~(SIMDEMO_SOURCE_DATA_READY | SIMDEMO_SOURCE_OVERFLOW);
    CString line;
    line.Format(L"Interrupts: parent %u vector 0x%X serviced%s%s%s (%u so far)", ulParentInterrupt,
                ulData, ulData & SIMDEMO_SOURCE_DATA_READY ? L", data ready" : L"",
                ulData & SIMDEMO_SOURCE_OVERFLOW ? L", overflow" : L"",
                unknown ? L", unexpected sources" : L"", m_uServiced);
    Print(line, unknown || (ulData & SIMDEMO_SOURCE_OVERFLOW) ? kRed : 0);
    // Every pending source is acknowledged, unknown ones too: a source left
    // set would keep the parent interrupt asserted for ever.
    return ulData;
}

void CInterruptPage::OnTimer(unsigned int) {
    if (!g_pApplication || !g_pApplication->m_bStarted)
        return;
    if (++m_uTicks % SIMDEMO_RAISE_PERIOD == 0)
        WriteMemory(kRaise, SIMDEMO_SOURCE_DATA_READY, kAllBits, API_FLAG_BASE0, nullptr);
}
