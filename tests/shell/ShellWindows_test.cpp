// The shell windows as the host makes them: placed on the rectangles the
// configuration recorded from the host's dialog, printing coloured lines with
// their pop-up menu, following the worker record. Pictures: renders/shell_*.png.

#include "platform/FontRegistry.h"
#include "platform/GdiObjects.h"
#include "platform/Menu.h"
#include "platform/Modules.h"
#include "support/BinFolder.h"
#include "support/Fixtures.h"
#include "support/RenderPng.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/resources/resource.h"
#include "zarvexapp/shell/PrintWindowBase.h"
#include "zarvexapp/shell/ProgressControl.h"
#include "zarvexapp/shell/SmallAppLogoBase.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <tuple>

namespace {

class ShellWindows : public ::testing::Test {
protected:
    void SetUp() override {
        zx::FontRegistry::ensureRegistered();
        ASSERT_TRUE(host.Create(IDD_APPLICATION_SELECT));
        host.SetWindowPos(nullptr, 130, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        host.ShowWindow(SW_SHOW);
        host.GetWidget()->activateWindow(); // clicks move the focus in the active window only
        QApplication::processEvents();
        zx::SetMainWnd(&host);
        g_pZarvexConfig = &config;
        config.SetPrintWindowRect(IDC_DESCRIPTION_EDIT);
        config.SetProgressCtrlRect(IDC_PLATFORM_COMBO);
        config.SetSmallAppLogoRect(IDC_PLATFORM_DC_COMBO);
        print.m_uTemplateId = IDD_PRINT_WINDOW;
        print.m_uRichEditId = IDC_PRINT_RICHEDIT;
    }
    void TearDown() override {
        zx::SetPopupMenuHook({});
        g_pZarvexConfig = nullptr;
        zx::SetMainWnd(nullptr);
    }
    void ExpectPlaced(CWnd& window, const CRect* place) {
        CRect at;
        window.GetWindowRect(&at);
        host.ScreenToClient(&at);
        EXPECT_EQ(at.TopLeft(), place->TopLeft());
        EXPECT_TRUE(window.IsWindowVisible());
    }
    std::wstring Log() {
        CString text;
        print.m_RichEdit.GetWindowTextW(text);
        return text.str();
    }
    COLORREF LineColour(int line) {
        print.m_RichEdit.SetSel(print.m_RichEdit.LineIndex(line),
                                print.m_RichEdit.LineIndex(line) + 1);
        CHARFORMATW format{};
        format.cbSize = sizeof(format);
        print.m_RichEdit.GetSelectionCharFormat(format);
        return format.crTextColor;
    }

    struct Config : CZarvexConfig { // whose application module a test sets
        using CZarvexConfig::CZarvexConfig;
        using CZarvexConfig::m_hApplicationModule;
    };
    CDialog host;
    Config config{&host};
    CPrintWindowBase print;
};

} // namespace

TEST_F(ShellWindows, ConfigurationKeepsPlaceholderSnapshotsAndBrushes) {
    CRect* rect = config.GetPrintWindowRect();
    CRect want(15, 32, 15 + 236, 32 + 66); // the placeholder, in dialog units
    host.MapDialogRect(&want);
    EXPECT_EQ(*rect, want); // in the dialog's client coordinates
    host.GetDlgItem(IDC_DESCRIPTION_EDIT)->MoveWindow(5, 6, 70, 40);
    EXPECT_EQ(*rect, want);
    config.SetPrintWindowRect(IDC_DESCRIPTION_EDIT);
    EXPECT_EQ(config.GetPrintWindowRect(), rect);
    EXPECT_EQ(*rect, CRect(5, 6, 75, 46));
    config.SetMainAppAreaRect(4242); // a missing control: logged, not recorded
    EXPECT_EQ(config.GetMainAppAreaRect(), nullptr);
    EXPECT_EQ(zx::BrushColor(config.GetMainBackgroundBrush()), RGB(255, 255, 0));
    EXPECT_EQ(zx::BrushColor(config.GetTabPageBackgroundBrush()), RGB(255, 255, 0));
    config.SetLocalUrl(nullptr); // no text: an empty one
    EXPECT_TRUE(config.GetLocalUrl().IsEmpty());
}

TEST_F(ShellWindows, PrintWindowLinesAndPopUp) {
    ASSERT_EQ(print.Create(), 1);
    ExpectPlaced(print, config.GetPrintWindowRect());
    const std::wstring banner = Log(); // no application: the banner line alone
    EXPECT_EQ(banner.find(L"\r\n"), banner.size() - 2);
    print.Print(L"100% done, %s kept", 0x0000FF);
    print.Print(L"<%s>", L"50% of %d", 0x008000);
    print.Print(L"A %s and %d", L"text", 0x800000);
    print.Print(L"no", 0);
    print.Print(L"join", nullptr, 0);
    EXPECT_FALSE(zxtest::RenderPng(print.GetWidget(), "shell_print_window").empty());
    EXPECT_EQ(Log(),
              banner + L"100% done, %s kept\r\n<50% of %d>\r\nA text and \r\nno\r\njoin\r\n");
    EXPECT_EQ(std::tuple(LineColour(0), LineColour(1), LineColour(2), LineColour(3), LineColour(4)),
              std::tuple(0x008C00u, 0x0000FFu, 0x008000u, 0x800000u, 0u));

    int shown = 0;
    UINT answer = 0;
    zx::SetPopupMenuHook([&](HMENU menu, POINT, UINT) {
        EXPECT_EQ(GetMenuItemID(menu, 2), static_cast<UINT>(ID_PRINTWINDOW_COPY));
        return ++shown, answer;
    });
    QWidget* log = qobject_cast<QTextEdit*>(print.m_RichEdit.GetWidget())->viewport();
    const auto rightClick = [log](bool press) { // spontaneous: a press moves the focus
        if (press)
            QTest::mousePress(log, Qt::RightButton, {}, QPoint(10, 10));
        QTest::mouseRelease(log, Qt::RightButton, {}, QPoint(10, 10));
    };
    QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(10, 10),
                              log->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(log, &context);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr); // Qt's own menu never opens
    host.GetDlgItem(IDOK)->SetFocus();
    rightClick(false);
    EXPECT_EQ(shown, 0);
    answer = ID_PRINTWINDOW_COPY; // nothing selected: the whole log
    print.m_RichEdit.SetSel(0, 0);
    rightClick(true);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QString::fromStdWString(Log()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    print.m_RichEdit.SetSel(print.m_RichEdit.LineIndex(2), print.m_RichEdit.LineIndex(2) + 4);
    rightClick(true);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("<50%"));
    answer = ID_PRINTWINDOW_CLEAR;
    rightClick(true);
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(Log(), banner);
}

TEST_F(ShellWindows, ProgressBarFollowsTheWorkerRecord) {
    CAPI* api = nullptr;
    CProgressControl progress(api, nullptr);
    ASSERT_EQ(progress.Create(), 1);
    ExpectPlaced(progress, config.GetProgressCtrlRect());
    CProgressCtrl& bar = progress.m_ProgressCtrl;
    const auto tick = [&] { // what the bar shows after a tick: enabled, maximum, position
        progress.OnTimer(1);
        int low = 0, high = 0;
        bar.GetRange(low, high);
        return std::tuple(bar.IsWindowEnabled() != FALSE, high, bar.GetPos());
    };
    bar.SetPos(40);
    EXPECT_EQ(tick(), std::tuple(false, 100, 0)); // no API
    HMODULE board = LoadLibraryW(zxtest::BinPath(L"simboard.ctc"));
    ASSERT_NE(api = g_pAPI, nullptr);
    WORKER_THREAD_INFO info{};
    api->SetThreadWorkerInfo(&info);
    bar.EnableWindow(TRUE);
    api->SetProgressRange(0x12345);
    api->SetProgressValue(0x1000);
    EXPECT_EQ(tick(), std::tuple(true, 0x2345, 0x1000));
    api->SetProgressValue(0x1800);
    EXPECT_EQ(tick(), std::tuple(true, 0x2345, 0x1800)); // the range stays
    api->SetProgressRange(0xFFFFFFFF);
    EXPECT_EQ(tick(), std::tuple(true, 0x2345, 0x1800));
    EXPECT_EQ(info.lProgressRangeChanged, 0);
    EXPECT_FALSE(zxtest::RenderPng(progress.GetWidget(), "shell_progress").empty());
    api->SetProgressRange(0);
    api->SetProgressValue(0x1200);
    EXPECT_EQ(tick(), std::tuple(false, 0x2345, 0x1200)); // disabled, still showing it
    EXPECT_FALSE(zxtest::RenderPng(progress.GetWidget(), "shell_progress_disabled").empty());
    bar.EnableWindow(TRUE);
    progress.ForceClear();
    EXPECT_EQ(std::tuple(bar.IsWindowEnabled() != FALSE, bar.GetPos()), std::tuple(false, 0));
    api = nullptr;
    FreeLibrary(board);
}

TEST_F(ShellWindows, SmallLogoFrameAndTemplatesThatCannotBeMade) {
    CSmallAppLogoBase logo;
    logo.m_uTemplateId = 0x10000 | IDD_SMALL_APP_LOGO;
    ASSERT_EQ(logo.Create(), 1);
    ExpectPlaced(logo, config.GetSmallAppLogoRect());
    unsigned char picture[4] = {};
    logo.m_pBitMap = picture;
    EXPECT_EQ(logo.GetBitMap(nullptr), picture);
    print.m_uRichEditId = IDC_PROGRESS; // a template without that control
    EXPECT_EQ(print.Create(), 0);
    EXPECT_EQ(print.GetSafeHwnd(), nullptr);
    print.Print(L"nowhere", 0);
}
