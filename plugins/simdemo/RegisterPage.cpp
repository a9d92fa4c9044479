#include "RegisterPage.h"

#include "ModuleText.h"
#include "resource.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/contracts/Globals.h"

#include <cstdint>

namespace {
constexpr ULONG kAllBits = 0xFFFFFFFFu;
constexpr ULONG kRed = 0x000000FFu;
} // namespace

CRegisterPage::CRegisterPage() {
    m_strName = ModuleText(IDS_PAGE_REGISTERS);
}

void CRegisterPage::Connect() {
    RegisterForTimer();
}

void CRegisterPage::OnSimulationStart() {
    CPageBase::OnSimulationStart();
    if (!GetEnable())
        return;
    m_uTicks = 0;

    // Fire and forget: the worker frees these records.
    WriteMemory(SIMDEMO_REG_CONTROL, SIMDEMO_CONTROL_ENABLE, kAllBits, API_FLAG_BASE0, nullptr);
    WriteMemory(SIMDEMO_REG_SCRATCH, SIMDEMO_SCRATCH_PATTERN, kAllBits, API_FLAG_BASE0, nullptr);
    for (ULONG i = 0; i < SIMDEMO_COEFFICIENTS; ++i)
        m_ulCoefficients[i] = 0x100u * (i + 1);
    BurstWriteMemoryAndWait(0, m_ulCoefficients, SIMDEMO_COEFFICIENTS, API_FLAG_BASE1, nullptr);

    // The call-back form: the value arrives in OnApiCallBack once this
    // thread is back in its message loop. Until then the timer waits.
    m_pScratchRead = ReadMemory(SIMDEMO_REG_SCRATCH, kAllBits, API_FLAG_BASE0, nullptr);
    m_bBlockTimer = m_pScratchRead != nullptr;

    // The waiting form: this thread blocks until the worker has the value.
    Report(L"waiting read",
           ReadMemoryAndWait(SIMDEMO_REG_SCRATCH, kAllBits, API_FLAG_BASE0, nullptr));
}

void CRegisterPage::OnApiCallBack(UWM_API_COMMAND_MESSAGE* pMsg) {
    if (pMsg->pUserData) {
        // A heartbeat read carries the tick it was made on as its user data.
        const auto tick = static_cast<ULONG>(reinterpret_cast<std::uintptr_t>(pMsg->pUserData));
        if (pMsg->dwData != tick) {
            CString line;
            line.Format(L"Registers: heartbeat reads 0x%08X instead of 0x%08X", pMsg->dwData, tick);
            Print(line, kRed);
        }
    } else if (pMsg == m_pScratchRead) {
        m_pScratchRead = nullptr;
        m_bBlockTimer = false;
        Report(L"call-back read", pMsg->dwData);
    }
}

void CRegisterPage::OnTimer(unsigned int) {
    if (!g_pApplication || !g_pApplication->m_bStarted)
        return;
    if (++m_uTicks == 1)
        Print(L"Registers: timer running", 0);
    WriteMemory(SIMDEMO_REG_HEARTBEAT, m_uTicks, kAllBits, API_FLAG_BASE0, nullptr);
    ReadMemory(SIMDEMO_REG_HEARTBEAT, kAllBits, API_FLAG_BASE0,
               reinterpret_cast<void*>(static_cast<std::uintptr_t>(m_uTicks)));
}

void CRegisterPage::Report(const wchar_t* how, ULONG ulValue) {
    const bool ok = ulValue == SIMDEMO_SCRATCH_PATTERN;
    CString line;
    line.Format(L"Registers: %s of 0x%08X returned 0x%08X%s", how,
                static_cast<ULONG>(GetBaseAddress(0)) + SIMDEMO_REG_SCRATCH, ulValue,
                ok ? L"" : L" (MISMATCH)");
    Print(line, ok ? 0 : kRed);
}
