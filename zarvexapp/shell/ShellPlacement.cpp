#include "zarvexapp/shell/ShellPlacement.h"

namespace zx {

bool CreateShellWindow(CDialog& window, UINT templateId, const CRect* place) {
    if (!window.CDialog::Create(templateId & 0xFFFFu, nullptr))
        return false;
    if (place)
        window.SetWindowPos(nullptr, place->left, place->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return true;
}

} // namespace zx
