#pragma once
// AcceleratorTable: an RT_ACCELERATOR resource read into ACCEL entries. The
// resource is a run of 8-byte records (flags, key, command, padding) whose
// last one carries the end flag 0x80; a table without that flag, with a
// partial record or with bytes after the last one is not read.

#include "platform/WinTypes.h"

#include <optional>
#include <span>
#include <vector>

#define FVIRTKEY 0x01
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

typedef struct tagACCEL {
    BYTE fVirt; // FVIRTKEY, FSHIFT, FCONTROL, FALT, FNOINVERT
    WORD key;   // a virtual-key code with FVIRTKEY, else a character
    WORD cmd;
} ACCEL, *LPACCEL;

namespace zx {

std::optional<std::vector<ACCEL>> ParseAcceleratorTable(std::span<const BYTE> data);

} // namespace zx
