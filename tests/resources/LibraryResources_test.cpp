// The library's own resources as its windows use them: every control id the
// library names is in the dialog that binds it, with the right class; the
// strings, the print window's menu and the features document template.

#include "LibraryModule.h"

#include "platform/MenuTemplate.h"
#include "platform/RtfReader.h"
#include "platform/rc/zxres.h"
#include "zarvexapp/resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

struct Bound {
    WORD dialog;
    DWORD id;
    const wchar_t* className; // upper-cased, as the resource compiler writes it
};

// Every control id of resource.h, in the dialog whose window binds it.
const Bound kBound[] = {
    {IDD_MAIN_APP_PAGE, IDC_SUB_PAGE_SELECT, L"COMBOBOX"},
    {IDD_MAIN_APP_PAGE, IDC_SUB_PAGE_FRAME, L"STATIC"},
    {IDD_MAIN_APP_PAGE, IDC_MAIN_PAGE_NOTE, L"STATIC"},
    {IDD_SUB_PAGE_TEMPLATE, IDC_SUB_PAGE_NOTE, L"STATIC"},
    {IDD_SYSTEM_PLATFORM_PAGE, IDC_TARGET_PLATFORM, L"COMBOBOX"},
    {IDD_SYSTEM_PLATFORM_PAGE, IDC_TARGET_PLATFORM_DC, L"COMBOBOX"},
    {IDD_SYSTEM_PLATFORM_PAGE, IDC_HW_VERSION, L"STATIC"},
    {IDD_SYSTEM_PLATFORM_PAGE, IDC_FEATURES, L"RICHEDIT20A"},
    {IDD_SYSTEM_APPLICATION_PAGE, IDC_CHANGE_APPLICATION, L"BUTTON"},
    {IDD_SYSTEM_APPLICATION_PAGE, IDC_APPLICATION_TITLE, L"STATIC"},
    {IDD_SYSTEM_APPLICATION_PAGE, IDC_APPLICATION_DESCRIPTION, L"STATIC"},
    {IDD_SYSTEM_APPLICATION_PAGE, IDC_WEBPAGE_LABEL, L"STATIC"},
    {IDD_SYSTEM_APPLICATION_PAGE, IDC_WEBPAGE_LINK, L"STATIC"},
    {IDD_SYSTEM_APPLICATION_PAGE, IDC_TECHNICAL_BRIEF_LABEL, L"STATIC"},
    {IDD_SYSTEM_APPLICATION_PAGE, IDC_PDF_ICON, L"STATIC"},
    {IDD_APPLICATION_SELECT, IDC_APPLICATION_COMBO, L"COMBOBOX"},
    {IDD_APPLICATION_SELECT, IDC_DESCRIPTION_EDIT, L"EDIT"},
    {IDD_APPLICATION_SELECT, IDC_PLATFORM_FILTER_GROUP, L"BUTTON"},
    {IDD_APPLICATION_SELECT, IDC_PLATFORM_FILTER_ENABLE, L"BUTTON"},
    {IDD_APPLICATION_SELECT, IDC_PLATFORM_FILTER_TEXT, L"STATIC"},
    {IDD_APPLICATION_SELECT, IDC_PLATFORM_COMBO, L"COMBOBOX"},
    {IDD_APPLICATION_SELECT, IDC_DAUGHTER_CARD_TEXT, L"STATIC"},
    {IDD_APPLICATION_SELECT, IDC_PLATFORM_DC_COMBO, L"COMBOBOX"},
    {IDD_APPLICATION_SELECT, IDOK, L"BUTTON"},
    {IDD_APPLICATION_SELECT, IDCANCEL, L"BUTTON"},
    {IDD_SPLASH_APP_FIND, IDC_SPLASH_BITMAP, L"STATIC"},
    {IDD_SPLASH_APP_FIND, IDC_PRODUCT_NAME, L"STATIC"},
    {IDD_SPLASH_APP_FIND, IDC_RELEASE_TEXT, L"STATIC"},
    {IDD_SPLASH_APP_FIND, IDC_SEARCH_TEXT, L"STATIC"},
    {IDD_SPLASH_APP_FIND, IDC_PLUGIN_TEXT, L"STATIC"},
    {IDD_PRINT_WINDOW, IDC_PRINT_RICHEDIT, L"RICHEDIT20A"},
    {IDD_SMALL_APP_LOGO, IDC_SMALL_LOGO_BITMAP, L"STATIC"},
    {IDD_PROGRESS_CONTROL, IDC_PROGRESS, L"MSCTLS_PROGRESS32"},
};

std::wstring loadString(UINT id) {
    wchar_t buffer[64] = {};
    const int n = LoadStringW(AfxGetResourceHandle(), id, buffer, 64);
    return std::wstring(buffer, static_cast<size_t>(n > 0 ? n : 0));
}

} // namespace

// Read from the library's own module, the default resource module once the
// library is loaded.
TEST(LibraryResources, EveryControlTheLibraryNamesIsInItsDialog) {
    ASSERT_NE(zxtest::libraryModule(), nullptr);
    EXPECT_EQ(AfxGetResourceHandle(), zxtest::libraryModule());
    for (const Bound& want : kBound) {
        SCOPED_TRACE("dialog " + std::to_string(want.dialog) + ", control " +
                     std::to_string(want.id));
        const auto dlg = zxtest::libraryDialog(want.dialog);
        ASSERT_TRUE(dlg.has_value());
        const auto item = std::find_if(dlg->items.begin(), dlg->items.end(),
                                       [&](const zx::DialogItem& i) { return i.id == want.id; });
        ASSERT_NE(item, dlg->items.end());
        EXPECT_EQ(item->className(), want.className);
    }
}

TEST(LibraryResources, StringsAndThePrintWindowMenu) {
    EXPECT_EQ(loadString(IDS_SYSTEM), L"System");
    EXPECT_EQ(loadString(IDS_ANYTHING), L"Anything");
    EXPECT_EQ(loadString(IDS_TARGET_PLATFORM), L"Target Platform");
    EXPECT_EQ(loadString(IDS_APPLICATION), L"Application");

    const auto menu =
        zx::ParseMenuTemplate(zxtest::libraryResource(IDR_PRINT_WINDOW_POPUP, RT_MENU));
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(menu->items.size(), 1u);
    const auto& items = menu->items[0].children;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, L"Clear");
    EXPECT_EQ(items[0].id, UINT{ID_PRINTWINDOW_CLEAR});
    EXPECT_TRUE(items[1].separator);
    EXPECT_EQ(items[2].text, L"Copy");
    EXPECT_EQ(items[2].id, UINT{ID_PRINTWINDOW_COPY});
}

// The platform page fills the template by replacing each placeholder, a
// paragraph of its own, and removes the unused ones with their paragraph:
// a title, the common items as bullets, the heading, the target items.
TEST(LibraryResources, FeaturesTemplateHasEachPlaceholderAsAParagraph) {
    const auto bytes = zxtest::libraryResource(IDR_FEATURES_TEMPLATE, L"DOCFILE");
    const auto doc =
        zx::ParseRtf(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(doc.has_value());
    ASSERT_GE(doc->paragraphs.size(), 18u);
    EXPECT_EQ(doc->paragraphs[0].text(), L"Platform features");
    ASSERT_FALSE(doc->paragraphs[0].runs.empty());
    EXPECT_TRUE(doc->paragraphs[0].runs[0].format.bold);
    EXPECT_EQ(doc->paragraphs[0].runs[0].format.face, L"Tahoma");
    EXPECT_EQ(doc->paragraphs[9].text(), L"<target>");
    for (int n = 1; n <= 8; ++n) {
        const zx::RtfParagraph& common = doc->paragraphs[static_cast<size_t>(n)];
        const zx::RtfParagraph& target = doc->paragraphs[static_cast<size_t>(9 + n)];
        EXPECT_EQ(common.text(), L"<common" + std::to_wstring(n) + L">");
        EXPECT_EQ(target.text(), L"<target" + std::to_wstring(n) + L">");
        EXPECT_TRUE(common.format.bullet && target.format.bullet) << n;
    }
    for (size_t i = 18; i < doc->paragraphs.size(); ++i)
        EXPECT_EQ(doc->paragraphs[i].text(), L"") << i;
}
