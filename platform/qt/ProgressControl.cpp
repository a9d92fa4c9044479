// Progress bars ("msctls_progress32") over QProgressBar, driven by PBM_
// messages.
#include "platform/ControlState.h"

#include <QApplication>
#include <QPalette>
#include <QProgressBar>

#include <algorithm>

namespace zx {
namespace {

constexpr COLORREF kDefaultColor = 0xFF000000u; // CLR_DEFAULT

void Show(ControlState& s) {
    auto* bar = qobject_cast<QProgressBar*>(s.widget);
    const ProgressState& p = s.progress;
    const int low = std::min(p.low, p.high);
    const int high = std::max(p.low, p.high);
    // Qt shows an empty range as a busy indicator; Windows shows an empty bar.
    bar->setRange(low, high > low ? high : low + 1);
    bar->setValue(std::clamp(p.pos, low, high));
}

void SetPos(ProgressState& p, long long pos) {
    const int low = std::min(p.low, p.high);
    const int high = std::max(p.low, p.high);
    p.pos = static_cast<int>(std::clamp<long long>(pos, low, high));
}

LRESULT OnSetRange(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
    ProgressState& p = s.progress;
    const LRESULT old = MAKELONG(p.low, p.high);
    if (msg == PBM_SETRANGE) {
        p.low = LOWORD(lParam);
        p.high = HIWORD(lParam);
    } else {
        p.low = static_cast<int>(static_cast<INT>(wParam));
        p.high = static_cast<int>(static_cast<INT>(lParam));
    }
    SetPos(p, p.pos);
    Show(s);
    return old;
}

// The bar runs from the range's minimum (its beginning) to its maximum (its
// end), even when the minimum is the larger: a step past the end starts over
// from the beginning and one past the beginning from the end, carrying the
// overshoot, as Windows does. Offsets count from the beginning in the range's
// own direction, so a reversed range wraps towards its minimum too.
void StepIt(ProgressState& p) {
    const long long direction = p.high >= p.low ? 1 : -1;
    const long long span = (static_cast<long long>(p.high) - p.low) * direction;
    long long offset = (static_cast<long long>(p.pos) - p.low + p.step) * direction;
    if (span > 0 && (offset > span || offset < 0)) {
        offset %= span;
        if (offset < 0)
            offset += span;
    }
    SetPos(p, p.low + offset * direction);
}

LRESULT OnSetBarColor(ControlState& s, LPARAM lParam) {
    const COLORREF old = s.progress.color;
    s.progress.color = static_cast<COLORREF>(lParam);
    QPalette palette = s.widget->palette();
    palette.setColor(QPalette::Highlight, s.progress.color == kDefaultColor
                                              ? QApplication::palette().color(QPalette::Highlight)
                                              : ToQColor(s.progress.color));
    s.widget->setPalette(palette);
    return old;
}

} // namespace

LRESULT ProgressProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    ProgressState& p = s.progress;
    const int previous = p.pos;
    switch (msg) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
        return OnSetRange(s, msg, wParam, lParam);
    case PBM_GETRANGE:
        if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
            range->iLow = p.low;
            range->iHigh = p.high;
        }
        return wParam ? p.low : p.high;
    case PBM_SETPOS:
        SetPos(p, static_cast<INT>(wParam));
        Show(s);
        return previous;
    case PBM_DELTAPOS:
        SetPos(p, static_cast<long long>(p.pos) + static_cast<INT>(wParam));
        Show(s);
        return previous;
    case PBM_SETSTEP: {
        const int old = p.step;
        p.step = static_cast<INT>(wParam);
        return old;
    }
    case PBM_STEPIT:
        StepIt(p);
        Show(s);
        return previous;
    case PBM_GETPOS:
        return p.pos;
    case PBM_SETBARCOLOR:
        return OnSetBarColor(s, lParam);
    default:
        handled = false;
        return 0;
    }
}

void AttachProgress(ControlState& s) {
    auto* bar = qobject_cast<QProgressBar*>(s.widget);
    s.progress.low = bar->minimum();
    s.progress.high = bar->maximum();
    s.progress.pos = std::max(bar->value(), s.progress.low);
    Show(s);
}

} // namespace zx
