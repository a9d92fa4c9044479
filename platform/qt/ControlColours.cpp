// WM_CTLCOLOR*: a window's controls ask it for their colours, as Windows'
// controls do before they paint, and the answers become their palettes.
#include "platform/DeviceContext.h"
#include "platform/WidgetHandles.h"
#include "platform/WidgetTree.h"
#include "platform/WindowMessages.h"
#include "platform/rc/zxres.h"

#include <QPalette>
#include <QVariant>
#include <QWidget>

#include <vector>

namespace zx {
namespace {

// Which WM_CTLCOLOR* a control sends, as Windows' controls do; 0 for the
// controls that paint themselves without asking.
UINT CtlColorMessage(HWND control) {
    const std::wstring cls = WindowClassName(control);
    const DWORD style = WindowStyle(control);
    if (cls == L"Static")
        return WM_CTLCOLORSTATIC;
    if (cls == L"Button") {
        const DWORD type = style & BS_TYPEMASK;
        return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? WM_CTLCOLORBTN
                                                                 : WM_CTLCOLORSTATIC;
    }
    if (cls == L"Edit")
        return (style & ES_READONLY) || (style & WS_DISABLED) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    if (cls == L"ComboBox")
        return WM_CTLCOLOREDIT;
    if (cls == L"ListBox")
        return WM_CTLCOLORLISTBOX;
    if (cls == L"ScrollBar")
        return WM_CTLCOLORSCROLLBAR;
    return 0;
}

constexpr const char* kColouredProperty = "zxCtlColoured";

// One WM_CTLCOLOR* question to a window about a control (or itself). The
// system's own answer leaves the widget in the desktop's palette, which
// also keeps Qt's look for disabled controls; any other answer is applied.
void AskColours(HWND window, UINT msg, HWND about) {
    if (!WidgetFromHandle(about))
        return;
    DeviceContext dc;
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        window, msg, reinterpret_cast<WPARAM>(dc.handle()), reinterpret_cast<LPARAM>(about)));
    QWidget* target = WidgetFromHandle(about); // the handler may have destroyed it
    if (!target)
        return;
    // Push buttons draw themselves in the system's colours whatever the
    // answer, as Windows' do.
    if (msg == WM_CTLCOLORBTN)
        return;
    const bool entry = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    const COLORREF back = GetSysColor(entry ? COLOR_WINDOW : COLOR_BTNFACE);
    const bool systemAnswer =
        brush == GetSysColorBrush(entry ? COLOR_WINDOW : COLOR_BTNFACE) &&
        dc.textColor().value_or(GetSysColor(COLOR_WINDOWTEXT)) == GetSysColor(COLOR_WINDOWTEXT) &&
        dc.bkColor().value_or(back) == back;
    // A read-only or disabled edit box shows the dialog's grey on Windows,
    // which the system's answer to WM_CTLCOLORSTATIC gives it.
    const bool greyEdit = msg == WM_CTLCOLORSTATIC && WindowClassName(about) == L"Edit";
    if (!brush || (systemAnswer && !greyEdit)) {
        if (target->property(kColouredProperty).toBool()) {
            target->setPalette(QPalette());
            target->setAutoFillBackground(false);
            target->setProperty(kColouredProperty, QVariant());
        }
        return;
    }
    if (msg == WM_CTLCOLORDLG) {
        // Only the dialog's own background: its other roles would pass on to
        // every control inside, which asks for its colours itself.
        if (const auto colour = BrushColor(brush)) {
            QPalette palette = target->palette();
            palette.setColor(QPalette::Window, ToQColor(*colour));
            target->setPalette(palette);
            target->setAutoFillBackground(true);
        }
    } else {
        ApplyCtlColor(target, dc, brush);
    }
    target->setProperty(kColouredProperty, true);
}

} // namespace

void RefreshControlColours(HWND hwnd) {
    QWidget* w = WidgetFromHandle(hwnd);
    if (!w)
        return;
    std::vector<HWND> children;
    CollectChildHandles(w, children);
    for (HWND child : children) {
        const UINT msg = CtlColorMessage(child);
        if (msg == 0)
            continue;
        AskColours(hwnd, msg, child);
    }
    if (WindowClassName(hwnd) == L"#32770")
        AskColours(hwnd, WM_CTLCOLORDLG, hwnd);
}

} // namespace zx
