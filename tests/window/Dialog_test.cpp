#include "platform/Brush.h"
#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"
#include "platform/Resources.h"
#include "support/RenderPng.h"
#include "window/data/window_ids.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <span>
#include <vector>

namespace {

zx::DialogTemplate ReadTemplate(UINT id) {
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_DIALOG);
    EXPECT_NE(res, nullptr);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    auto dlg = zx::ParseDialogTemplate(std::span<const BYTE>(bytes, SizeofResource(nullptr, res)));
    EXPECT_TRUE(dlg.has_value());
    return dlg.value_or(zx::DialogTemplate{});
}

QWidget* Item(HWND dlg, int id) {
    return zx::WidgetFromHandle(::GetDlgItem(dlg, id));
}

void Click(HWND dlg, int id) {
    auto* button = qobject_cast<QAbstractButton*>(Item(dlg, id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

void Key(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(CWnd* parent = nullptr) : CDialog(IDD_WIN_MODAL, parent) {}

    CWnd m_cCombo;
    int m_iSelection = 1;
    int m_bFilter = 0;
    int m_nInit = 0;
    int m_nOk = 0;

    BOOL OnInitDialog() override {
        ++m_nInit;
        for (const wchar_t* text : {L"Zero", L"One", L"Two"})
            SendDlgItemMessageW(IDC_WIN_COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        return CDialog::OnInitDialog();
    }
    void OnOK() override {
        ++m_nOk;
        CDialog::OnOK();
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_WIN_COMBO, m_cCombo);
        DDX_CBIndex(pDX, IDC_WIN_COMBO, m_iSelection);
        DDX_Check(pDX, IDC_WIN_CHECK, m_bFilter);
    }
};

} // namespace

// Every control of the template is a child window of the kind, id, place,
// styles and text the template gives it.
TEST(Dialog, BuildsTemplateControlsAsWindowsAndEndsModelessByHiding) {
    const zx::DialogTemplate tpl = ReadTemplate(IDD_WIN_MODAL);
    ASSERT_EQ(tpl.items.size(), 10u);
    CTestDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_WIN_MODAL));
    HWND hwnd = dlg.GetSafeHwnd();
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(dlg.m_nInit, 1);

    wchar_t cls[64];
    ASSERT_GT(GetClassNameW(hwnd, cls, 64), 0);
    EXPECT_STREQ(cls, L"#32770");
    CString text;
    dlg.GetWindowTextW(text);
    EXPECT_EQ(text, L"Window test");
    // No WS_VISIBLE in the template: created hidden.
    EXPECT_FALSE(dlg.IsWindowVisible());

    const QSize units = zx::FontRegistry::baseUnits(zx::DialogBuilder::dialogFont(tpl));
    const std::map<DWORD, std::wstring> classes = {
        {IDC_WIN_COMBO, L"ComboBox"}, {IDC_WIN_CHECK, L"Button"},
        {IDC_WIN_GROUP, L"Button"},   {IDC_WIN_EDIT, L"Edit"},
        {IDC_WIN_TEXT, L"Static"},    {IDC_WIN_PROGRESS, L"msctls_progress32"},
        {IDC_WIN_FRAME, L"Static"},   {IDOK, L"Button"},
        {IDCANCEL, L"Button"},        {IDC_WIN_APPLY, L"Button"}};
    for (const zx::DialogItem& item : tpl.items) {
        CWnd* control = dlg.GetDlgItem(static_cast<int>(item.id));
        ASSERT_NE(control, nullptr) << item.id;
        EXPECT_EQ(control->GetDlgCtrlID(), static_cast<int>(item.id));
        ASSERT_GT(GetClassNameW(control->GetSafeHwnd(), cls, 64), 0);
        EXPECT_EQ(std::wstring(cls), classes.at(item.id)) << item.id;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control->GetSafeHwnd(), GWL_STYLE)), item.style)
            << item.id;
        EXPECT_EQ(control->GetParent(), &dlg);
    }
    // Controls are placed by the builder; the dialog takes the template's size.
    CRect client;
    dlg.GetClientRect(&client);
    const QRect size = zx::DialogBuilder::toPixels(units, 0, 0, 220, 130);
    EXPECT_EQ(client.Size(), CSize(size.width(), size.height()));

    dlg.GetDlgItemTextW(IDOK, text);
    EXPECT_EQ(text, L"OK");
    dlg.GetDlgItemTextW(IDC_WIN_TEXT, text);
    EXPECT_EQ(text, L"Progress of the run:");
    EXPECT_FALSE(dlg.GetDlgItem(IDC_WIN_APPLY)->IsWindowEnabled());
    EXPECT_TRUE(dlg.GetDlgItem(IDOK)->IsWindowEnabled());
    EXPECT_EQ(LOWORD(dlg.GetDefID()), IDOK);
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);

    // The base OnInitDialog pushed the members into the controls, and
    // DDX_Control gave the member the dialog's control.
    EXPECT_EQ(dlg.SendDlgItemMessageW(IDC_WIN_COMBO, CB_GETCURSEL), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_WIN_CHECK), 0u);
    EXPECT_EQ(dlg.GetDlgItem(IDC_WIN_COMBO), &dlg.m_cCombo);

    dlg.ShowWindow(SW_SHOW);
    EXPECT_FALSE(zxtest::RenderPng(hwnd, "window_dialog").empty());

    // Ending a modeless dialog only hides it.
    ASSERT_TRUE(dlg.IsWindowVisible());
    dlg.EndDialog(IDOK);
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_TRUE(IsWindow(hwnd));
}

TEST(Dialog, ModalEndsThroughOkAndCancel) {
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, L"Main", L"Main", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200),
                              nullptr, 0));
    zx::SetMainWnd(&main);

    {
        CTestDialog dlg;
        bool mainDisabled = false;
        int shownSelection = -1;
        QTimer::singleShot(0, [&] {
            mainDisabled = !main.IsWindowEnabled();
            auto* combo = qobject_cast<QComboBox*>(Item(dlg.GetSafeHwnd(), IDC_WIN_COMBO));
            shownSelection = combo->currentIndex();
            combo->setCurrentIndex(2);
            qobject_cast<QCheckBox*>(Item(dlg.GetSafeHwnd(), IDC_WIN_CHECK))->setChecked(true);
            Click(dlg.GetSafeHwnd(), IDOK);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_TRUE(mainDisabled);
        EXPECT_TRUE(main.IsWindowEnabled());
        EXPECT_EQ(shownSelection, 1);
        // OnOK saved the controls into the members before the window went.
        EXPECT_EQ(dlg.m_iSelection, 2);
        EXPECT_EQ(dlg.m_bFilter, 1);
        EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    }
    {
        CTestDialog dlg;
        HWND seen = nullptr, parent = nullptr;
        QTimer::singleShot(0, [&] {
            seen = dlg.GetSafeHwnd();
            parent = ::GetParent(seen);
            Click(seen, IDCANCEL);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(parent, main.GetSafeHwnd()); // no parent given: the main window
        EXPECT_FALSE(IsWindow(seen));
        EXPECT_EQ(dlg.m_nOk, 0);
    }
    {
        // The keyboard: Enter presses the default button, Escape cancels.
        CTestDialog enter;
        QTimer::singleShot(0,
                           [&] { Key(Item(enter.GetSafeHwnd(), IDC_WIN_COMBO), Qt::Key_Return); });
        EXPECT_EQ(enter.DoModal(), IDOK);
        EXPECT_EQ(enter.m_nOk, 1);
        CTestDialog escape;
        QTimer::singleShot(0,
                           [&] { Key(Item(escape.GetSafeHwnd(), IDC_WIN_CHECK), Qt::Key_Escape); });
        EXPECT_EQ(escape.DoModal(), IDCANCEL);
        EXPECT_EQ(escape.m_nOk, 0);
        CTestDialog ended;
        QTimer::singleShot(0, [&] { ended.EndDialog(42); });
        EXPECT_EQ(ended.DoModal(), 42);
    }
    {
        // A quit request ends the dialog and stays queued for the loop outside.
        CTestDialog quitted;
        QTimer::singleShot(0, [] { PostQuitMessage(3); });
        EXPECT_EQ(quitted.DoModal(), -1);
        EXPECT_EQ(quitted.GetSafeHwnd(), nullptr);
        MSG msg{};
        ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, WM_QUIT);
        EXPECT_EQ(msg.wParam, 3u);

        // A WM_QUIT posted to a dialog is no message of its own: it ends the
        // nested dialogs one after the other and is still there afterwards.
        CTestDialog outer, inner;
        INT_PTR innerResult = 0;
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [&] { PostMessageW(inner.GetSafeHwnd(), WM_QUIT, 5, 0); });
            innerResult = inner.DoModal();
        });
        EXPECT_EQ(outer.DoModal(), -1);
        EXPECT_EQ(innerResult, -1);
        EXPECT_EQ(inner.m_nOk + outer.m_nOk, 0);
        ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, WM_QUIT);
        EXPECT_EQ(msg.wParam, 5u);
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    }
    zx::SetMainWnd(nullptr);
}

TEST(Dialog, ChildTemplatesEmbedInTheMainWindow) {
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, L"Main", L"Main", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200),
                              nullptr, 0));
    zx::SetMainWnd(&main);
    // A plain DLGTEMPLATE with WS_CHILD | WS_VISIBLE, without a parent: a
    // visible child of the main window at its template place.
    CDialog child(IDD_WIN_CHILD);
    ASSERT_TRUE(child.Create(IDD_WIN_CHILD));
    EXPECT_EQ(child.GetParent(), &main);
    EXPECT_TRUE(child.IsWindowVisible());
    CRect rect;
    child.GetWindowRect(&rect);
    main.ScreenToClient(&rect);
    const QSize units = zx::FontRegistry::baseUnits(zx::FontRegistry::font("Tahoma", 8));
    EXPECT_EQ(rect.TopLeft(), CPoint(zx::DialogBuilder::toPixels(units, 10, 20, 0, 0).left(),
                                     zx::DialogBuilder::toPixels(units, 10, 20, 0, 0).top()));
    zx::SetMainWnd(nullptr);
    // A template that does not exist: no window, a failure.
    CDialog missing(4711);
    EXPECT_FALSE(missing.Create(4711));
    EXPECT_EQ(missing.DoModal(), -1);
}

namespace {

// Colours, background, painting and cursor handlers, as the library's main
// area writes them.
class CColourDialog : public CDialog {
public:
    CColourDialog() : CDialog(IDD_WIN_MODAL), m_brush(RGB(0xFF, 0xFF, 0x00)) {}
    CBrush m_brush;
    int m_nErase = 0;
    int m_nPaint = 0;
    int m_nCursor = 0;
    std::vector<UINT> m_kinds;

protected:
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
        m_kinds.push_back(nCtlColor);
        const HBRUSH standard = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
        wchar_t cls[MAX_PATH];
        if (!GetClassNameW(pWnd->GetSafeHwnd(), cls, MAX_PATH) || std::wstring(cls) == L"Edit" ||
            std::wstring(cls) == L"ComboBox")
            return standard;
        pDC->SetBkColor(RGB(0xFF, 0xFF, 0x00));
        return m_brush;
    }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC) {
        ++m_nErase;
        CRect rect;
        GetClientRect(&rect);
        pDC->FillRect(&rect, &m_brush);
        return TRUE;
    }
    afx_msg void OnPaint() { ++m_nPaint; }
    afx_msg BOOL OnSetCursor(CWnd*, UINT nHitTest, UINT message) {
        ++m_nCursor;
        EXPECT_EQ(nHitTest, static_cast<UINT>(HTCLIENT));
        EXPECT_EQ(message, static_cast<UINT>(WM_MOUSEMOVE));
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourDialog, CDialog)
ON_WM_CTLCOLOR()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

} // namespace

TEST(Dialog, ColoursPaintingAndCursorGoThroughTheMessageMap) {
    CColourDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_WIN_MODAL));
    dlg.ShowWindow(SW_SHOW);
    // Every control that asks, and the dialog itself.
    for (UINT kind : {CTLCOLOR_STATIC, CTLCOLOR_DLG, CTLCOLOR_BTN})
        EXPECT_NE(std::find(dlg.m_kinds.begin(), dlg.m_kinds.end(), kind), dlg.m_kinds.end());
    const QColor yellow(0xFF, 0xFF, 0x00);
    EXPECT_EQ(Item(dlg.GetSafeHwnd(), IDC_WIN_TEXT)->palette().color(QPalette::Window), yellow);
    EXPECT_NE(Item(dlg.GetSafeHwnd(), IDC_WIN_EDIT)->palette().color(QPalette::Base), yellow);

    const std::string png = zxtest::RenderPng(dlg.GetSafeHwnd(), "window_dialog_coloured");
    ASSERT_FALSE(png.empty());
    EXPECT_GE(dlg.m_nErase, 1);
    EXPECT_GE(dlg.m_nPaint, 1);
    // The background the erase handler painted is what the user sees.
    const QImage picture(QString::fromStdString(png));
    EXPECT_EQ(picture.pixelColor(picture.width() - 2, picture.height() / 2 + 3), yellow);

    QWidget* text = Item(dlg.GetSafeHwnd(), IDC_WIN_TEXT);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(text, &enter);
    EXPECT_EQ(dlg.m_nCursor, 1);
    EXPECT_EQ(text->cursor().shape(), Qt::PointingHandCursor);
}
