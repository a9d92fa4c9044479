#pragma once
// CPropertyPage: a dialog that is one page of a property sheet, or a modeless
// child dialog of its own (Create). The sheet calls OnKillActive on the page
// it leaves (FALSE keeps it there) and OnSetActive on the page it shows.

#include "platform/Dialog.h"

#define PSP_DEFAULT 0x0000u
#define PSP_DLGINDIRECT 0x0001u
#define PSP_USETITLE 0x0008u

struct PROPSHEETPAGEW {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    LPCWSTR pszTemplate;
    HICON hIcon;
    LPCWSTR pszTitle; // the tab's text with PSP_USETITLE
    void* pfnDlgProc;
    LPARAM lParam;
};
using PROPSHEETPAGE = PROPSHEETPAGEW;

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    CPropertyPage();
    // nIDCaption: the string resource shown on the tab (0: the template's
    // caption), loaded from the current resource module now.
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0,
                           DWORD dwSize = sizeof(PROPSHEETPAGEW));
    explicit CPropertyPage(LPCWSTR lpszTemplateName, UINT nIDCaption = 0,
                           DWORD dwSize = sizeof(PROPSHEETPAGEW));
    ~CPropertyPage() override;
    void Construct(UINT nIDTemplate, UINT nIDCaption = 0);

    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel();
    // A page has no buttons of its own: Enter and Escape end nothing.
    void OnOK() override;
    void OnCancel() override;
    void SetModified(BOOL bChanged = TRUE);

    // The text of the page's tab.
    CString GetCaption() const;

    PROPSHEETPAGEW m_psp{};

protected:
    CString m_strCaption;

private:
    friend class CPropertySheet;
    // The page's window as a child of the sheet at (x, y) of its client area.
    BOOL CreatePage(CPropertySheet* pSheet, int x, int y);
    QSize TemplateSize() const;

    CPropertySheet* m_pSheet = nullptr;
    bool m_bFirstSetActive = true;
    BOOL m_bModified = FALSE;
};
