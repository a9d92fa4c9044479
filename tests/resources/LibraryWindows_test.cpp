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
#include "platform/RichEditCtrl.h"
#include "platform/rc/zxres.h"
#include "support/RenderPng.h"
#include "zarvexapp/resources/resource.h"

#include <QComboBox>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

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

namespace {

struct StreamSource {
    std::span<const BYTE> bytes;
    size_t pos = 0;
};

DWORD ReadSource(DWORD_PTR cookie, BYTE* buffer, LONG size, LONG* read) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t n = std::min(static_cast<size_t>(size), source->bytes.size() - source->pos);
    std::memcpy(buffer, source->bytes.data() + source->pos, n);
    source->pos += n;
    *read = static_cast<LONG>(n);
    return 0;
}

std::wstring LineText(const CRichEditCtrl& edit, int line) {
    wchar_t buffer[201] = {};
    const int n = edit.GetLine(line, buffer, 200);
    std::wstring text(buffer, static_cast<size_t>(std::max(n, 0)));
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) {
        text.pop_back();
    }
    return text;
}

int LineOf(const CRichEditCtrl& edit, const std::wstring& text) {
    for (int line = 0; line < edit.GetLineCount(); ++line) {
        if (LineText(edit, line).find(text) != std::wstring::npos) {
            return line;
        }
    }
    return -1;
}

} // namespace

// The features template in the rich-edit control the platform page shows it
// in: each placeholder is a line of its own, so the page can fill one by
// replacing it and remove an unused one with its line.
TEST(LibraryFeaturesTemplate, StreamsInWithOnePlaceholderPerLine) {
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, L"ZxWindow", L"Host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 460, 260),
                              nullptr, 0));
    CRichEditCtrl edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 440, 244), &host,
                            IDC_FEATURES));
    StreamSource source{zxtest::libraryResource(IDR_FEATURES_TEMPLATE, L"DOCFILE")};
    ASSERT_FALSE(source.bytes.empty());
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadSource};
    EXPECT_GT(edit.StreamIn(0x12, stream), 0);
    EXPECT_EQ(stream.dwError, 0u);

    EXPECT_EQ(LineText(edit, 0), L"Platform features");
    std::vector<std::wstring> placeholders;
    for (int n = 1; n <= 8; ++n) {
        placeholders.push_back(L"<common" + std::to_wstring(n) + L">");
    }
    placeholders.push_back(L"<target>");
    for (int n = 1; n <= 8; ++n) {
        placeholders.push_back(L"<target" + std::to_wstring(n) + L">");
    }
    int previous = 0;
    for (const std::wstring& placeholder : placeholders) {
        const int line = LineOf(edit, placeholder);
        EXPECT_EQ(line, previous + 1) << std::string(placeholder.begin(), placeholder.end());
        EXPECT_EQ(LineText(edit, line), placeholder);
        previous = line;
    }

    // Fill the first item, remove the second with its line end.
    const int first = LineOf(edit, L"<common1>");
    edit.SetSel(edit.LineIndex(first), edit.LineIndex(first) + 9);
    edit.ReplaceSel(L"ARM Cortex-M7 host processor at 480 MHz");
    const int second = LineOf(edit, L"<common2>");
    const int lines = edit.GetLineCount();
    edit.SetSel(edit.LineIndex(second), edit.LineIndex(second) + 9 + 1);
    edit.ReplaceSel(L"");
    EXPECT_EQ(edit.GetLineCount(), lines - 1);
    EXPECT_EQ(LineText(edit, first), L"ARM Cortex-M7 host processor at 480 MHz");
    EXPECT_EQ(LineText(edit, second), L"<common3>");
    EXPECT_FALSE(zxtest::RenderPng(edit.GetSafeHwnd(), "window_features_template").empty());

    // The fullest document, eight items of each kind, for a look at how much
    // the page's box shows.
    StreamSource again{source.bytes};
    EDITSTREAM restream{reinterpret_cast<DWORD_PTR>(&again), 0, ReadSource};
    EXPECT_GT(edit.StreamIn(0x12, restream), 0);
    for (const std::wstring& placeholder : placeholders) {
        const int line = LineOf(edit, placeholder);
        ASSERT_GE(line, 0);
        const long start =
            edit.LineIndex(line) + static_cast<long>(LineText(edit, line).find(placeholder));
        edit.SetSel(start, start + static_cast<long>(placeholder.size()));
        edit.ReplaceSel(
            placeholder == L"<target>"
                ? L"Target platform specifics"
                : (L"Feature item " + placeholder.substr(1, placeholder.size() - 2)).c_str());
    }
    EXPECT_EQ(LineOf(edit, L"<"), -1);
    EXPECT_FALSE(zxtest::RenderPng(edit.GetSafeHwnd(), "window_features_full").empty());
    host.DestroyWindow();
}
