// The window calls of the Windows API on the widgets bound to windows: show,
// enable, parent, styles, class name, text, focus and repainting.
#include "platform/LastError.h"
#include "platform/WidgetHandles.h"
#include "platform/WidgetTree.h"
#include "platform/WindowMessages.h"
#include "platform/rc/zxres.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <vector>

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w)
        return FALSE;
    const BOOL wasVisible = !w->isHidden();
    switch (nCmdShow) {
    case SW_HIDE:
        w->hide();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        w->showMinimized();
        break;
    case SW_SHOWMAXIMIZED:
        w->showMaximized();
        break;
    case SW_RESTORE:
        w->showNormal();
        break;
    default:
        w->show();
        break;
    }
    if (nCmdShow != SW_HIDE)
        zx::RefreshControlColours(hWnd);
    return wasVisible;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w)
        return FALSE;
    const BOOL wasDisabled = w->testAttribute(Qt::WA_ForceDisabled);
    w->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    return w && !w->testAttribute(Qt::WA_ForceDisabled);
}

BOOL IsWindowVisible(HWND hWnd) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    return w && w->isVisible();
}

HWND GetParent(HWND hWnd) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    return w ? zx::WindowFromWidget(w->parentWidget()) : nullptr;
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
    if (!hWndParent)
        return FALSE;
    for (HWND h = GetParent(hWnd); h; h = GetParent(h)) {
        if (h == hWndParent)
            return TRUE;
        if (!(zx::WindowStyle(h) & WS_CHILD))
            break;
    }
    return FALSE;
}

HWND GetWindow(HWND hWnd, UINT uCmd) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::vector<HWND> list;
    if (uCmd == GW_CHILD) {
        zx::CollectChildHandles(w, list);
        return list.empty() ? nullptr : list.front();
    }
    HWND parent = (zx::WindowStyle(hWnd) & WS_CHILD) ? GetParent(hWnd) : nullptr;
    if (!parent)
        return uCmd == GW_HWNDFIRST || uCmd == GW_HWNDLAST ? hWnd : nullptr;
    zx::CollectChildHandles(zx::WidgetFromHandle(parent), list);
    const auto at = std::find(list.begin(), list.end(), hWnd);
    if (at == list.end())
        return nullptr;
    switch (uCmd) {
    case GW_HWNDFIRST:
        return list.front();
    case GW_HWNDLAST:
        return list.back();
    case GW_HWNDNEXT:
        return at + 1 == list.end() ? nullptr : *(at + 1);
    case GW_HWNDPREV:
        return at == list.begin() ? nullptr : *(at - 1);
    default:
        return nullptr;
    }
}

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex) {
    if (!zx::WidgetFromHandle(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (nIndex) {
    case GWL_STYLE:
        return static_cast<LONG_PTR>(zx::WindowStyle(hWnd));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(zx::WindowExStyle(hWnd));
    case GWL_ID:
        return GetDlgCtrlID(hWnd);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR value) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const LONG_PTR old = GetWindowLongPtrW(hWnd, nIndex);
    switch (nIndex) {
    case GWL_STYLE: {
        const auto style = static_cast<DWORD>(value);
        zx::StoreWindowStyles(hWnd, style, zx::WindowExStyle(hWnd));
        if (((static_cast<DWORD>(old) ^ style) & WS_VISIBLE) != 0)
            w->setVisible((style & WS_VISIBLE) != 0);
        if (((static_cast<DWORD>(old) ^ style) & WS_DISABLED) != 0)
            w->setEnabled((style & WS_DISABLED) == 0);
        if (((static_cast<DWORD>(old) ^ style) & WS_TABSTOP) != 0 &&
            zx::WindowClassName(hWnd) != L"#32770")
            zx::SetControlFocusPolicy(w, style);
        if (((static_cast<DWORD>(old) ^ style) & (BS_TYPEMASK | SS_NOTIFY)) != 0)
            zx::SetMouseTransparency(w, zx::WindowClassName(hWnd), style);
        break;
    }
    case GWL_EXSTYLE:
        zx::StoreWindowStyles(hWnd, zx::WindowStyle(hWnd), static_cast<DWORD>(value));
        break;
    case GWL_ID:
        zx::SetControlId(w, static_cast<int>(value));
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return old;
}

LONG GetWindowLongW(HWND hWnd, int nIndex) {
    return static_cast<LONG>(GetWindowLongPtrW(hWnd, nIndex));
}

LONG SetWindowLongW(HWND hWnd, int nIndex, LONG value) {
    const LONG_PTR v = nIndex == GWL_ID ? static_cast<LONG_PTR>(value)
                                        : static_cast<LONG_PTR>(static_cast<DWORD>(value));
    return static_cast<LONG>(SetWindowLongPtrW(hWnd, nIndex, v));
}

int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
    if (!zx::WidgetFromHandle(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!lpClassName || nMaxCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring name = zx::WindowClassName(hWnd);
    const size_t n = std::min<size_t>(name.size(), static_cast<size_t>(nMaxCount - 1));
    std::copy_n(name.data(), n, lpClassName);
    lpClassName[n] = L'\0';
    return static_cast<int>(n);
}

BOOL InvalidateRect(HWND hWnd, LPCRECT lpRect, BOOL) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w)
        return FALSE;
    if (zx::WindowClassName(hWnd) == L"#32770" || !GetParent(hWnd))
        zx::RefreshControlColours(hWnd);
    else if (HWND parent = GetParent(hWnd))
        zx::RefreshControlColours(parent);
    if (lpRect)
        w->update(QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                        lpRect->bottom - lpRect->top));
    else
        w->update();
    return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w)
        return FALSE;
    if (w->isVisible())
        w->repaint();
    return TRUE;
}

BOOL RedrawWindow(HWND hWnd, LPCRECT lprcUpdate, void*, UINT flags) {
    if (!zx::WidgetFromHandle(hWnd))
        return FALSE;
    if (flags & RDW_INVALIDATE)
        InvalidateRect(hWnd, lprcUpdate, (flags & RDW_ERASE) != 0);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
        UpdateWindow(hWnd);
    return TRUE;
}

HWND GetFocus() {
    return zx::WindowFromWidget(QApplication::focusWidget());
}

HWND SetFocus(HWND hWnd) {
    HWND previous = GetFocus();
    if (QWidget* w = zx::WidgetFromHandle(hWnd))
        w->setFocus(Qt::OtherFocusReason);
    return previous;
}

HWND GetActiveWindow() {
    return zx::WindowFromWidget(QApplication::activeWindow());
}

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
    if (!IsWindow(hWnd))
        return FALSE;
    return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : L""))
               ? TRUE
               : FALSE;
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0)
        return 0;
    lpString[0] = L'\0';
    if (!IsWindow(hWnd))
        return 0;
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

int GetWindowTextLengthW(HWND hWnd) {
    return IsWindow(hWnd) ? static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}
