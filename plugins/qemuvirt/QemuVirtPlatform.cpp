#include "QemuVirtPlatform.h"

#include "QemuVirtMap.h"
#include "zarvexapp/contracts/Globals.h"

namespace {

// The module's one object, alive from its load to its unload.
CQemuVirtPlatform g_platform;

} // namespace

CQemuVirtPlatform::CQemuVirtPlatform() {
    m_uPlatformIndex = QEMUVIRT_PLATFORM_INDEX;
    m_strDescription = L"QEMU Arm virt";
    m_strDeviceName = L"virt";
    g_pTargetPlatform = this;
}

bool CQemuVirtPlatform::Initialise() {
    return true; // nothing to prepare: the machine is reached through its link
}

CString CQemuVirtPlatform::GetBoardName() {
    return L"Arm virt machine";
}

CString CQemuVirtPlatform::GetBoardRevision() {
    return L"Cortex-A15, 128 MiB, gdbstub";
}

CString CQemuVirtPlatform::GetManufacturer() {
    return L"QEMU";
}
