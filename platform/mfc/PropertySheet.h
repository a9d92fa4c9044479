#pragma once
// CPropertySheet: pages under a row of tabs. The sheet is a dialog-like
// window holding a tab control (GetTabControl) and the pages' windows, which
// are children of the sheet placed over the tab control's display area. A
// page's window is made the first time the page is shown.
//
// When the user picks a tab, the sheet's OnNotify receives TCN_SELCHANGING
// (the page left gets OnKillActive; FALSE keeps it) and then TCN_SELCHANGE
// (the page shown gets OnSetActive). SetActivePage does the same without
// the notifications.

#include "platform/PropertyPage.h"
#include "platform/TabCtrl.h"

#include <vector>

// The tab control's id in a property sheet.
#define AFX_IDC_TAB_CONTROL 0x3020

class CPropertySheet : public CWnd {
public:
    CPropertySheet();
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    // Modeless. dwStyle -1 means a captioned pop-up; WS_CHILD embeds the
    // sheet in the parent's window (the parent is AfxGetMainWnd when none).
    // Not virtual: derived sheets declare their own Create.
    BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = static_cast<DWORD>(-1),
                DWORD dwExStyle = 0);

    void AddPage(CPropertyPage* pPage);
    // Destroys the page's window; the object stays its owner's.
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const;
    // Null for an index out of range.
    CPropertyPage* GetPage(int nPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    int GetPageIndex(CPropertyPage* pPage) const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);
    CTabCtrl* GetTabControl() const;
    void SetTitle(LPCWSTR lpszText, UINT nStyle = 0);

    virtual BOOL OnInitDialog();
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    CWnd* m_pParentWnd = nullptr;
    CString m_strCaption;

    DECLARE_MESSAGE_MAP()

private:
    // Shows page nPage: OnKillActive on the current one first when
    // killCurrent is set (FALSE from it keeps the current page).
    BOOL ShowPage(int nPage, bool killCurrent);

    std::vector<CPropertyPage*> m_pages;
    int m_nCurPage = 0;
    mutable CTabCtrl m_tabCtrl;
    int m_pageX = 0;
    int m_pageY = 0;
};
