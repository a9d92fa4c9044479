#include "platform/PropertySheet.h"

#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"
#include "platform/Resources.h"
#include "platform/rc/zxres.h"

#include <QWidget>

#include <algorithm>

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
END_MESSAGE_MAP()

CPropertySheet::CPropertySheet() = default;

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_pParentWnd(pParentWnd), m_nCurPage(static_cast<int>(iSelectPage)) {
    if (nIDCaption != 0)
        m_strCaption.LoadString(nIDCaption);
}

CPropertySheet::CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_pParentWnd(pParentWnd), m_strCaption(pszCaption),
      m_nCurPage(static_cast<int>(iSelectPage)) {}

CPropertySheet::~CPropertySheet() {
    for (CPropertyPage* page : m_pages)
        page->m_pSheet = nullptr;
    if (m_hWnd)
        DestroyWindow();
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle) {
    if (m_hWnd)
        return FALSE;
    if (dwStyle == static_cast<DWORD>(-1))
        dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK | WS_VISIBLE;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    CWnd* parent = m_pParentWnd && m_pParentWnd->GetSafeHwnd() ? m_pParentWnd : AfxGetMainWnd();
    QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;
    const bool child = (dwStyle & WS_CHILD) && parentWidget;

    QWidget* widget = nullptr;
    if (child) {
        widget = new QWidget(parentWidget);
    } else {
        Qt::WindowFlags flags = Qt::Dialog;
        if ((dwStyle & WS_CAPTION) != WS_CAPTION)
            flags |= Qt::FramelessWindowHint;
        widget = new QWidget(parentWidget ? parentWidget->window() : nullptr, flags);
    }
    widget->hide();
    const QFont font = zx::FontRegistry::font(QStringLiteral("Tahoma"), 8);
    widget->setFont(font);
    widget->setWindowTitle(QString::fromWCharArray(m_strCaption.GetString()));
    if (!CreateForWidget(widget, L"#32770", dwStyle & ~WS_VISIBLE, dwExStyle)) {
        delete widget;
        return FALSE;
    }

    HWND tab =
        zx::CreateTabControl(widget, WS_CHILD | WS_VISIBLE | WS_TABSTOP, AFX_IDC_TAB_CONTROL);
    if (!tab || !m_tabCtrl.Attach(tab)) {
        DestroyWindow();
        return FALSE;
    }
    for (size_t i = 0; i < m_pages.size(); ++i)
        m_tabCtrl.InsertItem(static_cast<int>(i), m_pages[i]->GetCaption().GetString());

    // The display area fits the largest page, with a dialog's margins
    // around the tab control.
    QSize largest(0, 0);
    for (CPropertyPage* page : m_pages)
        largest = largest.expandedTo(page->TemplateSize());
    const QSize units = zx::FontRegistry::baseUnits(font);
    const QRect margin = zx::DialogBuilder::toPixels(units, 7, 7, 0, 0);
    CRect area(0, 0, largest.width(), largest.height());
    m_tabCtrl.AdjustRect(TRUE, &area);
    area.OffsetRect(margin.left() - area.left, margin.top() - area.top);
    m_tabCtrl.MoveWindow(&area, FALSE);
    CRect display = area;
    m_tabCtrl.AdjustRect(FALSE, &display);
    m_pageX = display.left;
    m_pageY = display.top;
    widget->resize(area.right + margin.left(), area.bottom + margin.top());

    if (m_nCurPage < 0 || m_nCurPage >= GetPageCount())
        m_nCurPage = 0;
    if (!m_pages.empty()) {
        const int first = m_nCurPage;
        m_nCurPage = -1;
        ShowPage(first, false);
    }
    OnInitDialog();
    if (!m_hWnd)
        return FALSE;
    if (dwStyle & WS_VISIBLE) {
        if (!child)
            CenterWindow();
        ShowWindow(SW_SHOW);
    }
    return TRUE;
}

BOOL CPropertySheet::OnInitDialog() {
    return TRUE;
}

void CPropertySheet::AddPage(CPropertyPage* pPage) {
    if (!pPage || GetPageIndex(pPage) >= 0)
        return;
    m_pages.push_back(pPage);
    pPage->m_pSheet = this;
    if (m_hWnd)
        m_tabCtrl.InsertItem(GetPageCount() - 1, pPage->GetCaption().GetString());
}

void CPropertySheet::RemovePage(CPropertyPage* pPage) {
    RemovePage(GetPageIndex(pPage));
}

void CPropertySheet::RemovePage(int nPage) {
    if (nPage < 0 || nPage >= GetPageCount())
        return;
    CPropertyPage* page = m_pages[static_cast<size_t>(nPage)];
    const bool wasActive = nPage == m_nCurPage;
    m_pages.erase(m_pages.begin() + nPage);
    page->m_pSheet = nullptr;
    if (page->GetSafeHwnd())
        page->DestroyWindow();
    if (!m_hWnd) {
        if (m_nCurPage > nPage)
            --m_nCurPage;
        return;
    }
    m_tabCtrl.DeleteItem(nPage);
    if (nPage < m_nCurPage) {
        --m_nCurPage;
        m_tabCtrl.SetCurSel(m_nCurPage);
    } else if (wasActive) {
        m_nCurPage = -1;
        if (!m_pages.empty())
            ShowPage(std::min(nPage, GetPageCount() - 1), false);
    }
}

int CPropertySheet::GetPageCount() const {
    return static_cast<int>(m_pages.size());
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const {
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<size_t>(nPage)] : nullptr;
}

CPropertyPage* CPropertySheet::GetActivePage() const {
    return GetPage(GetActiveIndex());
}

int CPropertySheet::GetActiveIndex() const {
    return m_nCurPage >= 0 && m_nCurPage < GetPageCount() ? m_nCurPage : 0;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const {
    const auto it = std::find(m_pages.begin(), m_pages.end(), pPage);
    return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

BOOL CPropertySheet::SetActivePage(int nPage) {
    if (nPage < 0 || nPage >= GetPageCount())
        return FALSE;
    if (!m_hWnd) {
        m_nCurPage = nPage;
        return TRUE;
    }
    return ShowPage(nPage, true);
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage) {
    return SetActivePage(GetPageIndex(pPage));
}

CTabCtrl* CPropertySheet::GetTabControl() const {
    return m_tabCtrl.GetSafeHwnd() ? &m_tabCtrl : nullptr;
}

void CPropertySheet::SetTitle(LPCWSTR lpszText, UINT) {
    m_strCaption = lpszText;
    if (m_hWnd)
        SetWindowTextW(lpszText);
}

BOOL CPropertySheet::ShowPage(int nPage, bool killCurrent) {
    CPropertyPage* next = GetPage(nPage);
    if (!next)
        return FALSE;
    CPropertyPage* current = nPage == m_nCurPage ? nullptr : GetPage(m_nCurPage);
    if (nPage == m_nCurPage && next->GetSafeHwnd()) {
        m_tabCtrl.SetCurSel(nPage);
        return TRUE;
    }
    if (current && current->GetSafeHwnd() && killCurrent && !current->OnKillActive()) {
        m_tabCtrl.SetCurSel(m_nCurPage);
        return FALSE;
    }
    if (!next->GetSafeHwnd() && !next->CreatePage(this, m_pageX, m_pageY)) {
        m_tabCtrl.SetCurSel(m_nCurPage >= 0 ? m_nCurPage : nPage);
        return FALSE;
    }
    if (current && current->GetSafeHwnd())
        current->ShowWindow(SW_HIDE);
    m_nCurPage = nPage;
    m_tabCtrl.SetCurSel(nPage);
    next->SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    next->OnSetActive();
    return TRUE;
}

BOOL CPropertySheet::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && m_tabCtrl.GetSafeHwnd() && header->hwndFrom == m_tabCtrl.GetSafeHwnd()) {
        if (header->code == TCN_SELCHANGING) {
            CPropertyPage* current = GetPage(m_nCurPage);
            const BOOL leave = !current || !current->GetSafeHwnd() || current->OnKillActive();
            if (pResult)
                *pResult = leave ? FALSE : TRUE;
            CWnd::OnNotify(wParam, lParam, nullptr);
            return TRUE;
        }
        if (header->code == TCN_SELCHANGE) {
            ShowPage(m_tabCtrl.GetCurSel(), false);
            LRESULT ignored = 0;
            CWnd::OnNotify(wParam, lParam, &ignored);
            if (pResult)
                *pResult = 0;
            return TRUE;
        }
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg) {
    if (pMsg && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST &&
        !(GetStyle() & WS_CHILD))
        return IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}
