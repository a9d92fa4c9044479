#include "platform/DialogTemplate.h"

#include "platform/ResImage.h"
#include "platform/rc/zxres.h"
#include "support/OwnResources.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

using zx::DialogItemClass;
using zx::ParseDialogTemplate;
using zx::ResId;
using zx::SzOrOrd;

namespace {

std::vector<BYTE> dialogResource(WORD id) {
    return zxtest::OwnResource(zx::kRtDialog, id);
}

SzOrOrd ordinal(WORD value) {
    return {SzOrOrd::Kind::Ordinal, value, {}};
}

SzOrOrd text(std::wstring value) {
    return {SzOrOrd::Kind::String, 0, std::move(value)};
}

// x, y, cx and cy of a dialog or an item.
template <class T> std::array<int, 4> Box(const T& t) {
    return {t.x, t.y, t.cx, t.cy};
}

// Point size, weight, italic, charset and face of a font.
std::tuple<int, int, bool, int, std::wstring> Font(const zx::DialogFont& f) {
    return {f.pointSize, f.weight, f.italic, f.charset, f.typeface};
}

// Every bit the script sets is set (the compiler adds WS_CHILD and the like).
#define EXPECT_BITS(value, bits)                                                                   \
    EXPECT_EQ((value) & static_cast<DWORD>(bits), static_cast<DWORD>(bits))

} // namespace

TEST(DialogTemplateTest, ReadsTheExtendedFormWithEveryControlClass) {
    const auto data = dialogResource(100);
    const auto dlg = ParseDialogTemplate(data);
    ASSERT_TRUE(dlg.has_value());

    EXPECT_TRUE(dlg->extended);
    EXPECT_BITS(dlg->style, DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(dlg->exStyle, static_cast<DWORD>(WS_EX_TOOLWINDOW));
    EXPECT_EQ(dlg->helpId, 0u);
    EXPECT_EQ(Box(*dlg), (std::array{10, 20, 300, 180}));
    EXPECT_EQ(dlg->title, L"Platform \u2013 \u00dcbersicht");
    EXPECT_EQ(dlg->menu, ordinal(300));
    ASSERT_TRUE(dlg->windowClass.isString());
    EXPECT_EQ(ResId::upper(dlg->windowClass.text), L"ZARVEXDIALOG");
    ASSERT_TRUE(dlg->font.has_value());
    EXPECT_EQ(Font(*dlg->font), Font({9, 700, true, 0xA1, L"MS Shell Dlg"}));

    const auto& items = dlg->items;
    ASSERT_EQ(items.size(), 17u);
    // Each control as the script gives it: class, id, title and the bits of
    // its style the script sets.
    using K = DialogItemClass;
    const struct {
        K kind;
        DWORD id;
        SzOrOrd title;
        DWORD style, mask;
    } want[] = {
        {K::Button, 1, text(L"OK"), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE | WS_CHILD, 0xF},
        {K::Button, 2, text(L"&Cancel"), BS_PUSHBUTTON | WS_DISABLED, 0xF},
        {K::Button, 1001, text(L"Enable &DMA"), BS_AUTOCHECKBOX, 0xF},
        {K::Button, 1002, text(L"Registers"), BS_GROUPBOX, 0xF},
        {K::Edit, 1003, {}, ES_AUTOHSCROLL | ES_UPPERCASE, 0},
        {K::Static, 0xFFFFFFFF, text(L"Address:"), SS_LEFT, 0x1F}, // -1 as the DWORD it is here
        {K::Static, 1004, text(L"Right"), SS_RIGHT, 0x1F},
        {K::Static, 1005, ordinal(200), SS_ICON, 0x1F}, // image statics name their image
        {K::Static, 1006, ordinal(201), SS_BITMAP, 0x1F},
        {K::ComboBox, 1007, {}, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0},
        {K::ListBox, 1008, {}, LBS_NOTIFY | WS_VSCROLL, 0},
        {K::ScrollBar, 1009, {}, 0, 0},
        {K::Other, 1010, {}, PBS_SMOOTH | WS_BORDER, 0},
        {K::Other, 1011, {}, ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0},
        {K::Other, 1012, text(L"Tabs"), TCS_FIXEDWIDTH, 0},
        {K::Button, 70000, text(L"Check"), BS_AUTOCHECKBOX, 0},
        {K::Other, 1013, text(L"Data"), WS_TABSTOP, 0},
    };
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].kind(), want[i].kind);
        EXPECT_EQ(items[i].id, want[i].id);
        if (!want[i].title.isNone())
            EXPECT_EQ(items[i].title, want[i].title);
        EXPECT_BITS(items[i].style, want[i].style);
        if (want[i].mask)
            EXPECT_EQ(items[i].style & want[i].mask, want[i].style & want[i].mask);
        EXPECT_EQ(items[i].creationData.empty(), i != 16);
    }
    EXPECT_EQ(Box(items[0]), (std::array{240, 10, 50, 14}));
    EXPECT_EQ(items[4].exStyle, static_cast<DWORD>(WS_EX_CLIENTEDGE));
    EXPECT_TRUE(items[4].title.isNone() || items[4].title == text(L""));
    EXPECT_EQ(items[8].className(), L"STATIC"); // a known class given by name
    EXPECT_EQ(items[11].className(), L"SCROLLBAR");
    EXPECT_TRUE(items[12].isClass(L"msctls_progress32"));
    EXPECT_FALSE(items[12].isClass(L"msctls_progress"));
    EXPECT_TRUE(items[13].isClass(L"RichEdit20A"));
    EXPECT_TRUE(items[14].isClass(L"SysTabControl32"));
    EXPECT_EQ(items[14].helpId, 4242u);
    EXPECT_TRUE(items[16].isClass(L"ZxCustom"));
    EXPECT_EQ(items[16].helpId, 77u);
    EXPECT_EQ(items[16].exStyle, static_cast<DWORD>(WS_EX_STATICEDGE));
    EXPECT_EQ(items[16].creationData, (std::vector<BYTE>{0x34, 0x12, 0x78, 0x56, 'a', 'b'}));
}

TEST(DialogTemplateTest, ReadsThePlainFormAndDialogsWithoutFontOrItems) {
    const auto plain = ParseDialogTemplate(dialogResource(101));
    ASSERT_TRUE(plain.has_value());
    EXPECT_FALSE(plain->extended);
    EXPECT_BITS(plain->style, DS_SETFONT | WS_CHILD);
    EXPECT_EQ(plain->title, L"Plain");
    ASSERT_TRUE(plain->menu.isString());
    EXPECT_EQ(ResId::upper(plain->menu.text), L"NAMEDMENU");
    EXPECT_TRUE(plain->windowClass.isNone());
    ASSERT_TRUE(plain->font.has_value());
    EXPECT_EQ(Font(*plain->font), Font({8, 0, false, 0, L"Tahoma"}));
    EXPECT_EQ(Box(*plain), (std::array{0, 0, 200, 100}));
    ASSERT_EQ(plain->items.size(), 5u);
    EXPECT_EQ(plain->items[0].kind(), DialogItemClass::Button);
    EXPECT_EQ(plain->items[0].id, 10u);
    EXPECT_EQ(plain->items[0].title, text(L"Go"));
    EXPECT_EQ(Box(plain->items[0]), (std::array{5, 5, 40, 14}));
    EXPECT_EQ(plain->items[1].kind(), DialogItemClass::Edit);
    EXPECT_BITS(plain->items[1].style, ES_NUMBER);
    EXPECT_EQ(plain->items[4].title, ordinal(200));
    EXPECT_EQ(plain->items[4].id, 14u);

    const auto bare = ParseDialogTemplate(dialogResource(102));
    ASSERT_TRUE(bare.has_value());
    EXPECT_FALSE(bare->extended);
    EXPECT_FALSE(bare->font.has_value());
    EXPECT_TRUE(bare->items.empty());
    EXPECT_TRUE(bare->menu.isNone());
    EXPECT_EQ(Box(*bare), (std::array{1, 2, 3, 4}));

    const auto help = ParseDialogTemplate(dialogResource(103));
    ASSERT_TRUE(help.has_value());
    EXPECT_TRUE(help->extended);
    EXPECT_EQ(help->helpId, 9999u);
    ASSERT_EQ(help->items.size(), 1u);
    EXPECT_EQ(help->items[0].title, text(L"A"));
    EXPECT_EQ(help->items[0].cy, 4);
}

TEST(DialogTemplateTest, DamagedTemplatesAreNotReadAndNeverReadPastTheData) {
    for (WORD id : {WORD{100}, WORD{101}, WORD{103}}) {
        const auto good = dialogResource(id);
        ASSERT_TRUE(ParseDialogTemplate(good)) << id;
        // The last item ends the data: every shorter prefix lacks part of it.
        for (size_t length = 0; length < good.size(); ++length) {
            const std::vector<BYTE> cut(good.data(), good.data() + length);
            EXPECT_FALSE(ParseDialogTemplate(cut)) << id << " cut at " << length;
        }
    }
    // (Damage anywhere, never read out of bounds: fuzz_dialog.)

    auto ex = dialogResource(100);
    const size_t countAt = 16; // dlgVer, signature, helpID, exStyle, style
    ex[countAt] = 0xFF;
    ex[countAt + 1] = 0xFF;
    EXPECT_FALSE(ParseDialogTemplate(ex)); // 65535 items promised, 17 present
    ex[countAt] = 3;
    ex[countAt + 1] = 0;
    ASSERT_TRUE(ParseDialogTemplate(ex));
    EXPECT_EQ(ParseDialogTemplate(ex)->items.size(), 3u); // the rest is ignored, as Windows does

    auto version = dialogResource(100);
    version[0] = 2;
    EXPECT_FALSE(ParseDialogTemplate(version));

    // A title without its terminator, running to the end of the data.
    auto bare = dialogResource(102);
    ASSERT_EQ(bare.size(), 24u); // header, no menu, no class, empty title
    bare[22] = 'T';
    EXPECT_FALSE(ParseDialogTemplate(bare));
    EXPECT_FALSE(ParseDialogTemplate(std::vector<BYTE>{1, 0, 0xFF, 0xFF}));
    EXPECT_FALSE(ParseDialogTemplate(std::vector<BYTE>{}));
}
