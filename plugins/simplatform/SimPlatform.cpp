#include "SimPlatform.h"

#include "zarvexapp/contracts/Globals.h"

namespace {
// The module's one object: constructed while the module loads, which is how
// the configuration recognises a target platform.
CSimPlatform g_platform;
} // namespace

CSimPlatform::CSimPlatform() {
    m_uPlatformIndex = SIMPLATFORM_INDEX;
    m_strDescription = L"Simulated board";
    m_strDeviceName = L"SIMBOARD";
    g_pTargetPlatform = this;
}

bool CSimPlatform::Initialise() {
    return true; // nothing to set up: the board lives in simboard.ctc
}

CString CSimPlatform::GetBoardName() {
    return L"SimBoard";
}

CString CSimPlatform::GetBoardRevision() {
    return L"Rev A";
}

CString CSimPlatform::GetManufacturer() {
    return L"Pelmarin";
}
