// Static controls: text, frames and pictures. With SS_NOTIFY a click on one
// tells its parent (STN_CLICKED). The owner of a picture static may give it
// another bitmap (STM_SETIMAGE); the bitmap stays the owner's, and the
// control keeps a copy of its picture, so deleting it early blanks nothing.
#include "platform/ControlState.h"
#include "platform/rc/zxres.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace zx {

LRESULT StaticProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = (msg == STM_SETIMAGE || msg == STM_GETIMAGE);
    if (!handled || wParam != IMAGE_BITMAP)
        return 0;
    const HBITMAP previous = s.bitmap;
    if (msg == STM_SETIMAGE) {
        auto* label = qobject_cast<QLabel*>(s.widget);
        const auto image = ImageFromHandle(reinterpret_cast<HBITMAP>(lParam));
        s.bitmap = image ? reinterpret_cast<HBITMAP>(lParam) : nullptr;
        if (label)
            label->setPixmap(image ? QPixmap::fromImage(*image) : QPixmap());
    }
    return reinterpret_cast<LRESULT>(previous);
}

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
