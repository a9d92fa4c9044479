#pragma once
// CSimPlatform: the target platform of simplatform.ctp, the simulated board
// (plugins/simboard, docs/simboard.md). Applications that run on it list
// SIMPLATFORM_INDEX among their supported platforms, with simboard.ctc's
// communications index.

#include "zarvexapp/command/TargetPlatform.h"

// The platform index this module declares (1 is qemuvirt.ctp's).
#define SIMPLATFORM_INDEX 2

class CSimPlatform final : public CTargetPlatform {
public:
    CSimPlatform();

    bool Initialise() override;
    CString GetBoardName() override;
    CString GetBoardRevision() override;
    CString GetManufacturer() override;
};
