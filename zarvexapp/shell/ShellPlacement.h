#pragma once
// What the shell windows share: each is a modeless dialog made from a
// template of the resource chain and placed with its top-left corner on a
// rectangle that the host recorded in the configuration.

#include "platform/Dialog.h"
#include "platform/Rect.h"

class CZarvexConfig;

namespace zx {

// The configuration's getter of one window's place.
using ShellPlace = CRect* (CZarvexConfig::*)();

// Creates `window` from dialog template `templateId` (low 16 bits) and moves
// it to the top-left corner of its place, keeping its size and Z order; with
// no configuration or no place recorded it stays where its template puts it.
// False when it cannot be made.
bool CreateShellWindow(CDialog& window, UINT templateId, ShellPlace place);

} // namespace zx
