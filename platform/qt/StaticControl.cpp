// Static controls: text, frames and pictures. With SS_NOTIFY a click on one
// tells its parent (STN_CLICKED).
#include "platform/ControlState.h"
#include "platform/rc/zxres.h"

#include <QEvent>
#include <QMouseEvent>

namespace zx {

bool ControlState::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget && kind == ControlKind::Static && (style & SS_NOTIFY) &&
        event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        NotifyParent(*this, STN_CLICKED);
    }
    return QObject::eventFilter(watched, event);
}

void AttachStatic(ControlState& s) {
    s.widget->installEventFilter(&s);
}

} // namespace zx
