#pragma once
// CTabCtrl: the tab control ("SysTabControl32"): a row of tabs over a framed
// display area. Clicking a tab (or moving with the arrow keys) first sends
// the parent WM_NOTIFY TCN_SELCHANGING, whose non-zero answer keeps the
// current tab, then TCN_SELCHANGE; TCM_SETCURSEL changes the tab silently,
// as on Windows.

#include "platform/Wnd.h"

#define TCM_FIRST 0x1300u
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_DELETEITEM (TCM_FIRST + 8)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCM_GETITEMW (TCM_FIRST + 60)
#define TCM_SETITEMW (TCM_FIRST + 61)
#define TCM_INSERTITEMW (TCM_FIRST + 62)

#define TCIF_TEXT 0x0001u
#define TCIF_IMAGE 0x0002u
#define TCIF_PARAM 0x0008u
#define TCIF_STATE 0x0010u

struct TCITEMW {
    UINT mask;
    DWORD dwState;
    DWORD dwStateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
using TCITEM = TCITEMW;

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

namespace zx {
// A tab control window in a parent widget: the tabs above a framed display
// area. Owned by its handle.
HWND CreateTabControl(QWidget* parent, DWORD style, int id);
// The messages of a tab control; also what a template's SysTabControl32
// control answers.
LRESULT TabControlProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
} // namespace zx
