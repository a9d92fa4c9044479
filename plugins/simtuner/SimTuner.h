#pragma once
// CSimTuner: the tuner module of simtuner.ctm, a tuner on the simulated
// board's I2C bus (docs/simboard.md):
//  - its control registers are the board's register file (device 0x60):
//    bytes 0-3 the frequency in kHz (least significant byte first), byte 4
//    the control bits;
//  - its EEPROM (device 0x50) keeps the last frequency tuned at 0xF0-0xF3,
//    as a preset for the next session.
// Every transfer is asynchronous; results come back to the calling page
// (SetCallingPage) or to the application.

#include "zarvexapp/command/TunerModuleBase.h"

// The tuner-module index this module declares.
#define SIMTUNER_INDEX 0

#define SIMTUNER_I2C_REGISTERS 0x60u
#define SIMTUNER_I2C_EEPROM 0x50u
#define SIMTUNER_REG_FREQUENCY 0x00u
#define SIMTUNER_REG_CONTROL 0x04u
#define SIMTUNER_CONTROL_POWER 0x01u
#define SIMTUNER_CONTROL_TUNE 0x02u
#define SIMTUNER_EEPROM_PRESET 0xF0u
#define SIMTUNER_MIN_KHZ 45000u
#define SIMTUNER_MAX_KHZ 870000u

class CSimTuner final : public CTunerModuleBase {
public:
    CSimTuner();

    // Powers the tuner up (fire and forget); false without an API.
    bool Initialise() override;
    // Writes the frequency and the tune bit, and keeps it as the preset;
    // false outside SIMTUNER_MIN_KHZ..SIMTUNER_MAX_KHZ or without an API.
    bool SetFrequency(ULONG ulFrequencyKHz) override;
    // The frequency last set here (0 before the first).
    ULONG GetFrequency() override;
    // Reads the frequency registers back; the record returns as a call-back.
    UWM_API_COMMAND_MESSAGE* RequestStatus() override;
    // The frequency in kHz that a status read found in the tuner's
    // registers; 0 for any other record or a failed transfer.
    ULONG DecodeStatus(const UWM_API_COMMAND_MESSAGE* pMsg) override;

private:
    ULONG m_ulFrequencyKHz = 0;
};
