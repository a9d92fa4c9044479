#include "platform/TabCtrl.h"

#include "platform/TabControl.h"

BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (m_hWnd || !pParentWnd || !pParentWnd->GetWidget())
        return FALSE;
    HWND hwnd =
        zx::CreateTabControl(pParentWnd->GetWidget(), dwStyle | WS_CHILD, static_cast<int>(nID));
    if (!hwnd)
        return FALSE;
    ::MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
    return SubclassWindow(hwnd);
}

int CTabCtrl::GetItemCount() const {
    return static_cast<int>(SendMessageW(TCM_GETITEMCOUNT));
}

int CTabCtrl::GetCurSel() const {
    return m_hWnd ? static_cast<int>(SendMessageW(TCM_GETCURSEL)) : -1;
}

int CTabCtrl::SetCurSel(int nItem) {
    return static_cast<int>(SendMessageW(TCM_SETCURSEL, static_cast<WPARAM>(nItem)));
}

LONG CTabCtrl::InsertItem(int nItem, LPCWSTR lpszItem) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(lpszItem ? lpszItem : L"");
    return InsertItem(nItem, &item);
}

LONG CTabCtrl::InsertItem(int nItem, TCITEMW* pTabCtrlItem) {
    if (!m_hWnd)
        return -1;
    return static_cast<LONG>(SendMessageW(TCM_INSERTITEMW, static_cast<WPARAM>(nItem),
                                          reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::GetItem(int nItem, TCITEMW* pTabCtrlItem) const {
    return static_cast<BOOL>(SendMessageW(TCM_GETITEMW, static_cast<WPARAM>(nItem),
                                          reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::SetItem(int nItem, TCITEMW* pTabCtrlItem) {
    return static_cast<BOOL>(SendMessageW(TCM_SETITEMW, static_cast<WPARAM>(nItem),
                                          reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::DeleteItem(int nItem) {
    return static_cast<BOOL>(SendMessageW(TCM_DELETEITEM, static_cast<WPARAM>(nItem)));
}

BOOL CTabCtrl::DeleteAllItems() {
    return static_cast<BOOL>(SendMessageW(TCM_DELETEALLITEMS));
}

BOOL CTabCtrl::GetItemRect(int nItem, LPRECT lpRect) const {
    return static_cast<BOOL>(SendMessageW(TCM_GETITEMRECT, static_cast<WPARAM>(nItem),
                                          reinterpret_cast<LPARAM>(lpRect)));
}

void CTabCtrl::AdjustRect(BOOL bLarger, LPRECT lpRect) {
    SendMessageW(TCM_ADJUSTRECT, static_cast<WPARAM>(bLarger), reinterpret_cast<LPARAM>(lpRect));
}
