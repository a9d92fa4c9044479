#pragma once
// DlgInit: the initial contents of a dialog's list and combo boxes, the
// DLGINIT resource stored under the dialog's own id (type 240, or the name
// "DLGINIT" where a resource compiler does not know the keyword). Records of
// control id (WORD), message (WORD), data length (DWORD) and the data, an
// 8-bit zero-terminated text; a zero control id ends the list. A record that
// overruns the data, a text without its terminator or a missing end is
// damage: nothing of the resource is read.

#include "platform/WinTypes.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zx {

struct DlgInitItem {
    enum class Action { AddListString, AddComboString, InsertComboExItem, Other };

    WORD controlId = 0;
    WORD message = 0; // as stored
    Action action = Action::Other;
    std::string text; // up to the first zero byte
};

std::optional<std::vector<DlgInitItem>> ParseDlgInit(std::span<const BYTE> data);

} // namespace zx
