// Up-down controls ("msctls_updown32"): a pair of arrows that step a
// position within a range, tell the parent first (UDN_DELTAPOS, which may
// refuse or change the step) and then with WM_VSCROLL or WM_HSCROLL, and
// can write the position into a buddy window (usually an edit beside them).
#include "platform/ControlState.h"
#include "platform/WidgetHandles.h"
#include "platform/rc/zxres.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace zx {
namespace {

// The two arrows: the upper (or right) one steps up. Held down, an arrow
// repeats as Windows' does.
class UpDownArrows : public QWidget {
public:
    UpDownArrows(bool horizontal, QWidget* parent) : QWidget(parent), m_horizontal(horizontal) {
        m_repeat.setInterval(100);
        QObject::connect(&m_repeat, &QTimer::timeout, this, [this] {
            m_repeat.setInterval(50);
            if (onStep)
                onStep(m_pressed);
        });
    }

    std::function<void(int)> onStep; // +1 up, -1 down
    std::function<void()> onEnd;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (int direction : {1, -1}) {
            QStyleOptionButton panel;
            panel.initFrom(this);
            panel.rect = half(direction);
            if (m_pressed == direction)
                panel.state |= QStyle::State_Sunken;
            else
                panel.state |= QStyle::State_Raised;
            style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, &painter, this);
            QStyleOption arrow = panel;
            arrow.rect = panel.rect.adjusted(2, 2, -2, -2);
            const QStyle::PrimitiveElement element =
                m_horizontal
                    ? (direction > 0 ? QStyle::PE_IndicatorArrowRight
                                     : QStyle::PE_IndicatorArrowLeft)
                    : (direction > 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown);
            style()->drawPrimitive(element, &arrow, &painter, this);
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton)
            return;
        m_pressed = half(1).contains(event->position().toPoint()) ? 1 : -1;
        update();
        m_repeat.setInterval(400);
        m_repeat.start();
        if (onStep)
            onStep(m_pressed);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || m_pressed == 0)
            return;
        m_pressed = 0;
        m_repeat.stop();
        update();
        if (onEnd)
            onEnd();
    }

private:
    QRect half(int direction) const {
        if (m_horizontal) {
            const int w = width() / 2;
            return direction > 0 ? QRect(w, 0, width() - w, height()) : QRect(0, 0, w, height());
        }
        const int h = height() / 2;
        return direction > 0 ? QRect(0, 0, width(), h) : QRect(0, h, width(), height() - h);
    }

    bool m_horizontal;
    int m_pressed = 0;
    QTimer m_repeat;
};

// The buddy's arrow keys step the control (UDS_ARROWKEYS).
class ArrowKeys : public QObject {
public:
    ArrowKeys(ControlState* state, QObject* parent) : QObject(parent), m_state(state) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ControlState* m_state;
};

int Lowest(const UpDownState& u) {
    return std::min(u.low, u.high);
}
int Highest(const UpDownState& u) {
    return std::max(u.low, u.high);
}

// The position as the buddy shows it: thousands grouped unless
// UDS_NOTHOUSANDS.
std::wstring PositionText(int pos, bool thousands) {
    std::wstring digits = std::to_wstring(pos < 0 ? -static_cast<long long>(pos) : pos);
    if (thousands) {
        for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
            digits.insert(static_cast<size_t>(at), 1, L',');
    }
    return pos < 0 ? L"-" + digits : digits;
}

void WriteBuddy(ControlState& s) {
    if ((s.style & UDS_SETBUDDYINT) && s.upDown.buddy && IsWindow(s.upDown.buddy))
        SetWindowTextW(s.upDown.buddy,
                       PositionText(s.upDown.pos, !(s.style & UDS_NOTHOUSANDS)).c_str());
}

// With UDS_SETBUDDYINT the buddy's text is the position: what the user typed
// there counts. False when the text is no number within the range.
bool ReadBuddy(ControlState& s) {
    UpDownState& u = s.upDown;
    if (!(s.style & UDS_SETBUDDYINT) || !u.buddy || !IsWindow(u.buddy))
        return true;
    wchar_t buffer[64] = {};
    GetWindowTextW(u.buddy, buffer, 64);
    std::wstring text;
    for (const wchar_t* c = buffer; *c; ++c) {
        if (*c != L',' && *c != L' ')
            text += *c;
    }
    try {
        size_t used = 0;
        const long long value = std::stoll(text, &used, 10);
        if (used != text.size() || value < Lowest(u) || value > Highest(u))
            return false;
        u.pos = static_cast<int>(value);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void Align(ControlState& s) {
    QWidget* buddy = WidgetFromHandle(s.upDown.buddy);
    if (!buddy || !(s.style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)) ||
        buddy->parentWidget() != s.widget->parentWidget())
        return;
    // The arrows keep their width and take the buddy's height; the buddy
    // gives up that width on the arrows' side.
    const QRect place = buddy->geometry();
    const int width = s.widget->width() > 0 ? s.widget->width() : 16;
    if (s.style & UDS_ALIGNRIGHT) {
        buddy->setGeometry(place.adjusted(0, 0, -width, 0));
        s.widget->setGeometry(place.right() + 1 - width, place.top(), width, place.height());
    } else {
        buddy->setGeometry(place.adjusted(width, 0, 0, 0));
        s.widget->setGeometry(place.left(), place.top(), width, place.height());
    }
}

HWND SetBuddy(ControlState& s, HWND buddy) {
    const HWND previous = s.upDown.buddy;
    s.upDown.buddy = IsWindow(buddy) ? buddy : nullptr;
    if (QWidget* w = WidgetFromHandle(previous); w && s.upDown.arrowKeys)
        w->removeEventFilter(s.upDown.arrowKeys);
    if (QWidget* w = WidgetFromHandle(s.upDown.buddy)) {
        if (s.style & UDS_ARROWKEYS) {
            if (!s.upDown.arrowKeys)
                s.upDown.arrowKeys = new ArrowKeys(&s, &s);
            w->installEventFilter(s.upDown.arrowKeys);
        }
        Align(s);
    }
    return previous;
}

void SetPos(ControlState& s, long long pos) {
    s.upDown.pos =
        static_cast<int>(std::clamp<long long>(pos, Lowest(s.upDown), Highest(s.upDown)));
    WriteBuddy(s);
}

void Step(ControlState& s, int direction) {
    UpDownState& u = s.upDown;
    ReadBuddy(s);
    NMUPDOWN change{};
    change.hdr.code = UDN_DELTAPOS;
    change.iPos = u.pos;
    change.iDelta = u.high >= u.low ? direction : -direction;
    if (NotifyParentOf(s, change.hdr) != 0 || !s.hwnd)
        return; // the parent refused the change
    long long next = static_cast<long long>(u.pos) + change.iDelta;
    // Past either end: the other end with UDS_WRAP, else the end itself.
    if (next > Highest(u))
        next = (s.style & UDS_WRAP) ? Lowest(u) : Highest(u);
    else if (next < Lowest(u))
        next = (s.style & UDS_WRAP) ? Highest(u) : Lowest(u);
    SetPos(s, next);
    u.held = true;
    ScrollParent(s, !(s.style & UDS_HORZ), SB_THUMBPOSITION, u.pos);
}

void EndStep(ControlState& s) {
    if (!s.upDown.held)
        return;
    s.upDown.held = false;
    ScrollParent(s, !(s.style & UDS_HORZ), SB_ENDSCROLL, s.upDown.pos);
}

bool ArrowKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress)
        Step(*m_state, key == Qt::Key_Up ? 1 : -1);
    else if (!static_cast<QKeyEvent*>(event)->isAutoRepeat())
        EndStep(*m_state);
    return true;
}

LRESULT OnGetPos(ControlState& s, bool wide, LPARAM lParam) {
    const bool ok = ReadBuddy(s);
    if (wide) {
        if (auto* error = reinterpret_cast<BOOL*>(lParam))
            *error = ok ? FALSE : TRUE;
        return s.upDown.pos;
    }
    return MAKELONG(static_cast<WORD>(s.upDown.pos), ok ? 0 : 1);
}

} // namespace

QWidget* MakeUpDown(const DialogItem& item, QWidget* parent) {
    return new UpDownArrows((item.style & UDS_HORZ) != 0, parent);
}

LRESULT UpDownProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    UpDownState& u = s.upDown;
    const int previous = u.pos;
    switch (msg) {
    case UDM_SETRANGE:
        // LOWORD the maximum, HIWORD the minimum.
        u.high = static_cast<SHORT>(LOWORD(lParam));
        u.low = static_cast<SHORT>(HIWORD(lParam));
        SetPos(s, u.pos);
        return 0;
    case UDM_SETRANGE32:
        u.low = static_cast<INT>(wParam);
        u.high = static_cast<INT>(lParam);
        SetPos(s, u.pos);
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(u.high), static_cast<WORD>(u.low));
    case UDM_GETRANGE32:
        if (auto* low = reinterpret_cast<int*>(wParam))
            *low = u.low;
        if (auto* high = reinterpret_cast<int*>(lParam))
            *high = u.high;
        return 0;
    case UDM_SETPOS:
        SetPos(s, static_cast<SHORT>(LOWORD(lParam)));
        return previous;
    case UDM_SETPOS32:
        SetPos(s, static_cast<INT>(lParam));
        return previous;
    case UDM_GETPOS:
    case UDM_GETPOS32:
        return OnGetPos(s, msg == UDM_GETPOS32, lParam);
    case UDM_SETBUDDY:
        return reinterpret_cast<LRESULT>(SetBuddy(s, reinterpret_cast<HWND>(wParam)));
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(u.buddy);
    default:
        handled = false;
        return 0;
    }
}

void AttachUpDown(ControlState& s) {
    auto* arrows = dynamic_cast<UpDownArrows*>(s.widget.data());
    if (!arrows)
        return;
    ControlState* state = &s;
    arrows->onStep = [state](int direction) { Step(*state, direction); };
    arrows->onEnd = [state] { EndStep(*state); };
    // UDS_AUTOBUDDY takes the window just before this one in the z-order.
    if ((s.style & UDS_AUTOBUDDY) && s.widget->parentWidget()) {
        HWND before = nullptr;
        for (QWidget* sibling : ChildWidgetsInZOrder(s.widget->parentWidget())) {
            if (sibling == s.widget)
                break;
            if (HWND h = HandleFromWidget(sibling))
                before = h;
        }
        SetBuddy(s, before);
    }
}

} // namespace zx
