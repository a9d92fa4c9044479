// Combo boxes keep the Windows rules: case-insensitive searches that start
// after the given item and wrap around, sorted insertion after equal texts,
// item data that travels with its item, and a selection that follows it.

#include "platform/Controls.h"
#include "platform/WindowHandles.h"
#include "platform/rc/zxres.h"

#include <QComboBox>
#include <gtest/gtest.h>

#include <memory>

namespace {

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
    EXPECT_EQ(send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), L"othe"), CB_ERR);
    EXPECT_EQ(send(CB_FINDSTRING, 1, L"p"), 2);
    EXPECT_EQ(send(CB_FINDSTRING, 2, L"p"), 1);          // wraps around
    EXPECT_EQ(send(CB_FINDSTRING, 1, L"pelmarin a"), 1); // back to the start index
    EXPECT_EQ(send(CB_FINDSTRING, 99, L"o"), 0);         // outside: from the beginning
    EXPECT_EQ(send(CB_ADDSTRING, 0, L"OTHER"), 1);       // after its equal
    EXPECT_EQ(send(CB_GETITEMDATA, 3), 0x1234);
    EXPECT_EQ(send(CB_DELETESTRING, 1), 3);

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
