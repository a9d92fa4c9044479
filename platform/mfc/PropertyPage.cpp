#include "platform/PropertyPage.h"

#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"
#include "platform/PropertySheet.h"
#include "platform/Resources.h"
#include "platform/rc/zxres.h"

#include <QSize>

CPropertyPage::CPropertyPage() {
    m_psp.dwSize = sizeof(PROPSHEETPAGEW);
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption, DWORD dwSize) {
    m_psp.dwSize = dwSize;
    Construct(nIDTemplate, nIDCaption);
}

CPropertyPage::CPropertyPage(LPCWSTR lpszTemplateName, UINT nIDCaption, DWORD dwSize) {
    m_psp.dwSize = dwSize;
    SetTemplateName(lpszTemplateName);
    m_psp.pszTemplate = m_lpszTemplateName;
    if (nIDCaption != 0) {
        m_strCaption.LoadString(nIDCaption);
        m_psp.pszTitle = m_strCaption.GetString();
        m_psp.dwFlags |= PSP_USETITLE;
    }
}

CPropertyPage::~CPropertyPage() {
    if (m_pSheet)
        m_pSheet->RemovePage(this);
}

void CPropertyPage::Construct(UINT nIDTemplate, UINT nIDCaption) {
    m_hTemplateModule = AfxGetResourceHandle();
    m_psp.hInstance = m_hTemplateModule;
    SetTemplateName(MAKEINTRESOURCEW(nIDTemplate));
    m_psp.pszTemplate = m_lpszTemplateName;
    if (nIDCaption != 0) {
        m_strCaption.Empty();
        m_strCaption.LoadString(nIDCaption);
        m_psp.pszTitle = m_strCaption.GetString();
        m_psp.dwFlags |= PSP_USETITLE;
    }
}

BOOL CPropertyPage::OnSetActive() {
    if (m_bFirstSetActive)
        m_bFirstSetActive = false;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() {
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply() {
    m_bModified = FALSE;
    return TRUE;
}

void CPropertyPage::OnReset() {}

BOOL CPropertyPage::OnQueryCancel() {
    return TRUE;
}

void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(BOOL bChanged) {
    m_bModified = bChanged;
}

CString CPropertyPage::GetCaption() const {
    if ((m_psp.dwFlags & PSP_USETITLE) && m_psp.pszTitle)
        return CString(m_psp.pszTitle);
    if (m_hWnd) {
        CString text;
        GetWindowTextW(text);
        return text;
    }
    const auto dlg = LoadDialogTemplate();
    return dlg ? CString(dlg->title.c_str()) : CString();
}

QSize CPropertyPage::TemplateSize() const {
    const auto dlg = LoadDialogTemplate();
    if (!dlg)
        return QSize();
    const QSize units = zx::FontRegistry::baseUnits(zx::DialogBuilder::dialogFont(*dlg));
    return zx::DialogBuilder::toPixels(units, 0, 0, dlg->cx, dlg->cy).size();
}

BOOL CPropertyPage::CreatePage(CPropertySheet* pSheet, int x, int y) {
    if (m_hWnd)
        return TRUE;
    auto dlg = LoadDialogTemplate();
    if (!dlg)
        return FALSE;
    // Inside a sheet a page is a captionless child, whatever its template says.
    dlg->style &= ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME |
                    WS_VISIBLE | WS_DISABLED);
    dlg->style |= WS_CHILD | DS_CONTROL;
    dlg->exStyle |= WS_EX_CONTROLPARENT;
    dlg->x = 0;
    dlg->y = 0;
    if (!CreateFromTemplate(*dlg, pSheet, false))
        return FALSE;
    SetWindowPos(&wndTop, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}
