// A window's menu bar: a QMenuBar across the top of the window's widget. The
// client area starts below it, as on Windows: the window's children move down
// by the bar's height and the window grows by as much, so client coordinates
// keep meaning the same place; the window calls add the offset (ClientTop).
#include "platform/WidgetHandles.h"

#include <QEvent>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

namespace zx {
namespace {

constexpr char kBarName[] = "zx_window_menubar";
constexpr char kClientTop[] = "zx_client_top";

// Keeps the bar as wide as its window.
class BarWidth : public QObject {
public:
    BarWidth(QWidget* window, QMenuBar* bar) : QObject(bar), m_bar(bar) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && m_bar)
            m_bar->resize(static_cast<QWidget*>(watched)->width(), m_bar->height());
        return false;
    }

private:
    QPointer<QMenuBar> m_bar;
};

QMenuBar* CurrentBar(const QWidget* w) {
    return w->findChild<QMenuBar*>(kBarName, Qt::FindDirectChildrenOnly);
}

void ShiftClientArea(QWidget* w, int delta, const QMenuBar* keep) {
    if (delta == 0)
        return;
    for (QObject* child : w->children()) {
        auto* cw = qobject_cast<QWidget*>(child);
        if (cw && cw != keep && !cw->isWindow())
            cw->move(cw->x(), cw->y() + delta);
    }
    w->resize(w->width(), w->height() + delta);
    w->setProperty(kClientTop, ClientTop(w) + delta);
}

} // namespace

int ClientTop(const QWidget* widget) {
    return widget ? widget->property(kClientTop).toInt() : 0;
}

QMenuBar* WindowMenuBar(HWND hwnd) {
    const QWidget* w = WidgetFromHandle(hwnd);
    return w ? CurrentBar(w) : nullptr;
}

bool SetWindowMenuBar(HWND hwnd, QMenuBar* bar) {
    QWidget* w = WidgetFromHandle(hwnd);
    if (!w)
        return false;
    const int oldTop = ClientTop(w);
    if (QMenuBar* old = CurrentBar(w); old && old != bar) {
        old->setObjectName(QString());
        old->hide();
        old->deleteLater();
    }
    if (!bar) {
        ShiftClientArea(w, -oldTop, nullptr);
        return true;
    }
    bar->setParent(w);
    bar->setObjectName(kBarName);
    bar->setNativeMenuBar(false);
    const int height = bar->sizeHint().height();
    bar->setGeometry(0, 0, w->width(), height);
    new BarWidth(w, bar);
    ShiftClientArea(w, height - oldTop, bar);
    bar->show();
    return true;
}

} // namespace zx
