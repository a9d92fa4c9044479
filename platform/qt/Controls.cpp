// The standard controls' window procedure: each message goes to the
// procedure of the control's kind (ButtonControl.cpp, ComboControl.cpp...),
// then to what every control answers (text, font), then to the procedure the
// handle had before.
#include "platform/Controls.h"

#include "platform/ControlState.h"
#include "platform/DialogBuilder.h"
#include "platform/WideText.h"
#include "platform/WidgetHandles.h"
#include "platform/WindowHandles.h"
#include "platform/rc/zxres.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextEdit>

#include <algorithm>
#include <unordered_map>

namespace zx {
namespace {

std::unordered_map<HWND, ControlState*>& Registry() {
    static auto* map = new std::unordered_map<HWND, ControlState*>;
    return *map;
}

// ---- Text common to all kinds ----------------------------------------------------

std::wstring WidgetText(ControlState& s) {
    QWidget* w = s.widget;
    if (s.originalText)
        return s.originalText->toStdWString();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text().toStdWString();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text().toStdWString();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title().toStdWString();
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return line->text().toStdWString();
    if (std::wstring text; TextBoxText(s, text))
        return text;
    return w->windowTitle().toStdWString();
}

void SetWidgetText(ControlState& s, const wchar_t* raw) {
    QWidget* w = s.widget;
    const QString text = FromWide(raw);
    s.originalText.reset();
    if (auto* label = qobject_cast<QLabel*>(w)) {
        s.originalText = text;
        label->setText((s.style & SS_NOPREFIX) ? text : WithoutMnemonics(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(WithoutMnemonics(text));
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        // Windows leaves the caret at the start of the new text.
        line->setText(NormaliseBreaks(text).remove(u'\n'));
        line->setCursorPosition(0);
    } else if (!SetTextBoxText(s, text)) {
        w->setWindowTitle(text);
    }
}

LRESULT CommonProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (msg) {
    case WM_SETTEXT:
        SetWidgetText(s, reinterpret_cast<const wchar_t*>(lParam));
        return TRUE;
    case WM_GETTEXT:
        return CopyOut(WidgetText(s), wParam, lParam);
    case WM_GETTEXTLENGTH:
        // As long as WM_GETTEXT's text, so that a buffer of this size holds it.
        return static_cast<LRESULT>(WidgetText(s).size());
    case WM_SETFONT: {
        s.font = reinterpret_cast<HFONT>(wParam);
        if (const auto font = FontFromHandle(s.font))
            s.widget->setFont(*font);
        return 0;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s.font);
    default:
        handled = false;
        return 0;
    }
}

ControlKind KindOf(QWidget* widget, std::wstring_view className) {
    if (EqualsNoCase(className, L"RichEdit20A") || EqualsNoCase(className, L"RichEdit20W") ||
        EqualsNoCase(className, L"RICHEDIT50W") || EqualsNoCase(className, L"RichEdit"))
        return qobject_cast<QTextEdit*>(widget) ? ControlKind::RichEdit : ControlKind::Edit;
    if (EqualsNoCase(className, L"msctls_updown32"))
        return ControlKind::UpDown;
    if (EqualsNoCase(className, L"msctls_trackbar32"))
        return ControlKind::Trackbar;
    if (EqualsNoCase(className, L"SysListView32"))
        return ControlKind::ListView;
    if (EqualsNoCase(className, L"SysTreeView32"))
        return ControlKind::TreeView;
    if (qobject_cast<QComboBox*>(widget))
        return ControlKind::Combo;
    if (qobject_cast<QListWidget*>(widget))
        return ControlKind::List;
    if (qobject_cast<QProgressBar*>(widget))
        return ControlKind::Progress;
    if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QGroupBox*>(widget))
        return ControlKind::Button;
    if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget))
        return ControlKind::Edit;
    if (qobject_cast<QTextEdit*>(widget))
        return ControlKind::RichEdit;
    if (qobject_cast<QLabel*>(widget) || EqualsNoCase(className, L"Static"))
        return ControlKind::Static;
    return ControlKind::Other;
}

LRESULT KindProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (s.kind) {
    case ControlKind::Combo:
        return ComboProc(s, msg, wParam, lParam, handled);
    case ControlKind::List:
        return ListProc(s, msg, wParam, lParam, handled);
    case ControlKind::Progress:
        return ProgressProc(s, msg, wParam, lParam, handled);
    case ControlKind::Static:
        return StaticProc(s, msg, wParam, lParam, handled);
    case ControlKind::Button:
        return ButtonProc(s, msg, wParam, lParam, handled);
    case ControlKind::UpDown:
        return UpDownProc(s, msg, wParam, lParam, handled);
    case ControlKind::Trackbar:
        return TrackbarProc(s, msg, wParam, lParam, handled);
    case ControlKind::ListView:
        return ListViewProc(s, msg, wParam, lParam, handled);
    case ControlKind::TreeView:
        return TreeViewProc(s, msg, wParam, lParam, handled);
    case ControlKind::Edit:
        return EditProc(s, msg, wParam, lParam, handled);
    case ControlKind::RichEdit: {
        const LRESULT result = EditProc(s, msg, wParam, lParam, handled);
        return handled ? result : RichEditProc(s, msg, wParam, lParam, handled);
    }
    default:
        handled = false;
        return 0;
    }
}

} // namespace

// ---- What the controls' files share ------------------------------------------------

ControlState::~ControlState() {
    auto& map = Registry();
    const auto it = map.find(hwnd);
    if (it != map.end() && it->second == this)
        map.erase(it);
}

ControlState* StateOf(HWND hwnd) {
    auto& map = Registry();
    const auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

void NotifyParent(ControlState& s, int code) {
    if (!s.widget || !s.hwnd)
        return; // a control whose handle has ended tells no one
    // The nearest window up the widget tree (a group box is no window).
    HWND parent = WindowFromWidget(s.widget->parentWidget());
    if (!parent)
        return;
    const DWORD id = DialogBuilder::controlId(s.widget);
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(s.hwnd));
}

LRESULT NotifyParentOf(ControlState& s, NMHDR& header) {
    if (!s.widget || !s.hwnd)
        return 0;
    HWND parent = WindowFromWidget(s.widget->parentWidget());
    if (!parent)
        return 0;
    header.hwndFrom = s.hwnd;
    header.idFrom = DialogBuilder::controlId(s.widget);
    return SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void ScrollParent(ControlState& s, bool vertical, int code, int pos) {
    if (!s.widget || !s.hwnd)
        return;
    if (HWND parent = WindowFromWidget(s.widget->parentWidget()))
        SendMessageW(parent, vertical ? WM_VSCROLL : WM_HSCROLL,
                     MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)),
                     reinterpret_cast<LPARAM>(s.hwnd));
}

QString FromWide(const wchar_t* text) {
    return text ? QString::fromWCharArray(text) : QString();
}

QString WithoutMnemonics(const QString& in) {
    QString out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == u'&' && i + 1 < in.size())
            ++i;
        out += in[i];
    }
    return out;
}

QString NormaliseBreaks(const QString& in) {
    QString out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const QChar c = in[i];
        if (c == u'\r') {
            if (i + 1 < in.size() && in[i + 1] == u'\n')
                ++i;
            out += u'\n';
        } else {
            out += c;
        }
    }
    return out;
}

LRESULT CopyOut(const std::wstring& text, WPARAM capacity, LPARAM buffer) {
    auto* out = reinterpret_cast<wchar_t*>(buffer);
    if (!out || capacity == 0)
        return 0;
    const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(capacity) - 1);
    std::copy_n(text.data(), n, out);
    out[n] = L'\0';
    return static_cast<LRESULT>(n);
}

// ---- The procedure and its attachment --------------------------------------------

LRESULT ControlWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ControlState* s = StateOf(hWnd);
    if (!s || !s->widget)
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    bool handled = false;
    LRESULT result = KindProc(*s, msg, wParam, lParam, handled);
    if (handled)
        return result;
    result = CommonProc(*s, msg, wParam, lParam, handled);
    if (handled)
        return result;
    WNDPROC previous = s->previous;
    if (msg == WM_NCDESTROY) {
        // The handle ends here; the widget (and this state) may live on a little.
        Registry().erase(hWnd);
        s->hwnd = nullptr;
    }
    return previous ? previous(hWnd, msg, wParam, lParam)
                    : DefWindowProcW(hWnd, msg, wParam, lParam);
}

void AttachControl(HWND control, QWidget* widget, std::wstring_view className, DWORD style) {
    if (!control || !widget || !IsWindow(control))
        return;
    if (ControlState* old = StateOf(control)) {
        Registry().erase(control);
        old->hwnd = nullptr;
        delete old; // its connections and filter go with it
    }
    auto* s = new ControlState;
    s->setParent(widget);
    s->hwnd = control;
    s->widget = widget;
    s->kind = KindOf(widget, className);
    s->style = style;
    Registry()[control] = s;
    WNDPROC previous = SetWindowProcedure(control, ControlWindowProc);
    s->previous = previous == ControlWindowProc ? nullptr : previous;

    switch (s->kind) {
    case ControlKind::Button:
        AttachButton(*s);
        break;
    case ControlKind::Combo:
        AttachCombo(*s);
        break;
    case ControlKind::List:
        AttachList(*s);
        break;
    case ControlKind::Progress:
        AttachProgress(*s);
        break;
    case ControlKind::Edit:
        AttachEdit(*s);
        break;
    case ControlKind::RichEdit:
        AttachRichEdit(*s);
        break;
    case ControlKind::Static:
        AttachStatic(*s);
        break;
    case ControlKind::UpDown:
        AttachUpDown(*s);
        break;
    case ControlKind::Trackbar:
        AttachTrackbar(*s);
        break;
    case ControlKind::ListView:
        AttachListView(*s);
        break;
    case ControlKind::TreeView:
        AttachTreeView(*s);
        break;
    default:
        break;
    }
}

QWidget* ControlWidget(HWND control) {
    ControlState* s = StateOf(control);
    return s ? s->widget.data() : nullptr;
}

} // namespace zx
