#pragma once
// CQemuVirtPlatform: the target-platform object of qemuvirt.ctp, which
// describes QEMU's Arm "virt" machine (QemuVirtMap.h). Its one object is
// constructed while the module loads and registers itself in
// g_pTargetPlatform; the base destructor clears that at the unload.

#include "zarvexapp/command/TargetPlatform.h"

class CQemuVirtPlatform final : public CTargetPlatform {
public:
    CQemuVirtPlatform();

    bool Initialise() override;
    CString GetBoardName() override;
    CString GetBoardRevision() override;
    CString GetManufacturer() override;
};
