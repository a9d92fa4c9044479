#include "zarvexapp/shell/ShellPlacement.h"

#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"

namespace zx {

bool CreateShellWindow(CDialog& window, UINT templateId, ShellPlace place) {
    if (!window.CDialog::Create(templateId & 0xFFFFu, nullptr))
        return false;
    if (const CRect* at = g_pZarvexConfig ? (g_pZarvexConfig->*place)() : nullptr)
        window.SetWindowPos(nullptr, at->left, at->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return true;
}

} // namespace zx
