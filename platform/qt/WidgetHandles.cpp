#include "platform/WidgetHandles.h"

#include "platform/DC.h"
#include "platform/LastError.h"
#include "platform/MessageMap.h"
#include "platform/WindowHandles.h"
#include "platform/rc/zxres.h"

#include "platform/Controls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTabBar>
#include <QTextEdit>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cwctype>
#include <unordered_map>
#include <vector>

namespace zx {
namespace {

constexpr const char* kHandleProperty = "zxHwnd";
constexpr const char* kIdProperty = "zxControlId"; // as DialogBuilder names it

struct Binding {
    QPointer<QWidget> widget;
    std::wstring className;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool ownsWidget = false;
    HFONT font = nullptr;
    QMetaObject::Connection destroyedConnection;
};

// User-interface thread only, like the windows themselves.
std::unordered_map<HWND, Binding>& Bindings() {
    static auto* bindings = new std::unordered_map<HWND, Binding>;
    return *bindings;
}

Binding* FindBinding(HWND hwnd) {
    auto it = Bindings().find(hwnd);
    if (it == Bindings().end())
        return nullptr;
    if (!IsWindow(hwnd))
        return nullptr;
    return &it->second;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<wint_t>(x)) ==
                      std::towlower(static_cast<wint_t>(y));
           });
}

QPointer<QWidget>& CursorTarget() {
    static QPointer<QWidget> target;
    return target;
}

// The nearest bound descendants of a widget: its child windows.
void CollectChildHandles(const QWidget* widget, std::vector<HWND>& out) {
    for (QObject* child : widget->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w)
            continue;
        if (HWND h = HandleFromWidget(w))
            out.push_back(h);
        else
            CollectChildHandles(w, out);
    }
}

QWidget* Widget(HWND hwnd) {
    return WidgetFromHandle(hwnd);
}

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
    if (!Widget(about))
        return;
    CDC dc;
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        window, msg, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), reinterpret_cast<LPARAM>(about)));
    QWidget* target = Widget(about); // the handler may have destroyed it
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

bool BindWidget(HWND hwnd, QWidget* widget, std::wstring_view className, DWORD style, DWORD exStyle,
                bool ownsWidget) {
    if (!widget || !IsWindow(hwnd))
        return false;
    UnbindWidget(hwnd);
    Binding binding;
    binding.widget = widget;
    binding.className = CanonicalClassName(className);
    binding.style = style;
    binding.exStyle = exStyle;
    binding.ownsWidget = ownsWidget;
    widget->setProperty(kHandleProperty, QVariant::fromValue(static_cast<qulonglong>(
                                             reinterpret_cast<std::uintptr_t>(hwnd))));
    // A widget that Qt deletes (with its parent, say) takes its window along.
    binding.destroyedConnection = QObject::connect(widget, &QObject::destroyed, [hwnd] {
        auto it = Bindings().find(hwnd);
        if (it != Bindings().end() && it->second.widget.isNull())
            DestroyWindowTree(hwnd);
    });
    Bindings()[hwnd] = std::move(binding);
    return true;
}

QWidget* UnbindWidget(HWND hwnd) {
    auto it = Bindings().find(hwnd);
    if (it == Bindings().end())
        return nullptr;
    QWidget* widget = it->second.widget.data();
    QObject::disconnect(it->second.destroyedConnection);
    if (widget)
        widget->setProperty(kHandleProperty, QVariant());
    Bindings().erase(it);
    return widget;
}

void ReleaseBinding(HWND hwnd) {
    auto it = Bindings().find(hwnd);
    if (it == Bindings().end())
        return;
    const bool owns = it->second.ownsWidget;
    QWidget* widget = UnbindWidget(hwnd);
    if (!widget || !owns)
        return;
    if (CursorTarget() == widget)
        CursorTarget() = nullptr;
    // Inside an event handler the widget may be the one being served.
    if (QThread::currentThread()->loopLevel() > 0) {
        widget->hide();
        widget->deleteLater();
    } else {
        delete widget;
    }
}

QWidget* WidgetFromHandle(HWND hwnd) {
    Binding* b = FindBinding(hwnd);
    return b ? b->widget.data() : nullptr;
}

HWND HandleFromWidget(const QWidget* widget) {
    if (!widget)
        return nullptr;
    const QVariant v = widget->property(kHandleProperty);
    if (!v.isValid())
        return nullptr;
    auto hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(v.toULongLong()));
    Binding* b = FindBinding(hwnd);
    return b && b->widget == widget ? hwnd : nullptr;
}

void SetControlFocusPolicy(QWidget* control, DWORD style) {
    if (style & WS_TABSTOP) {
        control->setFocusPolicy(Qt::StrongFocus);
        return;
    }
    const bool takesKeys =
        qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
        qobject_cast<QTextEdit*>(control) || qobject_cast<QPlainTextEdit*>(control) ||
        qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractItemView*>(control) ||
        qobject_cast<QTabBar*>(control);
    control->setFocusPolicy(takesKeys ? Qt::ClickFocus : Qt::NoFocus);
}

HWND WindowFromWidget(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        if (HWND h = HandleFromWidget(widget))
            return h;
    }
    return nullptr;
}

std::wstring CanonicalClassName(std::wstring_view className) {
    static const wchar_t* const known[] = {L"Button",
                                           L"Edit",
                                           L"Static",
                                           L"ListBox",
                                           L"ScrollBar",
                                           L"ComboBox",
                                           L"ComboLBox",
                                           L"msctls_progress32",
                                           L"RichEdit20A",
                                           L"RichEdit20W",
                                           L"RICHEDIT50W",
                                           L"SysTabControl32",
                                           L"SysListView32",
                                           L"SysTreeView32",
                                           L"msctls_trackbar32",
                                           L"#32770"};
    for (const wchar_t* name : known) {
        if (EqualsNoCase(className, name))
            return name;
    }
    return std::wstring(className);
}

std::wstring WindowClassName(HWND hwnd) {
    Binding* b = FindBinding(hwnd);
    return b ? b->className : std::wstring();
}

DWORD WindowStyle(HWND hwnd) {
    Binding* b = FindBinding(hwnd);
    if (!b)
        return 0;
    DWORD style = b->style & ~(WS_VISIBLE | WS_DISABLED);
    if (QWidget* w = b->widget) {
        if (!w->isHidden())
            style |= WS_VISIBLE;
        if (w->testAttribute(Qt::WA_ForceDisabled))
            style |= WS_DISABLED;
    } else {
        style |= b->style & (WS_VISIBLE | WS_DISABLED);
    }
    return style;
}

DWORD WindowExStyle(HWND hwnd) {
    Binding* b = FindBinding(hwnd);
    return b ? b->exStyle : 0;
}

void StoreWindowStyles(HWND hwnd, DWORD style, DWORD exStyle) {
    if (Binding* b = FindBinding(hwnd)) {
        b->style = style;
        b->exStyle = exStyle;
    }
}

HFONT WindowFont(HWND hwnd) {
    Binding* b = FindBinding(hwnd);
    return b ? b->font : nullptr;
}

LRESULT DefWidgetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Binding* b = FindBinding(hwnd);
    QWidget* w = b ? b->widget.data() : nullptr;
    switch (msg) {
    case WM_SETTEXT:
        if (w)
            w->setWindowTitle(
                lParam ? QString::fromWCharArray(reinterpret_cast<const wchar_t*>(lParam))
                       : QString());
        return TRUE;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        const std::wstring title = w ? w->windowTitle().toStdWString() : std::wstring();
        if (msg == WM_GETTEXTLENGTH)
            return static_cast<LRESULT>(title.size());
        auto* buffer = reinterpret_cast<wchar_t*>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        const size_t n = std::min<size_t>(title.size(), wParam - 1);
        std::copy_n(title.data(), n, buffer);
        buffer[n] = L'\0';
        return static_cast<LRESULT>(n);
    }
    case WM_SETFONT:
        if (b) {
            b->font = reinterpret_cast<HFONT>(wParam);
            if (auto font = FontFromHandle(b->font); font && w)
                w->setFont(*font);
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(b ? b->font : nullptr);
    case WM_CLOSE:
        // The window and everything in it, widgets included.
        DestroyWindowTree(hwnd);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        // The system's colours, as Windows' default procedure answers.
        const bool entry = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
        if (CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam))) {
            dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
            dc->SetBkColor(GetSysColor(entry ? COLOR_WINDOW : COLOR_BTNFACE));
        }
        return reinterpret_cast<LRESULT>(GetSysColorBrush(entry ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

HWND CreateControlHandle(QWidget* widget, std::wstring_view className, DWORD style, DWORD exStyle,
                         int id) {
    if (!widget)
        return nullptr;
    HWND hwnd = CreateWindowHandle(&DefWidgetProc, nullptr);
    if (!hwnd)
        return nullptr;
    SetControlId(widget, id);
    BindWidget(hwnd, widget, className, style, exStyle, true);
    AttachControl(hwnd, widget, CanonicalClassName(className), style);
    return hwnd;
}

HWND CreateWindowForWidget(QWidget* widget, std::wstring_view className, DWORD style, DWORD exStyle,
                           bool ownsWidget) {
    if (!widget || HandleFromWidget(widget))
        return nullptr;
    HWND hwnd = CreateWindowHandle(&DefWidgetProc, nullptr);
    if (hwnd && !BindWidget(hwnd, widget, className, style, exStyle, ownsWidget)) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    return hwnd;
}

void SetControlId(QWidget* widget, int id) {
    if (widget)
        widget->setProperty(kIdProperty, static_cast<uint>(static_cast<DWORD>(id)));
}

void RefreshControlColours(HWND hwnd) {
    QWidget* w = Widget(hwnd);
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

void SetCursorTarget(QWidget* widget) {
    CursorTarget() = widget;
}

} // namespace zx

using zx::Widget;

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    QWidget* w = Widget(hWnd);
    if (!w)
        return FALSE;
    const BOOL wasVisible = !w->isHidden();
    switch (nCmdShow) {
    case SW_HIDE:
        w->hide();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        w->showMinimized();
        break;
    case SW_SHOWMAXIMIZED:
        w->showMaximized();
        break;
    case SW_RESTORE:
        w->showNormal();
        break;
    default:
        w->show();
        break;
    }
    if (nCmdShow != SW_HIDE)
        zx::RefreshControlColours(hWnd);
    return wasVisible;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
    QWidget* w = Widget(hWnd);
    if (!w)
        return FALSE;
    const BOOL wasDisabled = w->testAttribute(Qt::WA_ForceDisabled);
    w->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd) {
    QWidget* w = Widget(hWnd);
    return w && !w->testAttribute(Qt::WA_ForceDisabled);
}

BOOL IsWindowVisible(HWND hWnd) {
    QWidget* w = Widget(hWnd);
    return w && w->isVisible();
}

HWND GetParent(HWND hWnd) {
    QWidget* w = Widget(hWnd);
    return w ? zx::WindowFromWidget(w->parentWidget()) : nullptr;
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
    if (!hWndParent)
        return FALSE;
    for (HWND h = GetParent(hWnd); h; h = GetParent(h)) {
        if (h == hWndParent)
            return TRUE;
        if (!(zx::WindowStyle(h) & WS_CHILD))
            break;
    }
    return FALSE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    QWidget* w = Widget(hDlg);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::vector<HWND> children;
    zx::CollectChildHandles(w, children);
    for (HWND child : children) {
        if (GetDlgCtrlID(child) == nIDDlgItem)
            return child;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

int GetDlgCtrlID(HWND hWnd) {
    QWidget* w = Widget(hWnd);
    if (!w)
        return 0;
    const QVariant v = w->property(zx::kIdProperty);
    return v.isValid() ? static_cast<int>(v.toUInt()) : 0;
}

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex) {
    if (!Widget(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (nIndex) {
    case GWL_STYLE:
        return static_cast<LONG_PTR>(zx::WindowStyle(hWnd));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(zx::WindowExStyle(hWnd));
    case GWL_ID:
        return GetDlgCtrlID(hWnd);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR value) {
    QWidget* w = Widget(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const LONG_PTR old = GetWindowLongPtrW(hWnd, nIndex);
    switch (nIndex) {
    case GWL_STYLE: {
        const auto style = static_cast<DWORD>(value);
        zx::StoreWindowStyles(hWnd, style, zx::WindowExStyle(hWnd));
        if (((static_cast<DWORD>(old) ^ style) & WS_VISIBLE) != 0)
            w->setVisible((style & WS_VISIBLE) != 0);
        if (((static_cast<DWORD>(old) ^ style) & WS_DISABLED) != 0)
            w->setEnabled((style & WS_DISABLED) == 0);
        if (((static_cast<DWORD>(old) ^ style) & WS_TABSTOP) != 0 &&
            zx::WindowClassName(hWnd) != L"#32770")
            zx::SetControlFocusPolicy(w, style);
        break;
    }
    case GWL_EXSTYLE:
        zx::StoreWindowStyles(hWnd, zx::WindowStyle(hWnd), static_cast<DWORD>(value));
        break;
    case GWL_ID:
        zx::SetControlId(w, static_cast<int>(value));
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return old;
}

LONG GetWindowLongW(HWND hWnd, int nIndex) {
    return static_cast<LONG>(GetWindowLongPtrW(hWnd, nIndex));
}

LONG SetWindowLongW(HWND hWnd, int nIndex, LONG value) {
    const LONG_PTR v = nIndex == GWL_ID ? static_cast<LONG_PTR>(value)
                                        : static_cast<LONG_PTR>(static_cast<DWORD>(value));
    return static_cast<LONG>(SetWindowLongPtrW(hWnd, nIndex, v));
}

int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
    if (!Widget(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!lpClassName || nMaxCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring name = zx::WindowClassName(hWnd);
    const size_t n = std::min<size_t>(name.size(), static_cast<size_t>(nMaxCount - 1));
    std::copy_n(name.data(), n, lpClassName);
    lpClassName[n] = L'\0';
    return static_cast<int>(n);
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    QWidget* w = Widget(hWnd);
    if (!w || !lpRect)
        return FALSE;
    QRect r;
    if (w->isWindow()) {
        r = w->frameGeometry();
    } else {
        r = QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    }
    *lpRect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    QWidget* w = Widget(hWnd);
    if (!w || !lpRect)
        return FALSE;
    *lpRect = RECT{0, 0, w->width(), w->height()};
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    QWidget* w = Widget(hWnd);
    if (!w || !lpPoint)
        return FALSE;
    const QPoint p = w->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
    *lpPoint = POINT{p.x(), p.y()};
    return TRUE;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    QWidget* w = Widget(hWnd);
    if (!w || !lpPoint)
        return FALSE;
    const QPoint p = w->mapToGlobal(QPoint(lpPoint->x, lpPoint->y));
    *lpPoint = POINT{p.x(), p.y()};
    return TRUE;
}

namespace {

// A child's position in its parent window's client coordinates, turned into
// its Qt parent's (the two differ when widgets without a window lie between).
QPoint ToWidgetParent(HWND hWnd, QWidget* w, QPoint p) {
    if (w->isWindow())
        return p;
    QWidget* parentWindow = Widget(GetParent(hWnd));
    QWidget* qtParent = w->parentWidget();
    if (parentWindow && qtParent && parentWindow != qtParent &&
        parentWindow->isAncestorOf(qtParent))
        return qtParent->mapFrom(parentWindow, p);
    return p;
}

} // namespace

BOOL MoveWindow(HWND hWnd, int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    QWidget* w = Widget(hWnd);
    if (!w)
        return FALSE;
    const QPoint p = ToWidgetParent(hWnd, w, QPoint(x, y));
    w->move(p);
    w->resize(std::max(0, nWidth), std::max(0, nHeight));
    if (bRepaint)
        w->update();
    return TRUE;
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT uFlags) {
    QWidget* w = Widget(hWnd);
    if (!w)
        return FALSE;
    if (!(uFlags & SWP_NOMOVE))
        w->move(ToWidgetParent(hWnd, w, QPoint(x, y)));
    if (!(uFlags & SWP_NOSIZE))
        w->resize(std::max(0, cx), std::max(0, cy));
    if (!(uFlags & SWP_NOZORDER)) {
        if (hWndInsertAfter == HWND_TOP || hWndInsertAfter == HWND_TOPMOST)
            w->raise();
        else if (hWndInsertAfter == HWND_BOTTOM)
            w->lower();
        else if (QWidget* after = Widget(hWndInsertAfter); after && after != w)
            w->stackUnder(after);
    }
    if (uFlags & SWP_SHOWWINDOW)
        ShowWindow(hWnd, SW_SHOW);
    if (uFlags & SWP_HIDEWINDOW)
        w->hide();
    if (!(uFlags & SWP_NOREDRAW))
        w->update();
    return TRUE;
}

BOOL InvalidateRect(HWND hWnd, LPCRECT lpRect, BOOL) {
    QWidget* w = Widget(hWnd);
    if (!w)
        return FALSE;
    if (zx::WindowClassName(hWnd) == L"#32770" || !GetParent(hWnd))
        zx::RefreshControlColours(hWnd);
    else if (HWND parent = GetParent(hWnd))
        zx::RefreshControlColours(parent);
    if (lpRect)
        w->update(QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                        lpRect->bottom - lpRect->top));
    else
        w->update();
    return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
    QWidget* w = Widget(hWnd);
    if (!w)
        return FALSE;
    if (w->isVisible())
        w->repaint();
    return TRUE;
}

BOOL RedrawWindow(HWND hWnd, LPCRECT lprcUpdate, void*, UINT flags) {
    if (!Widget(hWnd))
        return FALSE;
    if (flags & RDW_INVALIDATE)
        InvalidateRect(hWnd, lprcUpdate, (flags & RDW_ERASE) != 0);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
        UpdateWindow(hWnd);
    return TRUE;
}

HWND GetFocus() {
    return zx::WindowFromWidget(QApplication::focusWidget());
}

HWND SetFocus(HWND hWnd) {
    HWND previous = GetFocus();
    if (QWidget* w = Widget(hWnd))
        w->setFocus(Qt::OtherFocusReason);
    return previous;
}

HWND GetActiveWindow() {
    return zx::WindowFromWidget(QApplication::activeWindow());
}

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
    if (!IsWindow(hWnd))
        return FALSE;
    return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : L""))
               ? TRUE
               : FALSE;
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0)
        return 0;
    lpString[0] = L'\0';
    if (!IsWindow(hWnd))
        return 0;
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

int GetWindowTextLengthW(HWND hWnd) {
    return IsWindow(hWnd) ? static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SetWindowTextW(item, lpString) : FALSE;
}

UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (!item) {
        if (lpString && cchMax > 0)
            lpString[0] = L'\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(item, lpString, cchMax));
}

LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SendMessageW(item, msg, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    if (!item)
        return FALSE;
    SendMessageW(item, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    return item ? static_cast<UINT>(SendMessageW(item, BM_GETCHECK, 0, 0)) : 0;
}

namespace {

struct CursorShape {
    std::uintptr_t id;
    Qt::CursorShape shape;
};

constexpr CursorShape kCursors[] = {{32512, Qt::ArrowCursor},       {32513, Qt::IBeamCursor},
                                    {32514, Qt::WaitCursor},        {32515, Qt::CrossCursor},
                                    {32646, Qt::SizeAllCursor},     {32648, Qt::ForbiddenCursor},
                                    {32649, Qt::PointingHandCursor}};

HCURSOR g_currentCursor = nullptr;

} // namespace

HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName) {
    // Only the system's cursors: a module's own cursor resources are not used.
    if (hInstance || !IS_INTRESOURCE(lpCursorName))
        return nullptr;
    const auto id = reinterpret_cast<std::uintptr_t>(lpCursorName);
    for (const CursorShape& c : kCursors) {
        if (c.id == id)
            return reinterpret_cast<HCURSOR>(id);
    }
    return nullptr;
}

HCURSOR SetCursor(HCURSOR hCursor) {
    HCURSOR previous = g_currentCursor;
    g_currentCursor = hCursor;
    QWidget* target = zx::CursorTarget();
    if (!target)
        return previous;
    const auto id = reinterpret_cast<std::uintptr_t>(hCursor);
    if (!hCursor) {
        target->setCursor(Qt::BlankCursor);
        return previous;
    }
    for (const CursorShape& c : kCursors) {
        if (c.id == id) {
            target->setCursor(c.shape);
            break;
        }
    }
    return previous;
}
