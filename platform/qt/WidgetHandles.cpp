#include "platform/WidgetHandles.h"

#include "platform/DeviceContext.h"
#include "platform/WideText.h"
#include "platform/WidgetTree.h"
#include "platform/WindowClassHooks.h"
#include "platform/WindowHandles.h"
#include "platform/WindowMessages.h"
#include "platform/rc/zxres.h"

#include "platform/Controls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
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

} // namespace

std::vector<QWidget*> ChildWidgetsInZOrder(const QWidget* widget) {
    std::vector<QWidget*> out;
    if (!widget)
        return out;
    const QObjectList& children = widget->children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        auto* w = qobject_cast<QWidget*>(*it);
        if (w)
            out.push_back(w);
    }
    return out;
}

void CollectChildHandles(const QWidget* widget, std::vector<HWND>& out) {
    for (QWidget* w : ChildWidgetsInZOrder(widget)) {
        if (HWND h = HandleFromWidget(w))
            out.push_back(h);
        else
            CollectChildHandles(w, out);
    }
}

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

bool DestroyWindowTree(HWND hwnd) {
    if (!IsWindow(hwnd))
        return false;
    if (QWidget* w = WidgetFromHandle(hwnd)) {
        std::vector<HWND> children;
        std::vector<QWidget*> pending{w};
        while (!pending.empty()) {
            QWidget* current = pending.back();
            pending.pop_back();
            for (QObject* child : current->children()) {
                auto* cw = qobject_cast<QWidget*>(child);
                if (!cw)
                    continue;
                if (HWND h = HandleFromWidget(cw))
                    children.push_back(h);
                else
                    pending.push_back(cw);
            }
        }
        for (HWND child : children)
            DestroyWindowTree(child);
    }
    const BOOL destroyed = ::DestroyWindow(hwnd);
    if (ClassHooks().destroyed)
        ClassHooks().destroyed(hwnd);
    ReleaseBinding(hwnd);
    return destroyed != FALSE;
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

void SetMouseTransparency(QWidget* control, std::wstring_view className, DWORD style) {
    const bool groupBox =
        EqualsNoCase(className, L"Button") && (style & BS_TYPEMASK) == BS_GROUPBOX;
    const bool quietStatic = EqualsNoCase(className, L"Static") && !(style & SS_NOTIFY);
    control->setAttribute(Qt::WA_TransparentForMouseEvents, groupBox || quietStatic);
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
                                           L"msctls_updown32",
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
        if (DeviceContext* dc = DeviceContext::FromHandle(reinterpret_cast<HDC>(wParam))) {
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

} // namespace zx
