#include "I2CPage.h"

#include "ModuleText.h"
#include "SimDemoMap.h"
#include "resource.h"
#include "zarvexapp/command/TunerModuleBase.h"
#include "zarvexapp/contracts/Globals.h"

namespace {
constexpr ULONG kRed = 0x000000FFu;
} // namespace

CI2CPage::CI2CPage() {
    m_strName = ModuleText(IDS_PAGE_I2C);
}

CI2CPage::~CI2CPage() {
    if (g_pTunerModuleBase && g_pTunerModuleBase->m_pCallingPage == this)
        g_pTunerModuleBase->SetCallingPage(nullptr);
}

void CI2CPage::OnSimulationStart() {
    CPageBase::OnSimulationStart();
    if (!GetEnable())
        return;
    // One worker serves the requests in order: the read sees the write.
    m_pEepromWrite = WriteI2CSubAddress(SIMBOARD_I2C_EEPROM, SIMDEMO_EEPROM_ADDRESS,
                                        SIMDEMO_EEPROM_PATTERN, 4, API_FLAG_CALLBACK, nullptr);
    m_pEepromRead = ReadI2CSubAddress(SIMBOARD_I2C_EEPROM, SIMDEMO_EEPROM_ADDRESS, 4, 0, nullptr);
    StartTuner();
}

void CI2CPage::StartTuner() {
    m_pTunerStatus = nullptr;
    CTunerModuleBase* tuner = g_pTunerModuleBase;
    if (!tuner) {
        Print(L"I2C: no tuner module is loaded", kRed);
        return;
    }
    // The tuner's transfers come back to this page.
    tuner->SetCallingPage(this);
    if (!tuner->Initialise() || !tuner->SetFrequency(SIMDEMO_TUNER_KHZ)) {
        Print(L"I2C: the tuner could not be set", kRed);
        return;
    }
    m_pTunerStatus = tuner->RequestStatus();
}

void CI2CPage::OnApiCallBack(UWM_API_COMMAND_MESSAGE* pMsg) {
    CString line;
    bool ok = true;
    if (pMsg == m_pEepromWrite) {
        m_pEepromWrite = nullptr;
        ok = pMsg->dwData != SIMBOARD_BUS_ERROR; // how the board reports a failed transfer
        line.Format(L"I2C: EEPROM 0x%02X written with 0x%08X%s", SIMDEMO_EEPROM_ADDRESS,
                    SIMDEMO_EEPROM_PATTERN, ok ? L"" : L" (FAILED)");
    } else if (pMsg == m_pEepromRead) {
        m_pEepromRead = nullptr;
        ok = pMsg->dwData == SIMDEMO_EEPROM_PATTERN;
        line.Format(L"I2C: EEPROM 0x%02X reads back 0x%08X%s", SIMDEMO_EEPROM_ADDRESS, pMsg->dwData,
                    ok ? L"" : L" (MISMATCH)");
    } else if (pMsg == m_pTunerStatus && g_pTunerModuleBase) {
        m_pTunerStatus = nullptr;
        const ULONG kHz = g_pTunerModuleBase->DecodeStatus(pMsg);
        ok = kHz == g_pTunerModuleBase->GetFrequency();
        line.Format(L"I2C: tuner at %u kHz%s", kHz, ok ? L"" : L" (NOT TUNED)");
    } else {
        return;
    }
    Print(line, ok ? 0 : kRed);
}
