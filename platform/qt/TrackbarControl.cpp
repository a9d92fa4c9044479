// Trackbars ("msctls_trackbar32") over QSlider: a range, a position, line and
// page steps, tick marks; what the user does reaches the parent as
// WM_HSCROLL (WM_VSCROLL with TBS_VERT) carrying a TB_ code.
#include "platform/ControlState.h"
#include "platform/rc/zxres.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

namespace zx {
namespace {

QSlider* SliderOf(ControlState& s) {
    return qobject_cast<QSlider*>(s.widget);
}

bool Vertical(const ControlState& s) {
    return (s.style & TBS_VERT) != 0;
}

void Show(ControlState& s) {
    QSlider* slider = SliderOf(s);
    const TrackbarState& t = s.trackbar;
    const QSignalBlocker block(slider);
    slider->setRange(t.low, std::max(t.low, t.high));
    slider->setValue(t.pos);
    slider->setSingleStep(t.line);
    slider->setPageStep(t.page);
    slider->setTickInterval(t.ticFrequency);
}

void SetPos(TrackbarState& t, long long pos) {
    t.pos = static_cast<int>(std::clamp<long long>(pos, t.low, std::max(t.low, t.high)));
}

// A new range takes the position inside it (Windows moves it to the nearer end).
LRESULT SetRange(ControlState& s, int low, int high) {
    s.trackbar.low = low;
    s.trackbar.high = high;
    SetPos(s.trackbar, s.trackbar.pos);
    Show(s);
    return 0;
}

int ScrollCode(QAbstractSlider::SliderAction action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return TB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub:
        return TB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return TB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return TB_PAGEUP;
    case QAbstractSlider::SliderToMinimum:
        return TB_TOP;
    case QAbstractSlider::SliderToMaximum:
        return TB_BOTTOM;
    case QAbstractSlider::SliderMove:
        return TB_THUMBTRACK;
    default:
        return -1;
    }
}

// Windows' keys for either orientation: Left and Up a line towards the
// minimum, Right and Down towards the maximum, Page Up and Page Down a page,
// Home and End to either end. Qt's differ (Up and Page Up add).
class TrackbarKeys : public QObject {
public:
    TrackbarKeys(ControlState* state) : QObject(state), m_state(state) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        TrackbarState& t = m_state->trackbar;
        long long pos = t.pos;
        int code = -1;
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            code = TB_LINEUP;
            pos -= t.line;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            code = TB_LINEDOWN;
            pos += t.line;
            break;
        case Qt::Key_PageUp:
            code = TB_PAGEUP;
            pos -= t.page;
            break;
        case Qt::Key_PageDown:
            code = TB_PAGEDOWN;
            pos += t.page;
            break;
        case Qt::Key_Home:
            code = TB_TOP;
            pos = t.low;
            break;
        case Qt::Key_End:
            code = TB_BOTTOM;
            pos = t.high;
            break;
        default:
            return QObject::eventFilter(watched, event);
        }
        SetPos(t, pos);
        Show(*m_state);
        ScrollParent(*m_state, Vertical(*m_state), code, 0);
        ScrollParent(*m_state, Vertical(*m_state), TB_ENDTRACK, 0);
        return true;
    }

private:
    ControlState* m_state;
};

} // namespace

QWidget* MakeTrackbar(const DialogItem& item, QWidget* parent) {
    const bool vertical = (item.style & TBS_VERT) != 0;
    auto* slider = new QSlider(vertical ? Qt::Vertical : Qt::Horizontal, parent);
    // Windows puts a vertical trackbar's minimum at the top.
    slider->setInvertedAppearance(vertical);
    if (item.style & TBS_NOTICKS)
        slider->setTickPosition(QSlider::NoTicks);
    else if (item.style & TBS_BOTH)
        slider->setTickPosition(QSlider::TicksBothSides);
    else if (item.style & TBS_TOP) // TBS_LEFT too
        slider->setTickPosition(vertical ? QSlider::TicksLeft : QSlider::TicksAbove);
    else
        slider->setTickPosition(vertical ? QSlider::TicksRight : QSlider::TicksBelow);
    return slider;
}

LRESULT TrackbarProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    TrackbarState& t = s.trackbar;
    switch (msg) {
    case TBM_GETPOS:
        return t.pos;
    case TBM_GETRANGEMIN:
        return t.low;
    case TBM_GETRANGEMAX:
        return t.high;
    case TBM_SETPOS:
        SetPos(t, static_cast<LONG>(lParam));
        Show(s);
        return 0;
    case TBM_SETRANGE:
        return SetRange(s, static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
    case TBM_SETRANGEMIN:
        return SetRange(s, static_cast<LONG>(lParam), t.high);
    case TBM_SETRANGEMAX:
        return SetRange(s, t.low, static_cast<LONG>(lParam));
    case TBM_SETTICFREQ:
        t.ticFrequency = std::max(1, static_cast<int>(static_cast<INT>(wParam)));
        Show(s);
        return 0;
    case TBM_SETPAGESIZE: {
        const int old = t.page;
        t.page = static_cast<LONG>(lParam);
        Show(s);
        return old;
    }
    case TBM_GETPAGESIZE:
        return t.page;
    case TBM_SETLINESIZE: {
        const int old = t.line;
        t.line = static_cast<LONG>(lParam);
        Show(s);
        return old;
    }
    case TBM_GETLINESIZE:
        return t.line;
    default:
        handled = false;
        return 0;
    }
}

void AttachTrackbar(ControlState& s) {
    QSlider* slider = SliderOf(s);
    if (!slider)
        return;
    // Without TBS_AUTOTICKS Windows marks only both ends.
    if (!(s.style & TBS_AUTOTICKS))
        s.trackbar.ticFrequency = std::max(1, s.trackbar.high - s.trackbar.low);
    Show(s);
    slider->installEventFilter(new TrackbarKeys(&s));
    ControlState* state = &s;
    // The mouse's actions come with the slider already at its new place; the
    // parent hears of them once the position is ours, and every move but a
    // drag ends with TB_ENDTRACK, as the click's release ends it on Windows.
    QObject::connect(slider, &QAbstractSlider::actionTriggered, state, [state](int action) {
        const int code = ScrollCode(static_cast<QAbstractSlider::SliderAction>(action));
        QSlider* slider = SliderOf(*state);
        if (code < 0 || !slider)
            return;
        SetPos(state->trackbar, slider->sliderPosition());
        ScrollParent(*state, Vertical(*state), code,
                     code == TB_THUMBTRACK ? state->trackbar.pos : 0);
        if (code != TB_THUMBTRACK)
            ScrollParent(*state, Vertical(*state), TB_ENDTRACK, 0);
    });
    QObject::connect(slider, &QAbstractSlider::sliderReleased, state, [state] {
        ScrollParent(*state, Vertical(*state), TB_THUMBPOSITION, state->trackbar.pos);
        ScrollParent(*state, Vertical(*state), TB_ENDTRACK, 0);
    });
}

} // namespace zx
