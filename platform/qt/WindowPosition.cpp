// Window rectangles and positions, in the coordinates Windows uses: a
// window's rectangle on the screen, its client area from (0, 0), positions
// in the parent's client area.
#include "platform/LastError.h"
#include "platform/WidgetHandles.h"
#include "platform/WindowMessages.h"
#include "platform/rc/zxres.h"

#include <QScreen>
#include <QWidget>

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w || !lpRect)
        return FALSE;
    QRect r;
    if (w->isWindow()) {
        r = w->frameGeometry();
    } else {
        r = QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    }
    *lpRect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w || !lpRect)
        return FALSE;
    *lpRect = RECT{0, 0, w->width(), std::max(0, w->height() - zx::ClientTop(w))};
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w || !lpPoint)
        return FALSE;
    const QPoint p = w->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
    *lpPoint = POINT{p.x(), p.y() - zx::ClientTop(w)};
    return TRUE;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w || !lpPoint)
        return FALSE;
    const QPoint p = w->mapToGlobal(QPoint(lpPoint->x, lpPoint->y + zx::ClientTop(w)));
    *lpPoint = POINT{p.x(), p.y()};
    return TRUE;
}

namespace {

// A child's position in its parent window's client coordinates, turned into
// its Qt parent's (the two differ when widgets without a window lie between,
// or a menu bar above the client area).
QPoint ToWidgetParent(HWND hWnd, QWidget* w, QPoint p) {
    if (w->isWindow())
        return p;
    QWidget* parentWindow = zx::WidgetFromHandle(GetParent(hWnd));
    if (parentWindow)
        p.ry() += zx::ClientTop(parentWindow);
    QWidget* qtParent = w->parentWidget();
    if (parentWindow && qtParent && parentWindow != qtParent &&
        parentWindow->isAncestorOf(qtParent))
        return qtParent->mapFrom(parentWindow, p);
    return p;
}

} // namespace

BOOL MoveWindow(HWND hWnd, int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w)
        return FALSE;
    const QPoint p = ToWidgetParent(hWnd, w, QPoint(x, y));
    w->move(p);
    w->resize(std::max(0, nWidth), std::max(0, nHeight));
    if (bRepaint)
        w->update();
    return TRUE;
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT uFlags) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w)
        return FALSE;
    if (!(uFlags & SWP_NOMOVE))
        w->move(ToWidgetParent(hWnd, w, QPoint(x, y)));
    if (!(uFlags & SWP_NOSIZE))
        w->resize(std::max(0, cx), std::max(0, cy));
    if (!(uFlags & SWP_NOZORDER)) {
        if (hWndInsertAfter == HWND_TOP || hWndInsertAfter == HWND_TOPMOST)
            w->raise();
        else if (hWndInsertAfter == HWND_BOTTOM)
            w->lower();
        else if (QWidget* after = zx::WidgetFromHandle(hWndInsertAfter); after && after != w)
            w->stackUnder(after);
    }
    if (uFlags & SWP_SHOWWINDOW)
        ShowWindow(hWnd, SW_SHOW);
    if (uFlags & SWP_HIDEWINDOW)
        w->hide();
    if (!(uFlags & SWP_NOREDRAW))
        w->update();
    return TRUE;
}
