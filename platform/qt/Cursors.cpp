// Cursors: the system's standard cursors, given to the widget handling
// WM_SETCURSOR.
#include "platform/WidgetHandles.h"
#include "platform/WidgetTree.h"

#include <QWidget>

#include <cstdint>

namespace zx {

QPointer<QWidget>& CursorTarget() {
    static QPointer<QWidget> target;
    return target;
}

void SetCursorTarget(QWidget* widget) {
    CursorTarget() = widget;
}

} // namespace zx

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
