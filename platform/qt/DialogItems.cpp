// The calls that find a dialog's controls by id and work on them.
#include "platform/LastError.h"
#include "platform/WidgetHandles.h"
#include "platform/WidgetTree.h"
#include "platform/WindowMessages.h"
#include "platform/rc/zxres.h"

#include <QVariant>
#include <QWidget>

#include <vector>

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    QWidget* w = zx::WidgetFromHandle(hDlg);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::vector<HWND> children;
    zx::CollectChildHandles(w, children);
    for (HWND child : children) {
        if (GetDlgCtrlID(child) == nIDDlgItem)
            return child;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

int GetDlgCtrlID(HWND hWnd) {
    QWidget* w = zx::WidgetFromHandle(hWnd);
    if (!w)
        return 0;
    const QVariant v = w->property(zx::kIdProperty);
    return v.isValid() ? static_cast<int>(v.toUInt()) : 0;
}

BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SetWindowTextW(item, lpString) : FALSE;
}

UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (!item) {
        if (lpString && cchMax > 0)
            lpString[0] = L'\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(item, lpString, cchMax));
}

LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SendMessageW(item, msg, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    if (!item)
        return FALSE;
    SendMessageW(item, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    return item ? static_cast<UINT>(SendMessageW(item, BM_GETCHECK, 0, 0)) : 0;
}
