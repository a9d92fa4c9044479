#include "platform/DataExchange.h"
#include "platform/PropertySheet.h"
#include "support/RenderPng.h"
#include "window/data/window_ids.h"

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QTabBar>
#include <gtest/gtest.h>

#include <vector>

namespace {

class CTestPage : public CPropertyPage {
public:
    CTestPage(UINT id, UINT caption = 0) : CPropertyPage(id, caption) {}
    int m_nSetActive = 0;
    int m_nKillActive = 0;
    bool m_bMayLeave = true;
    int m_bOption = 0;
    bool m_bExchange = false;

    BOOL OnSetActive() override {
        ++m_nSetActive;
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override {
        ++m_nKillActive;
        return m_bMayLeave && CPropertyPage::OnKillActive();
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        if (m_bExchange)
            DDX_Check(pDX, IDC_PAGE_CHECK, m_bOption);
    }
};

class CTestSheet : public CPropertySheet {
public:
    std::vector<NMHDR> m_notes;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        m_notes.push_back(*reinterpret_cast<NMHDR*>(lParam));
        return CPropertySheet::OnNotify(wParam, lParam, pResult);
    }
};

void ClickTab(CTabCtrl* tabs, int index) {
    auto* bar = tabs->GetWidget()->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    const QPointF at = bar->tabRect(index).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
}

} // namespace

TEST(PropertySheet, TabsSwitchPagesWithActivationAndNotifications) {
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, L"Host", L"Host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300),
                              nullptr, 0));
    CTestPage alpha(IDD_WIN_PAGE_A, IDS_WIN_PAGE_A);
    CTestPage beta(IDD_WIN_PAGE_B);
    CTestSheet sheet;
    sheet.AddPage(&alpha);
    sheet.AddPage(&beta);
    EXPECT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetTabControl(), nullptr); // no window yet
    ASSERT_TRUE(sheet.Create(&host, WS_CHILD | WS_VISIBLE, 0));

    CTabCtrl* tabs = sheet.GetTabControl();
    ASSERT_NE(tabs, nullptr);
    wchar_t cls[32];
    GetClassNameW(tabs->GetSafeHwnd(), cls, 32);
    EXPECT_STREQ(cls, L"SysTabControl32");
    ASSERT_EQ(tabs->GetItemCount(), 2);
    wchar_t text[32];
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 32;
    ASSERT_TRUE(tabs->GetItem(0, &item));
    EXPECT_STREQ(text, L"First tab"); // the caption string, not the template's
    ASSERT_TRUE(tabs->GetItem(1, &item));
    EXPECT_STREQ(text, L"Beta");

    // Only the first page has a window; it is active.
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_EQ(sheet.GetActivePage(), &alpha);
    ASSERT_NE(alpha.GetSafeHwnd(), nullptr);
    EXPECT_EQ(beta.GetSafeHwnd(), nullptr);
    EXPECT_EQ(alpha.GetParent(), &sheet);
    EXPECT_EQ(alpha.m_nSetActive, 1);
    EXPECT_TRUE(alpha.IsWindowVisible());
    EXPECT_EQ(alpha.GetStyle() & (WS_CHILD | WS_CAPTION), static_cast<DWORD>(WS_CHILD));
    zxtest::RenderPng(host.GetSafeHwnd(), "window_sheet_alpha");

    ClickTab(tabs, 1);
    EXPECT_EQ(alpha.m_nKillActive, 1);
    EXPECT_EQ(beta.m_nSetActive, 1);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(sheet.GetActivePage(), &beta);
    EXPECT_FALSE(alpha.IsWindowVisible());
    EXPECT_TRUE(beta.IsWindowVisible());
    ASSERT_EQ(sheet.m_notes.size(), 2u);
    EXPECT_EQ(sheet.m_notes[0].code, static_cast<UINT>(TCN_SELCHANGING));
    EXPECT_EQ(sheet.m_notes[1].code, static_cast<UINT>(-551));
    EXPECT_EQ(sheet.m_notes[1].hwndFrom, tabs->GetSafeHwnd());
    EXPECT_EQ(sheet.m_notes[1].idFrom, static_cast<UINT_PTR>(AFX_IDC_TAB_CONTROL));
    // Both pages sit at the same place.
    CRect a, b;
    alpha.GetWindowRect(&a);
    beta.GetWindowRect(&b);
    EXPECT_EQ(a.TopLeft(), b.TopLeft());
    zxtest::RenderPng(host.GetSafeHwnd(), "window_sheet_beta");

    // A page that refuses to be left keeps its tab.
    beta.m_bMayLeave = false;
    ClickTab(tabs, 0);
    EXPECT_EQ(beta.m_nKillActive, 1);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(alpha.m_nSetActive, 1);
    EXPECT_EQ(sheet.m_notes.size(), 3u); // SELCHANGING only
    EXPECT_FALSE(sheet.SetActivePage(0));
    EXPECT_EQ(sheet.GetActiveIndex(), 1);

    // SetActivePage changes pages without notifications.
    beta.m_bMayLeave = true;
    ASSERT_TRUE(sheet.SetActivePage(&alpha));
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(alpha.m_nSetActive, 2);
    EXPECT_EQ(sheet.m_notes.size(), 3u);

    // Removing a page destroys its window and its tab.
    HWND hBeta = beta.GetSafeHwnd();
    sheet.RemovePage(&beta);
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_EQ(tabs->GetItemCount(), 1);
    EXPECT_FALSE(IsWindow(hBeta));
    EXPECT_EQ(sheet.GetPage(1), nullptr);
    EXPECT_EQ(sheet.GetActivePage(), &alpha);
}

TEST(PropertySheet, PageDataExchangeOnActivation) {
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, L"Host", L"Host", WS_POPUP, CRect(0, 0, 400, 300), nullptr, 0));
    CTestPage alpha(IDD_WIN_PAGE_A);
    CTestPage beta(IDD_WIN_PAGE_B);
    alpha.m_bExchange = true;
    alpha.m_bOption = 1;
    CPropertySheet sheet;
    sheet.AddPage(&alpha);
    sheet.AddPage(&beta);
    ASSERT_TRUE(sheet.Create(&host, WS_CHILD | WS_VISIBLE, 0));
    // The first activation follows the dialog's own initialisation.
    EXPECT_EQ(alpha.IsDlgButtonChecked(IDC_PAGE_CHECK), 1u);
    auto* box = qobject_cast<QCheckBox*>(
        zx::WidgetFromHandle(::GetDlgItem(alpha.GetSafeHwnd(), IDC_PAGE_CHECK)));
    ASSERT_NE(box, nullptr);
    box->setChecked(false);
    ASSERT_TRUE(sheet.SetActivePage(1)); // leaving saves
    EXPECT_EQ(alpha.m_bOption, 0);
    alpha.m_bOption = 1;
    ASSERT_TRUE(sheet.SetActivePage(0)); // returning shows the members again
    EXPECT_TRUE(box->isChecked());
}

TEST(PropertySheet, PageAsModelessChildDialog) {
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, L"Host", L"Host", WS_POPUP, CRect(0, 0, 400, 300), nullptr, 0));
    zx::SetMainWnd(&host);
    CTestPage page(IDD_WIN_PAGE_A);
    ASSERT_TRUE(page.Create(IDD_WIN_PAGE_A));
    EXPECT_EQ(page.GetParent(), &host);
    EXPECT_TRUE(page.GetStyle() & WS_CHILD);
    // Enter in a page ends nothing.
    page.SendMessageW(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(page.GetSafeHwnd()));
    zx::SetMainWnd(nullptr);
}
