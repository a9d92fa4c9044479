#pragma once
// CTabCtrl: the tab control ("SysTabControl32"): a row of tabs over a framed
// display area. Clicking a tab (or moving with the arrow keys) first sends
// the parent WM_NOTIFY TCN_SELCHANGING, whose non-zero answer keeps the
// current tab, then TCN_SELCHANGE; TCM_SETCURSEL changes the tab silently,
// as on Windows.

#include "platform/WindowMessages.h"
#include "platform/Wnd.h"

class CTabCtrl : public CWnd {
public:
    CTabCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetItemCount() const;
    // -1 when there is no tab.
    int GetCurSel() const;
    // Returns the previous tab; sends no notification.
    int SetCurSel(int nItem);
    // Returns the new tab's index, -1 on failure.
    LONG InsertItem(int nItem, LPCWSTR lpszItem);
    LONG InsertItem(int nItem, TCITEMW* pTabCtrlItem);
    BOOL GetItem(int nItem, TCITEMW* pTabCtrlItem) const;
    BOOL SetItem(int nItem, TCITEMW* pTabCtrlItem);
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    // The tab's rectangle in the control's client coordinates.
    BOOL GetItemRect(int nItem, LPRECT lpRect) const;
    // Window rectangle -> display area (bLarger FALSE) and back (TRUE).
    void AdjustRect(BOOL bLarger, LPRECT lpRect);
};
