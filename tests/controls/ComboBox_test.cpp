// Combo boxes keep the Windows rules: case-insensitive searches that start
// after the given item and wrap around, sorted insertion, item data that
// travels with its item, and a selection that follows its item.

#include "platform/ComboList.h"
#include "platform/Controls.h"
#include "platform/WindowHandles.h"
#include "platform/rc/zxres.h"

#include <QComboBox>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

zx::ComboList listOf(std::initializer_list<const wchar_t*> items, bool sorted = false) {
    zx::ComboList list(sorted);
    for (const wchar_t* item : items)
        list.add(item);
    return list;
}

TEST(ComboList, PrefixAndExactSearchesIgnoreCaseAndWrapFromTheStartIndex) {
    const auto list = listOf({L"Alpha", L"beta", L"Alphabet", L"ALPHA", L"gamma"});
    // From the beginning.
    EXPECT_EQ(list.find(-1, L"alp"), 0);
    EXPECT_EQ(list.findExact(-1, L"alpha"), 0);
    // Searching starts with the item after the start index...
    EXPECT_EQ(list.find(0, L"alp"), 2);
    EXPECT_EQ(list.findExact(0, L"ALPHA"), 3);
    // ...and wraps around to the start index itself.
    EXPECT_EQ(list.find(3, L"alp"), 0);
    EXPECT_EQ(list.find(4, L"GAM"), 4);
    EXPECT_EQ(list.findExact(3, L"alpha"), 0);
    // A prefix is not an exact match; a longer text is no prefix.
    EXPECT_EQ(list.findExact(-1, L"alp"), CB_ERR);
    EXPECT_EQ(list.find(-1, L"alphabets"), CB_ERR);
    EXPECT_EQ(list.find(-1, L"delta"), CB_ERR);
    // A start outside the list searches from the beginning.
    EXPECT_EQ(list.find(99, L"alp"), 0);
    EXPECT_EQ(list.find(-7, L"be"), 1);
    EXPECT_EQ(zx::ComboList().find(-1, L""), CB_ERR);
}

TEST(ComboList, SortedListsInsertInOrderAndInsertIgnoresSorting) {
    auto list = listOf({L"delta", L"Bravo", L"charlie", L"alpha"}, true);
    std::wstring order;
    for (int i = 0; i < list.count(); ++i)
        order += *list.text(i) + L",";
    EXPECT_EQ(order, L"alpha,Bravo,charlie,delta,");
    // Equal texts (ignoring case) go after the ones already there.
    ASSERT_TRUE(list.setData(1, 111));
    EXPECT_EQ(list.add(L"BRAVO"), 2);
    EXPECT_EQ(*list.text(1), L"Bravo");
    EXPECT_EQ(list.data(1), 111u);
    // Insert puts the item where asked, sorted or not.
    EXPECT_EQ(list.insert(0, L"zulu"), 0);
    EXPECT_EQ(*list.text(0), L"zulu");
    const int before = list.count();
    EXPECT_EQ(list.insert(-1, L"echo"), before);
    EXPECT_EQ(list.insert(list.count() + 1, L"bad"), CB_ERR);
}

TEST(ComboList, DataAndSelectionFollowTheirItems) {
    zx::ComboList list(true);
    list.add(L"m");
    list.setData(0, 13);
    ASSERT_TRUE(list.select(0));
    EXPECT_EQ(list.add(L"a"), 0); // sorted before the selected item
    EXPECT_EQ(list.selection(), 1);
    EXPECT_EQ(list.data(1), 13u);
    EXPECT_EQ(list.remove(0), 1);
    EXPECT_EQ(list.selection(), 0);
    EXPECT_EQ(list.data(0), 13u);
    EXPECT_EQ(list.remove(0), 0); // the selected item goes: nothing is selected
    EXPECT_EQ(list.selection(), -1);
    EXPECT_EQ(list.remove(0), CB_ERR);
    EXPECT_EQ(list.data(0), static_cast<DWORD_PTR>(CB_ERR));
    list.add(L"x");
    EXPECT_FALSE(list.select(5));
    EXPECT_EQ(list.selection(), -1);
}

struct ComboFixture : ::testing::Test {
    std::unique_ptr<QComboBox> widget = std::make_unique<QComboBox>();
    HWND hwnd = zx::CreateWindowHandle(nullptr, nullptr);

    void attach(DWORD style) { zx::AttachControl(hwnd, widget.get(), L"ComboBox", style); }
    LRESULT send(UINT msg, WPARAM w = 0, const wchar_t* text = nullptr) {
        return SendMessageW(hwnd, msg, w, reinterpret_cast<LPARAM>(text));
    }
    void TearDown() override { DestroyWindow(hwnd); }
};

TEST_F(ComboFixture, MessagesKeepTheListAndTheWidgetInStep) {
    attach(WS_CHILD | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL);
    EXPECT_EQ(send(CB_ADDSTRING, 0, L"Pelmarin B"), 0);
    EXPECT_EQ(send(CB_ADDSTRING, 0, L"pelmarin a"), 0);
    EXPECT_EQ(send(CB_ADDSTRING, 0, L"Other"), 0);
    EXPECT_EQ(send(CB_GETCOUNT), 3);
    // Adding items selects nothing (Qt would select the first one).
    EXPECT_EQ(send(CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(widget->currentIndex(), -1);
    EXPECT_EQ(widget->itemText(1), QStringLiteral("pelmarin a"));

    EXPECT_EQ(SendMessageW(hwnd, CB_SETITEMDATA, 2, 0x1234), CB_OKAY);
    EXPECT_EQ(send(CB_SELECTSTRING, static_cast<WPARAM>(-1), L"PELMARIN b"), 2);
    EXPECT_EQ(send(CB_GETCURSEL), 2);
    EXPECT_EQ(widget->currentIndex(), 2);
    EXPECT_EQ(send(CB_GETITEMDATA, 2), 0x1234);
    // From item 0 the prefix search finds item 1 first; no match keeps the selection.
    EXPECT_EQ(send(CB_SELECTSTRING, 0, L"pel"), 1);
    EXPECT_EQ(send(CB_SELECTSTRING, 0, L"none"), CB_ERR);
    EXPECT_EQ(send(CB_GETCURSEL), 1);
    EXPECT_EQ(send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), L"other"), 0);
    EXPECT_EQ(send(CB_FINDSTRING, 1, L"p"), 2);

    wchar_t text[32] = {};
    EXPECT_EQ(SendMessageW(hwnd, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text)), 10);
    EXPECT_STREQ(text, L"pelmarin a");
    EXPECT_EQ(send(CB_GETLBTEXTLEN, 7), CB_ERR);
    EXPECT_EQ(send(WM_GETTEXTLENGTH), 10);

    // Deleting before the selection moves it; deleting it clears it.
    EXPECT_EQ(send(CB_DELETESTRING, 0), 2);
    EXPECT_EQ(send(CB_GETCURSEL), 0);
    EXPECT_EQ(widget->currentText(), QStringLiteral("pelmarin a"));
    EXPECT_EQ(send(CB_SETCURSEL, 5), CB_ERR);
    EXPECT_EQ(send(CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(widget->currentIndex(), -1);
    EXPECT_EQ(send(CB_SETCURSEL, 1), 1);
    EXPECT_EQ(send(CB_GETITEMDATA, 1), 0x1234);
    EXPECT_EQ(send(CB_INSERTSTRING, 0, L"zz"), 0); // not sorted in
    EXPECT_EQ(send(CB_GETCURSEL), 2);
    EXPECT_EQ(widget->currentIndex(), 2);
    EXPECT_EQ(send(CB_RESETCONTENT), CB_OKAY);
    EXPECT_EQ(send(CB_GETCOUNT), 0);
    EXPECT_EQ(widget->count(), 0);
}

} // namespace
