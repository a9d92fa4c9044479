// The control classes on real control windows: what the user does reaches
// the parent window as WM_COMMAND notifications (and what the program does
// does not), and the classes' methods drive the controls.

#include "platform/Button.h"
#include "platform/ComboBox.h"
#include "platform/Edit.h"
#include "platform/Font.h"
#include "platform/Rect.h"
#include "platform/RichEditCtrl.h"
#include "platform/Static.h"
#include "platform/rc/zxres.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

struct Notification {
    int id;
    int code;
    HWND from;
};

class CParent : public CWnd {
public:
    std::vector<Notification> heard;

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        heard.push_back({LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
        return TRUE;
    }
    int count(int id, int code) const {
        int n = 0;
        for (const auto& h : heard)
            n += h.id == id && h.code == code;
        return n;
    }
};

struct Controls : ::testing::Test {
    CParent parent;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, L"ZxWindow", L"Controls", WS_POPUP | WS_VISIBLE,
                                    CRect(0, 0, 420, 300), nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
};

CString TextOf(CWnd& window) {
    CString text;
    window.GetWindowTextW(text);
    return text;
}

void Key(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

TEST_F(Controls, ButtonClicksReachTheParentAndOnlyAutoBoxesCheckThemselves) {
    CButton push, autoBox, manualBox;
    ASSERT_TRUE(push.Create(L"&Load", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON,
                            CRect(10, 10, 90, 33), &parent, 1));
    ASSERT_TRUE(autoBox.Create(L"Filter", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                               CRect(10, 40, 150, 56), &parent, 1028));
    ASSERT_TRUE(manualBox.Create(L"Manual", WS_CHILD | WS_VISIBLE | BS_CHECKBOX,
                                 CRect(10, 60, 150, 76), &parent, 1029));
    qobject_cast<QPushButton*>(push.GetWidget())->click();
    push.Click();
    EXPECT_EQ(parent.count(1, BN_CLICKED), 2);
    ASSERT_FALSE(parent.heard.empty());
    EXPECT_EQ(parent.heard.back().from, push.GetSafeHwnd());

    auto* box = qobject_cast<QCheckBox*>(autoBox.GetWidget());
    ASSERT_NE(box, nullptr);
    box->click();
    EXPECT_EQ(autoBox.GetCheck(), BST_CHECKED);
    EXPECT_EQ(parent.count(1028, BN_CLICKED), 1);
    autoBox.SetCheck(BST_UNCHECKED); // the program's change is not notified
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(parent.count(1028, BN_CLICKED), 1);

    manualBox.Click();
    EXPECT_EQ(parent.count(1029, BN_CLICKED), 1);
    EXPECT_EQ(manualBox.GetCheck(), BST_UNCHECKED); // its owner decides
    manualBox.SetCheck(BST_CHECKED);
    manualBox.Click();
    EXPECT_EQ(manualBox.GetCheck(), BST_CHECKED);
}

TEST_F(Controls, OnlyTheUsersComboChoiceIsASelectionChange) {
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL,
                             CRect(10, 10, 200, 200), &parent, 1017));
    for (const wchar_t* text : {L"Pelmarin EVB", L"Pelmarin DK", L"Simulated board"})
        combo.AddString(text);
    combo.SetItemData(2, 42);
    EXPECT_EQ(combo.SelectString(-1, L"pelmarin e"), 1);
    EXPECT_EQ(parent.count(1017, CBN_SELCHANGE), 0);

    Key(combo.GetWidget(), Qt::Key_Down); // the user moves to the next item
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(combo.GetItemData(combo.GetCurSel()), 42u);
    EXPECT_EQ(parent.count(1017, CBN_SELCHANGE), 1);
    CString text;
    combo.GetLBText(combo.GetCurSel(), text);
    EXPECT_EQ(text, L"Simulated board");
    combo.GetLBText(9, text);
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(Controls, StaticsKeepTheirMnemonicsAndNotifyClicksOnlyWhenAsked) {
    CStatic plain, notify;
    ASSERT_TRUE(
        plain.Create(L"&Plain", WS_CHILD | WS_VISIBLE, CRect(10, 110, 100, 125), &parent, 1031));
    ASSERT_TRUE(notify.Create(L"Notify", WS_CHILD | WS_VISIBLE | SS_NOTIFY,
                              CRect(10, 130, 100, 145), &parent, 1032));
    EXPECT_EQ(qobject_cast<QLabel*>(plain.GetWidget())->text(), QStringLiteral("Plain"));
    plain.SetWindowTextW(L"&Other && more");
    EXPECT_EQ(qobject_cast<QLabel*>(plain.GetWidget())->text(), QStringLiteral("Other & more"));
    EXPECT_EQ(TextOf(plain), L"&Other && more"); // the text keeps its mnemonic marks
    for (CStatic* s : {&plain, &notify}) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(s->GetWidget(), &release);
    }
    EXPECT_EQ(parent.count(1031, STN_CLICKED), 0);
    EXPECT_EQ(parent.count(1032, STN_CLICKED), 1);
}

void Type(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
    }
}

// The limit of EM_SETLIMITTEXT stops typing only; WM_SETTEXT leaves the
// caret at the start; EN_UPDATE comes before each EN_CHANGE, and a
// multi-line edit sends neither EN_CHANGE nor anything else for WM_SETTEXT
// but EN_UPDATE.
TEST_F(Controls, EditsLimitTypingOnlyAndNotifyAsWindowsDoes) {
    CEdit single;
    ASSERT_TRUE(
        single.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 200, 30), &parent, 1040));
    EXPECT_EQ(single.GetLimitText(), 30000u);
    single.SetLimitText(4);
    EXPECT_EQ(single.GetLimitText(), 4u);
    single.SetWindowTextW(L"abcdefgh");
    EXPECT_EQ(TextOf(single), L"abcdefgh");
    int start = -1, end = -1;
    single.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
    ASSERT_GE(parent.heard.size(), 2u);
    EXPECT_EQ(parent.heard[parent.heard.size() - 2].code, EN_UPDATE);
    EXPECT_EQ(parent.heard.back().code, EN_CHANGE);
    single.SetWindowTextW(L"ab");
    Type(single.GetWidget(), QStringLiteral("xyz"));
    EXPECT_EQ(TextOf(single), L"xyab"); // the third key found the control full
    EXPECT_EQ(parent.count(1040, EN_CHANGE), 4);
    EXPECT_EQ(parent.count(1040, EN_UPDATE), 4);
    single.SetSel(4, 4);
    single.ReplaceSel(L"123");
    EXPECT_EQ(TextOf(single), L"xyab");
    single.LimitText(0);
    EXPECT_EQ(single.GetLimitText(), 0x7FFFFFFEu);
    single.SetSel(1, 2);
    single.ReplaceSel(L"XY");
    EXPECT_EQ(TextOf(single), L"xXYab");
    EXPECT_EQ(single.GetLineCount(), 1);
    single.SetReadOnly(TRUE);
    EXPECT_TRUE(qobject_cast<QLineEdit*>(single.GetWidget())->isReadOnly());

    CEdit multi;
    ASSERT_TRUE(multi.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN,
                             CRect(10, 40, 200, 100), &parent, 1041));
    multi.SetLimitText(6);
    multi.SetWindowTextW(L"one\r\ntwo\r\nthree");
    EXPECT_EQ(TextOf(multi), L"one\r\ntwo\r\nthree");
    EXPECT_EQ(multi.GetLineCount(), 3);
    wchar_t line[16] = {};
    EXPECT_EQ(multi.GetLine(1, line, 15), 3);
    EXPECT_EQ(std::wstring(line, 3), L"two");
    multi.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
    EXPECT_EQ(parent.count(1041, EN_UPDATE), 1);
    Type(multi.GetWidget(), QStringLiteral("x"));
    EXPECT_EQ(TextOf(multi), L"one\r\ntwo\r\nthree");
    EXPECT_EQ(parent.count(1041, EN_CHANGE), 0);
    multi.SetWindowTextW(L"ab\r\n");
    Type(multi.GetWidget(), QStringLiteral("xyz")); // "xyab" CR LF is six
    EXPECT_EQ(TextOf(multi), L"xyab\r\n");
    EXPECT_EQ(parent.count(1041, EN_CHANGE), 2);
    EXPECT_EQ(parent.count(1041, EN_UPDATE), 4);
    multi.LimitText(0);
    EXPECT_EQ(multi.GetLimitText(), 0xFFFFFFFFu);
}

TEST_F(Controls, RichEditMethodsReportChangesOnlyWhenAskedAndTakeFonts) {
    CRichEditCtrl rich;
    ASSERT_TRUE(rich.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_VSCROLL,
                            CRect(10, 40, 400, 200), &parent, 1013));
    std::string_view source = "{\\rtf1 Features of <target1>\\par line two}";
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&source), 0,
                  [](DWORD_PTR cookie, BYTE* buffer, LONG size, LONG* got) -> DWORD {
                      auto* rest = reinterpret_cast<std::string_view*>(cookie);
                      *got = static_cast<LONG>(rest->copy(reinterpret_cast<char*>(buffer), size));
                      rest->remove_prefix(static_cast<size_t>(*got));
                      return 0;
                  }};
    EXPECT_EQ(rich.StreamIn(0x12, es), 30);
    EXPECT_EQ(rich.GetTextLength(), 31); // the paragraph end counts as CR LF
    EXPECT_EQ(rich.GetLineCount(), 2);
    EXPECT_EQ(rich.LineIndex(1), 22);
    EXPECT_EQ(rich.LineFromChar(25), 1);
    wchar_t buffer[201] = {};
    const int n = rich.GetLine(0, buffer, 200);
    EXPECT_EQ(std::wstring(buffer, static_cast<size_t>(n)), L"Features of <target1>\r");
    FINDTEXTEXW find{{0, -1}, L"<target1>", {}};
    EXPECT_EQ(rich.FindText(FR_DOWN, &find), 12);
    rich.SetSel(find.chrgText.cpMin, find.chrgText.cpMax);
    rich.ReplaceSel(L"the board");
    CString all;
    EXPECT_EQ(rich.GetTextRange(0, -1, all), 30);
    EXPECT_EQ(all, L"Features of the board\rline two");
    long start = 0, end = 0;
    rich.SetSel(0, -1);
    rich.GetSel(start, end);
    EXPECT_EQ(end, 30);
    rich.SetReadOnly(FALSE);
    rich.Clear();
    EXPECT_EQ(rich.GetTextLength(), 0);

    // Changes are reported only when the event mask asks for them.
    rich.ReplaceSel(L"quiet");
    EXPECT_EQ(parent.count(1013, EN_CHANGE), 0);
    EXPECT_EQ(rich.SetEventMask(ENM_CHANGE), ENM_NONE);
    rich.ReplaceSel(L" loud");
    EXPECT_EQ(parent.count(1013, EN_CHANGE), 1);
    EXPECT_EQ(rich.GetEventMask(), ENM_CHANGE);

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(120, L"Tahoma"));
    rich.SetFont(&font);
    EXPECT_EQ(reinterpret_cast<HFONT>(rich.SendMessageW(WM_GETFONT)), font.GetSafeHandle());
    EXPECT_EQ(rich.GetWidget()->font().pixelSize(), 16);
}

} // namespace
