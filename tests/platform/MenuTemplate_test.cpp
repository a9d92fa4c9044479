#include "platform/MenuTemplate.h"

#include "platform/ResImage.h"
#include "platform/rc/zxres.h"
#include "support/OwnResources.h"

#include <gtest/gtest.h>

#include <vector>

using zx::MenuItem;
using zx::MenuTemplate;
using zx::ParseMenuTemplate;

namespace {

std::vector<BYTE> menuResource(WORD id) {
    return zxtest::OwnResource(zx::kRtMenu, id);
}

// A standard menu of pop-ups nested `depth` deep, each with one item.
std::vector<BYTE> nestedMenu(int depth) {
    std::vector<BYTE> out{0, 0, 0, 0};
    auto put16 = [&](WORD v) {
        out.push_back(static_cast<BYTE>(v));
        out.push_back(static_cast<BYTE>(v >> 8));
    };
    for (int i = 0; i < depth - 1; ++i) {
        put16(MF_POPUP | MF_END);
        put16('P');
        put16(0);
    }
    put16(MF_END);
    put16(7);
    put16('L');
    put16(0);
    return out;
}

int depthOf(const std::vector<MenuItem>& items) {
    int deepest = 0;
    for (const auto& item : items)
        deepest = std::max(deepest, depthOf(item.children));
    return items.empty() ? 0 : deepest + 1;
}

} // namespace

TEST(MenuTemplateTest, ReadsAStandardMenuWithNestedPopups) {
    const auto menu = ParseMenuTemplate(menuResource(300));
    ASSERT_TRUE(menu.has_value());
    EXPECT_FALSE(menu->extended);
    ASSERT_EQ(menu->items.size(), 2u);

    const MenuItem& file = menu->items[0];
    EXPECT_TRUE(file.popup);
    EXPECT_EQ(file.text, L"&File");
    ASSERT_EQ(file.children.size(), 5u);
    EXPECT_EQ(file.children[0].text, L"&Open...\tCtrl+O");
    EXPECT_EQ(file.children[0].id, 1001u);
    EXPECT_EQ(file.children[1].id, 1002u);
    EXPECT_EQ(file.children[1].flags, static_cast<UINT>(MF_GRAYED));
    EXPECT_TRUE(file.children[2].separator);

    const MenuItem& recent = file.children[3];
    EXPECT_EQ(recent.text, L"&Recent");
    ASSERT_EQ(recent.children.size(), 2u);
    EXPECT_EQ(recent.children[0].id, 1101u);
    EXPECT_EQ(recent.children[0].state, static_cast<UINT>(MFS_CHECKED));
    const MenuItem& more = recent.children[1];
    ASSERT_EQ(more.children.size(), 1u);
    EXPECT_EQ(more.children[0].text, L"deep");
    EXPECT_EQ(more.children[0].id, 1201u);
    EXPECT_EQ(more.children[0].state, static_cast<UINT>(MF_DISABLED));

    EXPECT_EQ(file.children[4].text, L"E&xit");
    EXPECT_EQ(file.children[4].id, 65535u);
    EXPECT_EQ(file.children[4].flags, 0u); // MF_END is structure, not a flag

    const MenuItem& help = menu->items[1];
    EXPECT_FALSE(help.popup);
    EXPECT_EQ(help.type, static_cast<UINT>(MF_HELP | MF_MENUBARBREAK));

    const auto single = ParseMenuTemplate(menuResource(302));
    ASSERT_TRUE(single.has_value());
    ASSERT_EQ(single->items.size(), 1u);
    EXPECT_EQ(single->items[0].text, L"Only");
    EXPECT_EQ(single->items[0].id, 1u);
}

TEST(MenuTemplateTest, ReadsAnExtendedMenu) {
    const auto menu = ParseMenuTemplate(menuResource(301));
    ASSERT_TRUE(menu.has_value());
    EXPECT_TRUE(menu->extended);
    ASSERT_EQ(menu->items.size(), 2u);

    const MenuItem& board = menu->items[0];
    EXPECT_TRUE(board.popup);
    EXPECT_EQ(board.id, 2000u);
    EXPECT_EQ(board.helpId, 5000u);
    EXPECT_EQ(board.text, L"&Board");
    ASSERT_EQ(board.children.size(), 4u);
    EXPECT_EQ(board.children[0].id, 2001u);
    EXPECT_EQ(board.children[0].state, static_cast<UINT>(MFS_CHECKED | MFS_DEFAULT));
    EXPECT_TRUE(board.children[1].separator);
    EXPECT_EQ(board.children[2].type, static_cast<UINT>(MFT_RADIOCHECK));
    EXPECT_EQ(board.children[2].state, static_cast<UINT>(MFS_GRAYED));
    const MenuItem& sub = board.children[3];
    EXPECT_EQ(sub.id, 2003u);
    ASSERT_EQ(sub.children.size(), 1u);
    EXPECT_EQ(sub.children[0].id, 70000u);
    EXPECT_EQ(sub.children[0].text, L"Leaf");

    EXPECT_EQ(menu->items[1].text, L"&About");
    EXPECT_EQ(menu->items[1].type, static_cast<UINT>(MFT_RIGHTJUSTIFY));
}

TEST(MenuTemplateTest, DamagedOrTooDeepMenusAreNotRead) {
    for (WORD id : {WORD{300}, WORD{301}, WORD{302}}) {
        const auto good = menuResource(id);
        ASSERT_TRUE(ParseMenuTemplate(good));
        for (size_t length = 0; length < good.size(); ++length) {
            const std::vector<BYTE> cut(good.data(), good.data() + length);
            const auto menu = ParseMenuTemplate(cut);
            // The header alone is an empty menu; anything else cut short is damaged
            // (the extended header holds a help id too).
            const size_t header = id == 301 ? 8 : 4;
            if (length == header) {
                EXPECT_TRUE(menu && menu->items.empty()) << id;
            } else {
                EXPECT_FALSE(menu) << id << " cut at " << length;
            }
        }
    }
    // (Damage anywhere, never deeper than the limit: fuzz_menu.)

    ASSERT_TRUE(ParseMenuTemplate(nestedMenu(MenuTemplate::kMaxDepth)));
    EXPECT_EQ(depthOf(ParseMenuTemplate(nestedMenu(MenuTemplate::kMaxDepth))->items),
              MenuTemplate::kMaxDepth);
    EXPECT_FALSE(ParseMenuTemplate(nestedMenu(MenuTemplate::kMaxDepth + 1)));
    EXPECT_FALSE(ParseMenuTemplate(nestedMenu(100000)));

    auto noEnd = nestedMenu(1);
    noEnd[4] = 0; // the only item lost its MF_END
    EXPECT_FALSE(ParseMenuTemplate(noEnd));

    auto version = menuResource(301);
    version[0] = 2;
    EXPECT_FALSE(ParseMenuTemplate(version));
    auto offset = menuResource(301);
    offset[2] = 2; // points into the help id
    EXPECT_FALSE(ParseMenuTemplate(offset));
    offset[2] = 0xFF;
    offset[3] = 0xFF;
    EXPECT_FALSE(ParseMenuTemplate(offset));
}
