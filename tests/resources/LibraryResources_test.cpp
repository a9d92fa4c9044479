// The library's own resources as the windows of the library read them: each
// dialog template with the controls its window binds, the strings, the print
// window's menu, the splash bitmap, the technical brief icon and the features
// document template.

#include "LibraryModule.h"

#include "platform/MenuTemplate.h"
#include "platform/RtfReader.h"
#include "platform/rc/zxres.h"
#include "zarvexapp/resources/resource.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Control {
    DWORD id;
    const wchar_t* className;
    const wchar_t* text; // null: not checked (an image ordinal, or set at run time)
    SHORT x, y, cx, cy;
    DWORD required;  // style bits that must be set
    DWORD forbidden; // style bits that must be clear
};

struct Dialog {
    WORD id;
    SHORT cx, cy;
    DWORD required;
    DWORD forbidden;
    std::vector<Control> controls;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kDropList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kStaticTypes = SS_TYPEMASK;

// What the library's windows rely on, control by control.
std::vector<Dialog> expectedDialogs() {
    return {
        {IDD_MAIN_APP_PAGE,
         311,
         232,
         WS_CHILD | WS_VISIBLE,
         WS_POPUP,
         {
             {1018, L"COMBOBOX", nullptr, 4, 4, 126, 30, kChild | kDropList, WS_DISABLED},
             {1024, L"STATIC", nullptr, 181, 2, 26, 12, kChild | SS_BLACKFRAME,
              kStaticTypes & ~SS_BLACKFRAME},
             {1019, L"STATIC",
              L"This dialog is used as the parent dialog for each tab-page.  The drop-down box "
              L"and border above must remain as they will be dynamically positioned at run-time",
              44, 39, 157, 34, WS_CHILD, WS_VISIBLE},
         }},
        {IDD_SUB_PAGE_TEMPLATE,
         294,
         198,
         WS_CHILD,
         WS_POPUP | WS_VISIBLE,
         {
             {1016, L"STATIC",
              L"Use me as the starting point for the sub-pages within the main-application area "
              L"tab-control.  You can put controls right up to my edges",
              7, 7, 280, 24, WS_CHILD, WS_VISIBLE},
         }},
        {IDD_SYSTEM_PLATFORM_PAGE,
         294,
         198,
         WS_CHILD,
         WS_POPUP | WS_VISIBLE,
         {
             {1017, L"COMBOBOX", nullptr, 0, 0, 220, 14, kChild | kDropList, CBS_SORT},
             {1018, L"COMBOBOX", nullptr, 0, 24, 220, 14, kChild | kDropList, CBS_SORT},
             {1021, L"STATIC", L"Static", 233, 27, 55, 9, kChild | SS_CENTERIMAGE, kStaticTypes},
             {1047, L"RICHEDIT20A", L"", 0, 41, 293, 150,
              WS_CHILD | ES_MULTILINE | WS_TABSTOP | WS_DISABLED, WS_VISIBLE},
         }},
        {IDD_SYSTEM_APPLICATION_PAGE,
         294,
         198,
         WS_CHILD,
         WS_POPUP | WS_VISIBLE,
         {
             {1015, L"BUTTON", L"Change", 247, 0, 47, 14, WS_CHILD | WS_TABSTOP,
              WS_VISIBLE | BS_TYPEMASK},
             {1020, L"STATIC", L"Title", 0, 0, 244, 16, kChild, kStaticTypes},
             {1023, L"STATIC", L"Description", 0, 78, 293, 120, kChild, kStaticTypes},
             {1034, L"STATIC", L"Web-page", 0, 26, 86, 12, kChild, kStaticTypes},
             {1033, L"STATIC", L"Webpage Link", 95, 25, 85, 9, kChild | WS_TABSTOP, kStaticTypes},
             {1035, L"STATIC", L"Technical brief", 0, 45, 79, 8, kChild, kStaticTypes},
             {1036, L"STATIC", nullptr, 97, 38, 20, 20, kChild | SS_ICON | SS_NOTIFY | WS_TABSTOP,
              kStaticTypes & ~SS_ICON},
         }},
        {IDD_APPLICATION_SELECT,
         265,
         214,
         WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
         WS_CHILD,
         {
             {1025, L"COMBOBOX", nullptr, 7, 7, 251, 13, kChild | kDropList | CBS_SORT, 0},
             {static_cast<DWORD>(0xFFFF), L"BUTTON", L"", 7, 24, 251, 82, kChild | BS_GROUPBOX,
              BS_TYPEMASK & ~BS_GROUPBOX},
             {1026, L"EDIT", nullptr, 15, 32, 236, 66,
              kChild | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 0},
             {1027, L"BUTTON", L"", 7, 116, 251, 77, kChild | BS_GROUPBOX,
              BS_TYPEMASK & ~BS_GROUPBOX},
             {1028, L"BUTTON", L"Target platform filter", 15, 116, 96, 10,
              kChild | BS_AUTOCHECKBOX | WS_TABSTOP, BS_TYPEMASK & ~BS_AUTOCHECKBOX},
             {1031, L"STATIC", L"Only list applications that are valid for my target-platform:", 15,
              130, 235, 12, kChild, kStaticTypes},
             {1029, L"COMBOBOX", nullptr, 15, 144, 236, 13, kChild | kDropList | CBS_SORT, 0},
             {1032, L"STATIC", L"Daughter-card:", 15, 160, 168, 11, kChild, kStaticTypes},
             {1030, L"COMBOBOX", nullptr, 15, 174, 236, 13, kChild | kDropList | CBS_SORT, 0},
             {1, L"BUTTON", L"Load", 62, 193, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP,
              BS_TYPEMASK & ~BS_DEFPUSHBUTTON},
             {2, L"BUTTON", L"Cancel", 143, 193, 50, 14, kChild | WS_TABSTOP, BS_TYPEMASK},
         }},
        {IDD_SPLASH_APP_FIND,
         267,
         154,
         WS_POPUP | WS_VISIBLE | WS_BORDER | DS_CENTER | DS_SETFOREGROUND | DS_SYSMODAL,
         WS_CAPTION & ~WS_BORDER,
         {
             {1006, L"STATIC", nullptr, 0, 0, 267, 154, kChild | SS_BITMAP,
              kStaticTypes & ~SS_BITMAP},
             {1010, L"STATIC", nullptr, 53, 15, 202, 16, kChild, kStaticTypes},
             {1009, L"STATIC", nullptr, 57, 32, 192, 12, kChild, kStaticTypes},
             {1011, L"STATIC", L"", 55, 67, 184, 13, kChild, kStaticTypes},
             {1012, L"STATIC", L"", 72, 81, 184, 13, kChild, kStaticTypes},
         }},
        {IDD_PRINT_WINDOW,
         377,
         38,
         WS_CHILD,
         WS_POPUP,
         {
             {1013, L"RICHEDIT20A", L"", 0, 0, 377, 38, 0x50A02844, ~0x50A02844u},
         }},
        {IDD_SMALL_APP_LOGO,
         137,
         38,
         WS_CHILD,
         WS_POPUP,
         {
             {1014, L"STATIC", nullptr, 0, 0, 138, 39, 0x50000B0E, ~0x50000B0Eu},
         }},
        {IDD_PROGRESS_CONTROL,
         129,
         15,
         WS_CHILD,
         WS_POPUP,
         {
             {1022, L"MSCTLS_PROGRESS32", L"", 0, 0, 129, 15, 0x50000001, ~0x50000001u},
         }},
    };
}

std::wstring loadString(UINT id) {
    wchar_t buffer[64] = {};
    const int n = LoadStringW(AfxGetResourceHandle(), id, buffer, 64);
    return std::wstring(buffer, static_cast<size_t>(n > 0 ? n : 0));
}

// The control words a template may use: what our rich-edit control reads.
const std::set<std::string, std::less<>> kRtfWords = {
    "rtf",   "ansi",     "deff",     "fonttbl", "f",        "fswiss", "froman",   "fnil",
    "ftech", "fcharset", "colortbl", "red",     "green",    "blue",   "pard",     "par",
    "b",     "i",        "fs",       "cf",      "li",       "fi",     "sa",       "sb",
    "tab",   "pntext",   "bullet",   "pn",      "pnlvlblt", "pnf",    "pnindent", "pntxtb"};

// Checks the group structure and the control words of an RTF document;
// returns what is wrong, empty when nothing is.
std::string rtfProblems(std::string_view rtf) {
    if (!rtf.starts_with("{\\rtf1")) {
        return "does not start with {\\rtf1";
    }
    int depth = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth < 0) {
                return "unbalanced '}' at " + std::to_string(i);
            }
            if (depth == 0 && rtf.find_first_not_of(" \r\n\t", i + 1) != std::string_view::npos) {
                return "text after the document's closing brace at " + std::to_string(i);
            }
        } else if (c == '\\' && i + 1 < rtf.size()) {
            const char next = rtf[i + 1];
            if (next == '\\' || next == '{' || next == '}' || next == '*') {
                ++i;
            } else if (next == '\'') {
                const std::string_view hex = rtf.substr(i + 2, 2);
                if (hex.size() != 2 || !std::isxdigit(static_cast<unsigned char>(hex[0])) ||
                    !std::isxdigit(static_cast<unsigned char>(hex[1]))) {
                    return "bad \\' escape at " + std::to_string(i);
                }
                i += 3;
            } else if (std::isalpha(static_cast<unsigned char>(next))) {
                size_t end = i + 1;
                while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end]))) {
                    ++end;
                }
                const std::string_view word = rtf.substr(i + 1, end - i - 1);
                if (!kRtfWords.contains(word)) {
                    return "control word \\" + std::string(word) + " is not one our reader takes";
                }
                i = end - 1;
            } else {
                return std::string("unknown control symbol \\") + next;
            }
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            return "raw 8-bit byte at " + std::to_string(i);
        }
    }
    return depth == 0 ? std::string() : "unclosed group";
}

} // namespace

// The library's resources live in its own module, which is the default
// resource module once the library is loaded.
TEST(LibraryResources, AreTheDefaultResourceModule) {
    ASSERT_NE(zxtest::libraryModule(), nullptr);
    EXPECT_EQ(AfxGetResourceHandle(), zxtest::libraryModule());
    EXPECT_FALSE(zx::LoadedResourceBlob(zxtest::libraryModule()).empty());
}

TEST(LibraryResources, DialogTemplatesHoldTheControlsTheirWindowsBind) {
    for (const Dialog& want : expectedDialogs()) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        const auto dlg = zxtest::libraryDialog(want.id);
        ASSERT_TRUE(dlg.has_value());
        EXPECT_TRUE(dlg->extended);
        EXPECT_EQ(dlg->cx, want.cx);
        EXPECT_EQ(dlg->cy, want.cy);
        EXPECT_EQ(dlg->style & want.required, want.required) << std::hex << dlg->style;
        EXPECT_EQ(dlg->style & want.forbidden, 0u) << std::hex << dlg->style;
        ASSERT_TRUE(dlg->font.has_value());
        EXPECT_EQ(dlg->font->typeface, L"Tahoma");
        EXPECT_EQ(dlg->font->pointSize, 8);
        EXPECT_EQ(dlg->items.size(), want.controls.size());

        std::set<DWORD> seen;
        for (const Control& c : want.controls) {
            SCOPED_TRACE("control " + std::to_string(c.id));
            const zx::DialogItem* item = nullptr;
            for (const zx::DialogItem& candidate : dlg->items) {
                if ((candidate.id & 0xFFFF) == c.id) {
                    item = &candidate;
                }
            }
            ASSERT_NE(item, nullptr);
            EXPECT_TRUE(seen.insert(c.id).second) << "listed twice";
            EXPECT_EQ(item->className(), c.className);
            EXPECT_EQ(item->x, c.x);
            EXPECT_EQ(item->y, c.y);
            EXPECT_EQ(item->cx, c.cx);
            EXPECT_EQ(item->cy, c.cy);
            EXPECT_EQ(item->style & c.required, c.required) << std::hex << item->style;
            EXPECT_EQ(item->style & c.forbidden, 0u) << std::hex << item->style;
            if (c.text) {
                EXPECT_TRUE(item->title.isString() || (item->title.isNone() && !*c.text));
                EXPECT_EQ(item->title.text, c.text);
            }
        }
    }
}

// Image statics name their picture by resource ordinal; the pictures exist.
TEST(LibraryResources, ImageControlsReferToTheLibrarysPictures) {
    const auto splash = zxtest::libraryDialog(IDD_SPLASH_APP_FIND);
    const auto page = zxtest::libraryDialog(IDD_SYSTEM_APPLICATION_PAGE);
    ASSERT_TRUE(splash && page);
    const zx::DialogItem& bitmap = splash->items.front(); // drawn first, under the texts
    EXPECT_EQ(bitmap.id, 1006u);
    ASSERT_TRUE(bitmap.title.isOrdinal());
    EXPECT_EQ(bitmap.title.ordinal, 11);
    bool iconFound = false;
    for (const zx::DialogItem& item : page->items) {
        if (item.id == 1036) {
            iconFound = true;
            ASSERT_TRUE(item.title.isOrdinal());
            EXPECT_EQ(item.title.ordinal, 29);
        }
    }
    EXPECT_TRUE(iconFound);
    // Drawn over the group box's top edge, so it comes after the group box.
    const auto select = zxtest::libraryDialog(IDD_APPLICATION_SELECT);
    ASSERT_TRUE(select.has_value());
    size_t group = 0, check = 0;
    for (size_t i = 0; i < select->items.size(); ++i) {
        group = select->items[i].id == 1027 ? i : group;
        check = select->items[i].id == 1028 ? i : check;
    }
    EXPECT_LT(group, check);
}

TEST(LibraryResources, StringsLoad) {
    EXPECT_EQ(loadString(16), L"System");
    EXPECT_EQ(loadString(17), L"Anything");
    EXPECT_EQ(loadString(19), L"Target Platform");
    EXPECT_EQ(loadString(21), L"Application");
    EXPECT_EQ(loadString(18), L""); // ids in between are dialogs, not strings
}

TEST(LibraryResources, PrintWindowMenuHasClearSeparatorCopy) {
    const auto bytes = zxtest::libraryResource(IDR_PRINT_WINDOW_POPUP, RT_MENU);
    ASSERT_FALSE(bytes.empty());
    const auto menu = zx::ParseMenuTemplate(bytes);
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(menu->items.size(), 1u);
    const zx::MenuItem& popup = menu->items[0];
    EXPECT_TRUE(popup.popup);
    EXPECT_EQ(popup.text, L"PrintWindowPopUp");
    ASSERT_EQ(popup.children.size(), 3u);
    EXPECT_EQ(popup.children[0].text, L"Clear");
    EXPECT_EQ(popup.children[0].id, 32773u);
    EXPECT_TRUE(popup.children[1].separator);
    EXPECT_EQ(popup.children[2].text, L"Copy");
    EXPECT_EQ(popup.children[2].id, 32774u);
}

// A bitmap resource is a DIB without the file header.
TEST(LibraryResources, SplashBitmapIs400By250With24Bits) {
    const auto dib = zxtest::libraryResource(IDB_SPLASH, RT_BITMAP);
    ASSERT_GE(dib.size(), 40u);
    auto dword = [&](size_t at) {
        DWORD v;
        std::memcpy(&v, dib.data() + at, 4);
        return v;
    };
    auto word = [&](size_t at) {
        WORD v;
        std::memcpy(&v, dib.data() + at, 2);
        return v;
    };
    EXPECT_EQ(dword(0), 40u);                      // BITMAPINFOHEADER
    EXPECT_EQ(static_cast<LONG>(dword(4)), 400);   // width
    EXPECT_EQ(static_cast<LONG>(dword(8)), 250);   // height, bottom-up
    EXPECT_EQ(word(12), 1);                        // planes
    EXPECT_EQ(word(14), 24);                       // bits per pixel
    EXPECT_EQ(dword(16), 0u);                      // BI_RGB: uncompressed
    EXPECT_EQ(dib.size(), 40u + 400u * 3u * 250u); // rows of 1200 bytes need no padding
}

TEST(LibraryResources, TechnicalBriefIconHas16And32PixelImages) {
    const auto group = zxtest::libraryResource(IDI_TECHNICAL_BRIEF, RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u);
    auto word = [](std::span<const BYTE> b, size_t at) {
        WORD v;
        std::memcpy(&v, b.data() + at, 2);
        return v;
    };
    EXPECT_EQ(word(group, 2), 1); // icons, not cursors
    const WORD count = word(group, 4);
    ASSERT_EQ(group.size(), 6u + 14u * count);
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const size_t entry = 6 + 14 * i;
        const int width = group[entry];
        EXPECT_EQ(group[entry + 1], width);    // square
        EXPECT_EQ(word(group, entry + 6), 32); // bits per pixel
        DWORD bytes;
        std::memcpy(&bytes, group.data() + entry + 8, 4);
        const auto image = zxtest::libraryResource(word(group, entry + 12), RT_ICON);
        EXPECT_EQ(image.size(), bytes) << "image of " << width;
        sizes.insert(width);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32}));
}

TEST(LibraryResources, FeaturesTemplateIsRtfWithEachPlaceholderOnce) {
    const auto bytes = zxtest::libraryResource(L"#30", L"DOCFILE");
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(zxtest::libraryResource(IDR_FEATURES_TEMPLATE, L"docfile").data(), bytes.data());
    const std::string_view rtf(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    EXPECT_EQ(rtfProblems(rtf), "");

    // Each placeholder once, in document order, each a paragraph of its own.
    std::vector<std::string> order;
    for (int n = 1; n <= 8; ++n) {
        order.push_back("<common" + std::to_string(n) + ">");
    }
    order.push_back("<target>");
    for (int n = 1; n <= 8; ++n) {
        order.push_back("<target" + std::to_string(n) + ">");
    }
    size_t previous = 0;
    for (const std::string& placeholder : order) {
        const size_t at = rtf.find(placeholder);
        ASSERT_NE(at, std::string_view::npos) << placeholder;
        EXPECT_EQ(rtf.find(placeholder, at + 1), std::string_view::npos) << placeholder;
        EXPECT_GT(at, previous) << placeholder;
        EXPECT_TRUE(rtf.substr(at + placeholder.size()).starts_with("\\par")) << placeholder;
        const char before = rtf[at - 1];
        EXPECT_TRUE(before == '}' || before == ' ') << placeholder;
        previous = at;
    }
    // The document is searched for the features text's own markers after the
    // text is appended; the template must not hold them itself.
    EXPECT_EQ(rtf.find("Common features"), std::string_view::npos);
    EXPECT_EQ(rtf.find("Features of the Pelmarin"), std::string_view::npos);
    EXPECT_EQ(rtf.find("Target platform specifics"), std::string_view::npos);
}

// Read as our rich-edit control reads it: a title, the common items as
// bullets, the heading, the target items as bullets, and no text besides.
TEST(LibraryResources, FeaturesTemplateReadsAsTitledBulletLists) {
    const auto bytes = zxtest::libraryResource(IDR_FEATURES_TEMPLATE, L"DOCFILE");
    const auto doc =
        zx::ParseRtf(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(doc.has_value());
    ASSERT_GE(doc->paragraphs.size(), 18u);
    EXPECT_EQ(doc->paragraphs[0].text(), L"Platform features");
    EXPECT_FALSE(doc->paragraphs[0].format.bullet);
    ASSERT_FALSE(doc->paragraphs[0].runs.empty());
    EXPECT_TRUE(doc->paragraphs[0].runs[0].format.bold);
    EXPECT_EQ(doc->paragraphs[0].runs[0].format.face, L"Tahoma");
    for (int n = 1; n <= 8; ++n) {
        const zx::RtfParagraph& common = doc->paragraphs[static_cast<size_t>(n)];
        const zx::RtfParagraph& target = doc->paragraphs[static_cast<size_t>(9 + n)];
        EXPECT_EQ(common.text(), L"<common" + std::to_wstring(n) + L">");
        EXPECT_EQ(target.text(), L"<target" + std::to_wstring(n) + L">");
        EXPECT_TRUE(common.format.bullet) << n;
        EXPECT_TRUE(target.format.bullet) << n;
        EXPECT_FALSE(common.runs.at(0).format.bold) << n;
        EXPECT_EQ(common.runs.at(0).format.face, L"Tahoma") << n;
    }
    EXPECT_EQ(doc->paragraphs[9].text(), L"<target>");
    EXPECT_FALSE(doc->paragraphs[9].format.bullet);
    for (size_t i = 18; i < doc->paragraphs.size(); ++i) {
        EXPECT_EQ(doc->paragraphs[i].text(), L"") << i;
    }
}

// The checker itself must reject what our reader cannot take.
TEST(LibraryResources, RtfCheckerRejectsBrokenDocuments) {
    EXPECT_EQ(rtfProblems("{\\rtf1\\ansi\\deff0 text\\par}"), "");
    EXPECT_NE(rtfProblems("{\\rtf1 {\\b x}"), "");
    EXPECT_NE(rtfProblems("{\\rtf1 x}}"), "");
    EXPECT_NE(rtfProblems("{\\rtf1 {\\pict 00}}"), "");
    EXPECT_NE(rtfProblems("{\\rtf1 \\'G1}"), "");
    EXPECT_NE(rtfProblems("\\rtf1 x"), "");
    EXPECT_EQ(rtfProblems("{\\rtf1 \\{braces\\} \\'B7}"), "");
}
