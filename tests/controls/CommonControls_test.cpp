// Up-down controls, trackbars, list views and tree views answer their
// messages with the values Windows documents, and tell their parent what
// changed through WM_NOTIFY and WM_HSCROLL / WM_VSCROLL.

#include "platform/Edit.h"
#include "platform/ListCtrl.h"
#include "platform/Rect.h"
#include "platform/SliderCtrl.h"
#include "platform/SpinButtonCtrl.h"
#include "platform/TreeCtrl.h"
#include "platform/rc/zxres.h"

#include <QSlider>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Heard {
    UINT message;
    UINT code; // the notification code, or the scroll code
    int value; // NMUPDOWN::iDelta, the scroll position, NMLISTVIEW::uNewState...
    LPARAM extra = 0;
    bool operator==(const Heard&) const = default;
};

class CParent : public CWnd {
public:
    std::vector<Heard> heard;
    LRESULT answer = 0; // to every notification

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NOTIFY) {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            Heard h{message, header->code, 0};
            if (header->code == UDN_DELTAPOS)
                h.value = reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta;
            if (header->code == LVN_ITEMCHANGED) {
                h.value = static_cast<int>(reinterpret_cast<const NMLISTVIEW*>(lParam)->uNewState);
                h.extra = reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem;
            }
            if (header->code == TVN_SELCHANGEDW)
                h.extra = reinterpret_cast<LPARAM>(
                    reinterpret_cast<const NMTREEVIEWW*>(lParam)->itemNew.hItem);
            heard.push_back(h);
            return answer;
        }
        if (message == WM_HSCROLL || message == WM_VSCROLL) {
            heard.push_back({message, LOWORD(wParam), static_cast<SHORT>(HIWORD(wParam))});
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

struct CommonControls : ::testing::Test {
    CParent parent;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, L"ZxWindow", L"Controls", WS_POPUP | WS_VISIBLE,
                                    CRect(0, 0, 400, 300), nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
};

std::wstring TextOf(CWnd& wnd) {
    wchar_t buffer[64] = {};
    GetWindowTextW(wnd.GetSafeHwnd(), buffer, 64);
    return buffer;
}

void ClickAt(QWidget* widget, QPoint at) {
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

} // namespace

TEST_F(CommonControls, UpDownStepsWithinItsRangeAndWritesItsBuddy) {
    CEdit edit;
    ASSERT_TRUE(
        edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 110, 30), &parent, 10));
    CSpinButtonCtrl spin;
    ASSERT_TRUE(spin.Create(WS_CHILD | WS_VISIBLE | UDS_AUTOBUDDY | UDS_SETBUDDYINT |
                                UDS_ALIGNRIGHT | UDS_ARROWKEYS,
                            CRect(0, 0, 16, 20), &parent, 11));
    // The window made just before it is its buddy; it sits against its right
    // edge, and the edit gives up that width.
    EXPECT_EQ(spin.GetBuddy(), edit.GetSafeHwnd());
    EXPECT_EQ(spin.GetWidget()->geometry(), QRect(94, 10, 16, 20));
    EXPECT_EQ(edit.GetWidget()->width(), 84);

    // Windows' default range runs from 100 (the minimum) down to 0.
    EXPECT_EQ(spin.SendMessageW(UDM_GETRANGE), MAKELONG(0, 100));
    EXPECT_EQ(spin.SetPos(5), 0); // the previous position
    EXPECT_EQ(TextOf(edit), L"5");
    spin.SetRange32(-5, 2000);
    EXPECT_EQ(spin.SetPos32(1234), 5);
    EXPECT_EQ(TextOf(edit), L"1,234"); // thousands grouped without UDS_NOTHOUSANDS
    EXPECT_EQ(spin.SetPos32(99999), 1234);
    EXPECT_EQ(spin.GetPos32(), 2000); // kept inside the range

    // What the user typed into the buddy is the position; anything else is
    // an error with the position unchanged.
    SetWindowTextW(edit.GetSafeHwnd(), L"1,500");
    BOOL error = TRUE;
    EXPECT_EQ(spin.GetPos32(&error), 1500);
    EXPECT_FALSE(error);
    SetWindowTextW(edit.GetSafeHwnd(), L"many");
    EXPECT_EQ(spin.GetPos32(&error), 1500);
    EXPECT_TRUE(error);
    EXPECT_NE(HIWORD(spin.GetPos()), 0);

    // A click on the upper arrow: UDN_DELTAPOS first, then WM_VSCROLL with
    // the new position, and SB_ENDSCROLL at the release.
    spin.SetRange(0, 10);
    spin.SetPos(9);
    parent.heard.clear();
    QWidget* arrows = spin.GetWidget();
    ClickAt(arrows, QPoint(8, 3));
    ASSERT_EQ(parent.heard.size(), 3u);
    EXPECT_EQ(parent.heard[0], (Heard{WM_NOTIFY, UDN_DELTAPOS, 1}));
    EXPECT_EQ(parent.heard[1], (Heard{WM_VSCROLL, SB_THUMBPOSITION, 10}));
    EXPECT_EQ(parent.heard[2].code, static_cast<UINT>(SB_ENDSCROLL));
    EXPECT_EQ(TextOf(edit), L"10");
    ClickAt(arrows, QPoint(8, 3)); // no UDS_WRAP: it stays at the maximum
    EXPECT_EQ(LOWORD(spin.GetPos()), 10);
    // The arrow keys in the buddy step it too (UDS_ARROWKEYS).
    QTest::keyClick(edit.GetWidget(), Qt::Key_Down);
    EXPECT_EQ(LOWORD(spin.GetPos()), 9);
    // A parent that answers non-zero refuses the step.
    parent.answer = 1;
    ClickAt(arrows, QPoint(8, 17));
    EXPECT_EQ(LOWORD(spin.GetPos()), 9);
    parent.answer = 0;

    // UDS_WRAP carries a step past either end to the other, and a reversed
    // range steps the up arrow towards its (smaller) maximum.
    CSpinButtonCtrl wrap;
    ASSERT_TRUE(wrap.Create(WS_CHILD | WS_VISIBLE | UDS_WRAP | UDS_HORZ, CRect(200, 10, 240, 30),
                            &parent, 12));
    EXPECT_EQ(wrap.GetBuddy(), nullptr);
    wrap.SetRange(3, 1); // minimum 3, maximum 1
    wrap.SetPos(1);
    parent.heard.clear();
    ClickAt(wrap.GetWidget(), QPoint(35, 10)); // the right arrow steps up
    ASSERT_FALSE(parent.heard.empty());
    EXPECT_EQ(parent.heard[0].value, -1);
    EXPECT_EQ(parent.heard[1].message, WM_HSCROLL);
    EXPECT_EQ(LOWORD(wrap.GetPos()), 3);
}

TEST_F(CommonControls, TrackbarKeepsItsPositionInRangeAndReportsMoves) {
    CSliderCtrl slider;
    ASSERT_TRUE(
        slider.Create(WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS, CRect(10, 10, 210, 40), &parent, 20));
    auto* widget = qobject_cast<QSlider*>(slider.GetWidget());
    ASSERT_NE(widget, nullptr);
    // Windows' defaults: 0..100, a line of 1, a page of a fifth of the range.
    EXPECT_EQ(slider.GetRangeMin(), 0);
    EXPECT_EQ(slider.GetRangeMax(), 100);
    EXPECT_EQ(slider.GetLineSize(), 1);
    EXPECT_EQ(slider.GetPageSize(), 20);
    slider.SetPos(150);
    EXPECT_EQ(slider.GetPos(), 100);
    slider.SendMessageW(TBM_SETRANGE, TRUE, MAKELPARAM(10, 50));
    EXPECT_EQ(slider.GetPos(), 50); // a new range takes the position in
    slider.SetRangeMin(60);
    EXPECT_EQ(slider.GetPos(), 60);
    slider.SetRange(0, 40);
    EXPECT_EQ(slider.SetPageSize(8), 20);
    EXPECT_EQ(slider.SetLineSize(2), 1);
    slider.SetTicFreq(10);
    EXPECT_EQ(widget->tickInterval(), 10);
    slider.SetPos(20);
    EXPECT_EQ(widget->value(), 20);
    EXPECT_TRUE(parent.heard.empty()); // messages never notify

    // Keys: a line or a page, each move followed by TB_ENDTRACK.
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Right);
    QTest::keyClick(widget, Qt::Key_PageUp);
    ASSERT_EQ(parent.heard.size(), 4u);
    EXPECT_EQ(parent.heard[0].message, WM_HSCROLL);
    EXPECT_EQ(parent.heard[0].code, static_cast<UINT>(TB_LINEDOWN));
    EXPECT_EQ(parent.heard[1].code, static_cast<UINT>(TB_ENDTRACK));
    EXPECT_EQ(parent.heard[2].code, static_cast<UINT>(TB_PAGEUP));
    EXPECT_EQ(slider.GetPos(), 14);

    // TBS_VERT reports through WM_VSCROLL, its minimum at the top.
    CSliderCtrl vertical;
    ASSERT_TRUE(
        vertical.Create(WS_CHILD | WS_VISIBLE | TBS_VERT, CRect(250, 10, 280, 200), &parent, 21));
    auto* upright = qobject_cast<QSlider*>(vertical.GetWidget());
    ASSERT_NE(upright, nullptr);
    EXPECT_EQ(upright->orientation(), Qt::Vertical);
    EXPECT_TRUE(upright->invertedAppearance());
    parent.heard.clear();
    upright->setFocus();
    QTest::keyClick(upright, Qt::Key_Down);
    ASSERT_FALSE(parent.heard.empty());
    EXPECT_EQ(parent.heard[0].message, WM_VSCROLL);
    EXPECT_EQ(parent.heard[0].code, static_cast<UINT>(TB_LINEDOWN));
    EXPECT_EQ(vertical.GetPos(), 1);
}

TEST_F(CommonControls, ListViewKeepsItemsColumnsAndSelection) {
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL,
                            CRect(10, 10, 310, 210), &parent, 30));
    auto* view = qobject_cast<QTreeWidget*>(list.GetWidget());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(list.InsertColumn(0, L"Board", LVCFMT_LEFT, 120), 0);
    EXPECT_EQ(list.InsertColumn(5, L"Address", LVCFMT_RIGHT, 80), 1); // past the end: appended
    EXPECT_EQ(view->headerItem()->text(1), QStringLiteral("Address"));

    EXPECT_EQ(list.InsertItem(0, L"Pelmarin EVB"), 0);
    EXPECT_EQ(list.InsertItem(9, L"Simulated"), 1);
    EXPECT_EQ(list.InsertItem(0, L"Bench"), 0);
    EXPECT_TRUE(list.SetItemText(1, 1, L"0x4000"));
    EXPECT_FALSE(list.SetItemText(7, 1, L"none"));
    EXPECT_FALSE(list.SetItemText(1, 4, L"no column"));
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemText(1, 0), CString(L"Pelmarin EVB"));
    EXPECT_EQ(list.GetItemText(1, 1), CString(L"0x4000"));
    EXPECT_EQ(view->topLevelItem(1)->text(1), QStringLiteral("0x4000"));
    // LVM_GETITEMTEXTW cuts the text to the buffer and answers its length.
    wchar_t small[4] = {};
    LVITEMW item{};
    item.pszText = small;
    item.cchTextMax = 4;
    EXPECT_EQ(list.SendMessageW(LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item)), 3);
    EXPECT_EQ(std::wstring(small), L"Pel");

    // Selection by message: LVN_ITEMCHANGED for each item that changed, and
    // a single-selection list drops the earlier selection.
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_TRUE(list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    const int selected = LVIS_SELECTED;
    EXPECT_EQ(parent.heard, (std::vector<Heard>{{WM_NOTIFY, LVN_ITEMCHANGED, selected, 1},
                                                {WM_NOTIFY, LVN_ITEMCHANGED, 0, 1}, // deselected
                                                {WM_NOTIFY, LVN_ITEMCHANGED, selected, 2}}));
    EXPECT_TRUE(view->topLevelItem(2)->isSelected());

    // The user's click selects and notifies the same way.
    parent.heard.clear();
    ClickAt(view->viewport(), view->visualItemRect(view->topLevelItem(0)).center());
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 0);
    EXPECT_EQ(list.GetItemState(0, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    ASSERT_FALSE(parent.heard.empty());
    EXPECT_EQ(parent.heard.back().code, LVN_ITEMCHANGED);

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_FALSE(list.DeleteItem(5));
    EXPECT_EQ(list.GetItemText(0, 0), CString(L"Pelmarin EVB"));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_ALL), 0);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(view->topLevelItemCount(), 0);
}

TEST_F(CommonControls, TreeViewInsertsWalksSelectsAndDeletes) {
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT,
                            CRect(10, 10, 210, 210), &parent, 40));
    auto* widget = qobject_cast<QTreeWidget*>(tree.GetWidget());
    ASSERT_NE(widget, nullptr);
    const HTREEITEM boards = tree.InsertItem(L"Boards");
    const HTREEITEM evb = tree.InsertItem(L"EVB", boards);
    const HTREEITEM first = tree.InsertItem(L"Bench", boards, TVI_FIRST);
    const HTREEITEM middle = tree.InsertItem(L"Middle", boards, first);
    const HTREEITEM links = tree.InsertItem(L"Links", TVI_ROOT, TVI_LAST);
    ASSERT_TRUE(boards && evb && first && middle && links);
    EXPECT_EQ(tree.InsertItem(L"Orphan", reinterpret_cast<HTREEITEM>(0x7777)), nullptr);
    EXPECT_EQ(tree.GetCount(), 5u);

    EXPECT_EQ(tree.GetRootItem(), boards);
    EXPECT_EQ(tree.GetNextSiblingItem(boards), links);
    EXPECT_EQ(tree.GetNextSiblingItem(links), nullptr);
    EXPECT_EQ(tree.GetChildItem(boards), first);
    EXPECT_EQ(tree.GetNextSiblingItem(first), middle);
    EXPECT_EQ(tree.GetNextSiblingItem(middle), evb);
    EXPECT_EQ(tree.GetParentItem(evb), boards);
    EXPECT_EQ(tree.GetItemText(middle), CString(L"Middle"));
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);

    // TVM_SELECTITEM: TVN_SELCHANGEDW names the new item, and its parents open.
    EXPECT_TRUE(tree.SelectItem(evb));
    EXPECT_EQ(tree.GetSelectedItem(), evb);
    EXPECT_EQ(parent.heard,
              (std::vector<Heard>{{WM_NOTIFY, TVN_SELCHANGEDW, 0, reinterpret_cast<LPARAM>(evb)}}));
    EXPECT_TRUE(widget->topLevelItem(0)->isExpanded());
    EXPECT_TRUE(tree.Expand(boards, TVE_COLLAPSE));
    EXPECT_FALSE(widget->topLevelItem(0)->isExpanded());
    EXPECT_TRUE(tree.Expand(boards, TVE_TOGGLE));
    EXPECT_TRUE(widget->topLevelItem(0)->isExpanded());

    // The user's click selects as well.
    parent.heard.clear();
    ClickAt(widget->viewport(), widget->visualItemRect(widget->topLevelItem(1)).center());
    EXPECT_EQ(tree.GetSelectedItem(), links);
    ASSERT_FALSE(parent.heard.empty());
    EXPECT_EQ(parent.heard.back().code, TVN_SELCHANGEDW);

    // Deleting an item takes its children; their handles then find nothing.
    EXPECT_TRUE(tree.SelectItem(middle));
    parent.heard.clear();
    EXPECT_TRUE(tree.DeleteItem(boards));
    EXPECT_EQ(tree.GetCount(), 1u);
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);
    EXPECT_EQ(tree.GetItemText(evb), CString(L""));
    EXPECT_FALSE(tree.DeleteItem(evb));
    EXPECT_FALSE(tree.SelectItem(middle));
    EXPECT_EQ(std::ranges::count(parent.heard, TVN_DELETEITEMW, &Heard::code), 4);
    EXPECT_EQ(tree.GetRootItem(), links);
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(tree.GetRootItem(), nullptr);
    EXPECT_EQ(widget->topLevelItemCount(), 0);
}
