// The library's dialogs made into windows by the window layer, from the
// library's own module as the library's windows make them: every control of
// the template is there with its id, style, text and rectangle, the layout
// passes a reviewer's checks, and a picture of each lands in
// <build>/renders/window_dialog_<id>.png.

#include "LayoutCheck.h"
#include "LibraryModule.h"

#include "platform/Dialog.h"
#include "platform/FontRegistry.h"
#include "platform/Rect.h"
#include "platform/rc/zxres.h"
#include "support/RenderPng.h"
#include "zarvexapp/resources/resource.h"

#include <QComboBox>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class LibraryWindow : public ::testing::TestWithParam<WORD> {
protected:
    void SetUp() override {
        zx::FontRegistry::ensureRegistered();
        ASSERT_TRUE(m_host.CreateEx(0, L"ZxWindow", L"Host", WS_POPUP | WS_VISIBLE,
                                    CRect(0, 0, 800, 600), nullptr, 0));
    }
    void TearDown() override { m_host.DestroyWindow(); }

    CWnd m_host;
};

} // namespace

TEST_P(LibraryWindow, IsBuiltFromItsTemplateAndLaysOutCleanly) {
    const WORD id = GetParam();
    const auto dlg = zxtest::libraryDialog(id);
    ASSERT_TRUE(dlg.has_value());
    ASSERT_EQ(AfxGetResourceHandle(), zxtest::libraryModule());

    CDialog window;
    ASSERT_TRUE(window.Create(id, &m_host));
    QWidget* widget = window.GetWidget();
    ASSERT_NE(widget, nullptr);

    CRect client;
    window.GetClientRect(&client);
    CRect size(0, 0, dlg->cx, dlg->cy);
    window.MapDialogRect(&size);
    EXPECT_LE(std::abs(client.Width() - size.Width()), 1);
    EXPECT_LE(std::abs(client.Height() - size.Height()), 1);

    for (const zx::DialogItem& item : dlg->items) {
        SCOPED_TRACE("control " + std::to_string(static_cast<int>(item.id)));
        CWnd* control = window.GetDlgItem(static_cast<int>(item.id));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetStyle() & ~WS_VISIBLE, item.style & ~WS_VISIBLE);
        EXPECT_EQ(control->IsWindowVisible() != FALSE && window.IsWindowVisible() != FALSE,
                  (item.style & WS_VISIBLE) != 0 && (dlg->style & WS_VISIBLE) != 0);
        if (item.title.isString()) {
            CString text;
            control->GetWindowTextW(text);
            // Statics and buttons keep the '&' of a mnemonic in their text.
            EXPECT_EQ(text.str(), item.title.text);
        }
        CRect want(item.x, item.y, item.x + item.cx, item.y + item.cy);
        window.MapDialogRect(&want);
        CRect got;
        control->GetWindowRect(&got);
        window.ScreenToClient(&got);
        EXPECT_LE(std::abs(got.left - want.left), 1);
        EXPECT_LE(std::abs(got.top - want.top), 1);
        EXPECT_LE(std::abs(got.Width() - want.Width()), 1);
        // A combo box's template height is that of its opened list.
        if (!qobject_cast<QComboBox*>(control->GetWidget())) {
            EXPECT_LE(std::abs(got.Height() - want.Height()), 1);
        }
    }

    // The small logo's picture control is one unit larger than its dialog.
    EXPECT_EQ(zxtest::layoutProblems(widget, id == IDD_SMALL_APP_LOGO ? 2 : 0), "");
    const std::string png =
        zxtest::RenderPng(window.GetSafeHwnd(), "window_dialog_" + std::to_string(id));
    EXPECT_FALSE(png.empty());
    window.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(LibraryDialogs, LibraryWindow,
                         ::testing::Values(IDD_MAIN_APP_PAGE, IDD_SPLASH_APP_FIND, IDD_PRINT_WINDOW,
                                           IDD_SMALL_APP_LOGO, IDD_SYSTEM_PLATFORM_PAGE,
                                           IDD_SUB_PAGE_TEMPLATE, IDD_SYSTEM_APPLICATION_PAGE,
                                           IDD_PROGRESS_CONTROL, IDD_APPLICATION_SELECT),
                         [](const ::testing::TestParamInfo<WORD>& info) {
                             return "dialog_" + std::to_string(info.param);
                         });
