// Trackbars ("msctls_trackbar32") over QSlider: a range, a position, line and
// page steps, tick marks; what the user does reaches the parent as
// WM_HSCROLL (WM_VSCROLL with TBS_VERT) carrying a TB_ code.
#include "platform/ControlState.h"
#include "platform/rc/zxres.h"

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

} // namespace

QWidget* MakeTrackbar(const DialogItem& item, QWidget* parent) {
    const bool vertical = (item.style & TBS_VERT) != 0;
    auto* slider = new QSlider(vertical ? Qt::Vertical : Qt::Horizontal, parent);
    // Windows puts a vertical trackbar's minimum at the top and its keys
    // follow the position: Down and Right step towards the maximum.
    slider->setInvertedAppearance(vertical);
    slider->setInvertedControls(vertical);
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
    ControlState* state = &s;
    // The action comes with the slider already at its new place; the parent
    // hears of it once the position is ours, and every move but a drag ends
    // with TB_ENDTRACK, as a key's release or a click's ends it on Windows.
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
