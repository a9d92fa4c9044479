#include "SimTuner.h"

#include "plugins/simboard/SimBoardMap.h"
#include "zarvexapp/contracts/Globals.h"

namespace {

// The module's one object: constructed while the module loads, which is how
// the configuration recognises a tuner module.
CSimTuner g_tuner;

// Marks this module's status reads (their pUserData), so that DecodeStatus
// never mistakes another record for one.
const char kStatusRead = 0;

} // namespace

CSimTuner::CSimTuner() {
    m_uTunerModuleIndex = SIMTUNER_INDEX;
    m_strDescription = L"Simulated tuner";
    m_strFullDescription = L"Simulated tuner on the SimBoard I2C bus";
    g_pTunerModuleBase = this;
}

bool CSimTuner::Initialise() {
    m_ulFrequencyKHz = 0;
    return WriteI2CSubAddress(SIMTUNER_I2C_REGISTERS, SIMTUNER_REG_CONTROL, SIMTUNER_CONTROL_POWER,
                              1, 0, nullptr) != nullptr;
}

bool CSimTuner::SetFrequency(ULONG ulFrequencyKHz) {
    if (ulFrequencyKHz < SIMTUNER_MIN_KHZ || ulFrequencyKHz > SIMTUNER_MAX_KHZ)
        return false;
    // The records are freed by the worker (no call-back): only whether they
    // went out matters here.
    if (!WriteI2CSubAddress(SIMTUNER_I2C_REGISTERS, SIMTUNER_REG_FREQUENCY, ulFrequencyKHz, 4, 0,
                            nullptr))
        return false;
    WriteI2CSubAddress(SIMTUNER_I2C_REGISTERS, SIMTUNER_REG_CONTROL,
                       SIMTUNER_CONTROL_POWER | SIMTUNER_CONTROL_TUNE, 1, 0, nullptr);
    WriteI2CSubAddress(SIMTUNER_I2C_EEPROM, SIMTUNER_EEPROM_PRESET, ulFrequencyKHz, 4, 0, nullptr);
    m_ulFrequencyKHz = ulFrequencyKHz;
    return true;
}

ULONG CSimTuner::GetFrequency() {
    return m_ulFrequencyKHz;
}

UWM_API_COMMAND_MESSAGE* CSimTuner::RequestStatus() {
    return ReadI2CSubAddress(SIMTUNER_I2C_REGISTERS, SIMTUNER_REG_FREQUENCY, 4, 0,
                             const_cast<char*>(&kStatusRead));
}

ULONG CSimTuner::DecodeStatus(const UWM_API_COMMAND_MESSAGE* pMsg) {
    if (!pMsg || pMsg->pUserData != &kStatusRead || pMsg->dwData == SIMBOARD_BUS_ERROR)
        return 0;
    return pMsg->dwData;
}
