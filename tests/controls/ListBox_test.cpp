// List boxes answer the LB_ messages with Windows' documented values, and
// tell their parent about the user's choices only when LBS_NOTIFY asks.

#include "platform/ListBox.h"
#include "platform/Rect.h"
#include "platform/rc/zxres.h"

#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

class CParent : public CWnd {
public:
    std::vector<std::pair<int, int>> heard; // id, code

    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        heard.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    int count(int id, int code) const {
        return static_cast<int>(std::count(heard.begin(), heard.end(), std::pair(id, code)));
    }
};

struct ListBoxes : ::testing::Test {
    CParent parent;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, L"ZxWindow", L"Lists", WS_POPUP | WS_VISIBLE,
                                    CRect(0, 0, 300, 300), nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
    LRESULT send(CListBox& list, UINT msg, WPARAM w = 0, const wchar_t* text = nullptr) {
        return list.SendMessageW(msg, w, reinterpret_cast<LPARAM>(text));
    }
};

TEST_F(ListBoxes, MessagesAnswerAsWindowsDocumentsThem) {
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_SORT | WS_VSCROLL, CRect(10, 10, 200, 120),
                            &parent, 1100));
    auto* widget = qobject_cast<QListWidget*>(list.GetWidget());
    ASSERT_NE(widget, nullptr);
    const WPARAM all = static_cast<WPARAM>(-1);

    // LB_ADDSTRING sorts without regard to case; LB_INSERTSTRING does not sort.
    EXPECT_EQ(list.AddString(L"Pelmarin EVB"), 0);
    EXPECT_EQ(list.AddString(L"board b"), 0);
    EXPECT_EQ(list.AddString(L"Board A"), 0);
    EXPECT_EQ(list.InsertString(-1, L"aardvark"), 3);
    EXPECT_EQ(list.InsertString(9, L"lost"), LB_ERR);
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(widget->count(), 4);
    EXPECT_EQ(widget->item(1)->text(), QStringLiteral("board b"));
    EXPECT_EQ(widget->item(3)->text(), QStringLiteral("aardvark"));

    // Nothing is selected until someone selects; -1 clears and answers LB_ERR.
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    EXPECT_EQ(list.SetCurSel(2), 2);
    EXPECT_EQ(widget->currentRow(), 2);
    EXPECT_EQ(list.SetCurSel(-1), LB_ERR);
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    EXPECT_TRUE(widget->selectedItems().isEmpty());
    EXPECT_EQ(list.SetCurSel(4), LB_ERR);

    wchar_t text[32] = {};
    EXPECT_EQ(send(list, LB_GETTEXT, 2, text), 12);
    EXPECT_STREQ(text, L"Pelmarin EVB");
    EXPECT_EQ(send(list, LB_GETTEXT, 4, text), LB_ERR);
    EXPECT_EQ(list.GetTextLen(0), 7);
    EXPECT_EQ(list.GetTextLen(-1), LB_ERR);

    EXPECT_EQ(list.SetItemData(2, 0xBEEF), LB_OKAY);
    EXPECT_EQ(list.SetItemData(7, 1), LB_ERR);
    EXPECT_EQ(list.GetItemData(7), static_cast<DWORD_PTR>(LB_ERR));

    // Searches start after the given item, wrap around, and ignore case.
    EXPECT_EQ(list.FindString(-1, L"BOARD"), 0);
    EXPECT_EQ(list.FindString(0, L"board"), 1);
    EXPECT_EQ(list.FindString(1, L"board"), 0);
    EXPECT_EQ(list.FindStringExact(-1, L"board"), LB_ERR);
    EXPECT_EQ(list.FindStringExact(-1, L"BOARD B"), 1);
    EXPECT_EQ(list.FindString(-1, L"zz"), LB_ERR);
    EXPECT_EQ(list.SelectString(-1, L"pel"), 2);
    EXPECT_EQ(widget->currentRow(), 2);

    // The selection and item data follow their item.
    EXPECT_EQ(list.DeleteString(0), 3);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_EQ(list.GetItemData(1), 0xBEEFu);
    EXPECT_EQ(list.DeleteString(1), 2);
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    EXPECT_EQ(list.DeleteString(5), LB_ERR);
    EXPECT_EQ(send(list, LB_RESETCONTENT), LB_OKAY);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(widget->count(), 0);
    EXPECT_EQ(list.FindString(-1, L""), LB_ERR);
    EXPECT_EQ(send(list, LB_GETTEXTLEN, all), LB_ERR);
}

TEST_F(ListBoxes, OnlyTheUsersChoicesAreNotifiedAndOnlyWithLbsNotify) {
    CListBox notifying, quiet;
    ASSERT_TRUE(notifying.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, CRect(10, 10, 140, 120),
                                 &parent, 1101));
    ASSERT_TRUE(quiet.Create(WS_CHILD | WS_VISIBLE, CRect(150, 10, 280, 120), &parent, 1102));
    for (CListBox* list : {&notifying, &quiet}) {
        for (const wchar_t* text : {L"one", L"two", L"three"})
            list->AddString(text);
        list->SetCurSel(0); // the program's choice is not notified
    }
    EXPECT_TRUE(parent.heard.empty());

    for (CListBox* list : {&notifying, &quiet}) {
        auto* widget = qobject_cast<QListWidget*>(list->GetWidget());
        ASSERT_NE(widget, nullptr);
        const QPoint second = widget->visualItemRect(widget->item(1)).center();
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, second);
        EXPECT_EQ(list->GetCurSel(), 1);
        QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, second);
    }
    EXPECT_EQ(parent.count(1101, LBN_SELCHANGE), 1);
    EXPECT_EQ(parent.count(1101, LBN_DBLCLK), 1);
    EXPECT_EQ(parent.count(1102, LBN_SELCHANGE) + parent.count(1102, LBN_DBLCLK), 0);
}

} // namespace
