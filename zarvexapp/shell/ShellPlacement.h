#pragma once
// What the shell windows share: each is a modeless dialog made from a
// template of the resource chain and placed with its top-left corner on a
// rectangle that the host recorded in the configuration.

#include "platform/Dialog.h"
#include "platform/Rect.h"

namespace zx {

// Creates `window` from dialog template `templateId` (low 16 bits) and moves
// it to the top-left corner of `place`, keeping its size and Z order; without
// a place it stays where its template puts it. False when it cannot be made.
bool CreateShellWindow(CDialog& window, UINT templateId, const CRect* place);

} // namespace zx
