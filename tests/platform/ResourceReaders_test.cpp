// Accelerator tables, toolbar resources, dialog list contents (DLGINIT) and
// dialog menus, read from readers.rc as the resource step compiles it.
#include "platform/AcceleratorTable.h"
#include "platform/Dialog.h"
#include "platform/DlgInit.h"
#include "platform/Keyboard.h"
#include "platform/Menu.h"
#include "platform/Rect.h"
#include "platform/Resources.h"
#include "platform/ToolBarResource.h"
#include "platform/WidgetHandles.h"
#include "platform/data/readers_ids.h"
#include "support/RenderPng.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Records the commands that reach it, translating its accelerators first.
class CReaderDialog : public CDialog {
public:
    explicit CReaderDialog(UINT id) : CDialog(id) {}

    BOOL OnInitDialog() override {
        m_nComboAtInit = static_cast<int>(SendDlgItemMessageW(IDC_READER_COMBO, CB_GETCOUNT));
        return CDialog::OnInitDialog();
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        m_commands.push_back(wParam);
        return CDialog::OnCommand(wParam, lParam);
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (m_hAccel && TranslateAcceleratorW(m_hWnd, m_hAccel, pMsg))
            return TRUE;
        return CDialog::PreTranslateMessage(pMsg);
    }

    HACCEL m_hAccel = nullptr;
    int m_nComboAtInit = -1;
    std::vector<WPARAM> m_commands;
};

std::vector<std::wstring> ComboItems(HWND dlg) {
    std::vector<std::wstring> items;
    const auto count = SendDlgItemMessageW(dlg, IDC_READER_COMBO, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        SendDlgItemMessageW(dlg, IDC_READER_COMBO, CB_GETLBTEXT, static_cast<WPARAM>(i),
                            reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

std::vector<BYTE> Bytes(UINT id, LPCWSTR type) {
    const auto bytes = zx::ResourceBytes(nullptr, MAKEINTRESOURCEW(id), type);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::string> g_warnings;

void KeepWarning(QtMsgType, const QMessageLogContext&, const QString& text) {
    g_warnings.push_back(text.toStdString());
}

TEST(ResourceReaders, AcceleratorsTranslateTheirKeysAndNoOthers) {
    HACCEL table = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(IDR_READER_KEYS));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(CopyAcceleratorTableW(table, nullptr, 0), 5);
    ACCEL entries[5] = {};
    ASSERT_EQ(CopyAcceleratorTableW(table, entries, 5), 5);
    // windres stores "^D" as Ctrl with the virtual key D.
    EXPECT_TRUE(entries[3].fVirt == (FVIRTKEY | FCONTROL) && entries[3].key == 'D');

    CReaderDialog dlg(IDD_READER_LISTS);
    ASSERT_TRUE(dlg.Create(IDD_READER_LISTS));
    dlg.m_hAccel = table;
    QWidget* combo = zx::WidgetFromHandle(::GetDlgItem(dlg.m_hWnd, IDC_READER_COMBO));
    ASSERT_NE(combo, nullptr);
    using Commands = std::vector<WPARAM>;
    auto sent = [](WORD command) {
        return command ? Commands{MAKEWPARAM(command, 1)} : Commands{};
    };
    // Keys as the window system delivers them; modifiers must match exactly.
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier,
                                alt = Qt::AltModifier;
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers held;
        WORD command;
    } presses[] = {{Qt::Key_C, ctrl, ID_READER_COPY},
                   {Qt::Key_C, ctrl | shift, 0},
                   {Qt::Key_F5, shift | alt, ID_READER_REFRESH},
                   {Qt::Key_F5, shift, 0},
                   {Qt::Key_D, ctrl, ID_READER_CTRL_D},
                   {Qt::Key_B, {}, ID_READER_LOWER_B},
                   {Qt::Key_X, alt, ID_READER_ALT_X},
                   {Qt::Key_X, {}, 0}};
    for (const auto& press : presses) {
        dlg.m_commands.clear();
        QTest::keyClick(combo, press.key, press.held);
        EXPECT_EQ(dlg.m_commands, sent(press.command)) << press.key << " " << press.held;
    }
    EXPECT_EQ(GetKeyState(VK_MENU), 0);

    // Character messages as TranslateMessage makes them, from this table and
    // from one with a control character, as another resource compiler stores
    // "^D".
    entries[3] = ACCEL{0, 4, ID_READER_CTRL_D};
    HACCEL copy = CreateAcceleratorTableW(entries, 5);
    const struct {
        HACCEL table;
        UINT message;
        WPARAM key;
        WORD command;
    } messages[] = {{table, WM_CHAR, 'b', ID_READER_LOWER_B},  {table, WM_CHAR, 'B', 0},
                    {table, WM_SYSCHAR, 'X', ID_READER_ALT_X}, {table, WM_KEYUP, VK_F5, 0},
                    {copy, WM_CHAR, 4, ID_READER_CTRL_D},      {table, WM_CHAR, 4, 0}};
    for (const auto& m : messages) {
        dlg.m_commands.clear();
        MSG msg{dlg.m_hWnd, m.message, m.key, 0, 0, {}};
        EXPECT_EQ(TranslateAcceleratorW(dlg.m_hWnd, m.table, &msg), m.command ? 1 : 0);
        EXPECT_EQ(dlg.m_commands, sent(m.command)) << m.key;
    }
    // Destroyed tables translate nothing.
    EXPECT_TRUE(DestroyAcceleratorTable(copy));
    MSG msg{dlg.m_hWnd, WM_CHAR, 4, 0, 0, {}};
    EXPECT_EQ(TranslateAcceleratorW(dlg.m_hWnd, copy, &msg), 0);
    dlg.m_hAccel = nullptr;
    EXPECT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(DestroyAcceleratorTable(table));
    dlg.DestroyWindow();

    // Damaged tables: the end flag missing, records after it, a partial one.
    std::vector<BYTE> data = Bytes(IDR_READER_KEYS, RT_ACCELERATOR);
    ASSERT_EQ(data.size(), 40u);
    ASSERT_TRUE(zx::ParseAcceleratorTable(data));
    EXPECT_FALSE(zx::ParseAcceleratorTable({data.data(), 32}));
    EXPECT_FALSE(zx::ParseAcceleratorTable({data.data(), 39}));
    std::vector<BYTE> twoEnds = data;
    twoEnds[0] |= 0x80;
    EXPECT_FALSE(zx::ParseAcceleratorTable(twoEnds));
}

TEST(ResourceReaders, ToolbarButtonIdsReadBackInEitherForm) {
    const auto bar = zx::LoadToolBarResource(nullptr, MAKEINTRESOURCEW(IDR_READER_BAR));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->width, 16u);
    EXPECT_EQ(bar->height, 15u);
    EXPECT_EQ(bar->ids, (std::vector<UINT>{ID_READER_OPEN, 0, ID_READER_EXIT, ID_READER_ABOUT}));

    // MFC's own form: version 1, 16 x 15, two buttons.
    const std::vector<BYTE> mfc = {1, 0, 16, 0, 15, 0, 2, 0, 0xB9, 0x0B, 0, 0};
    const auto read = zx::ParseToolBarResource(mfc);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->ids, (std::vector<UINT>{3001, 0}));
    EXPECT_FALSE(zx::ParseToolBarResource({mfc.data(), mfc.size() - 1}));
    std::vector<BYTE> windres = Bytes(IDR_READER_BAR, RT_TOOLBAR);
    windres.push_back(0);
    EXPECT_FALSE(zx::ParseToolBarResource(windres));
}

TEST(ResourceReaders, DlgInitFillsListsBeforeInitDialogAndDamageIsLogged) {
    {
        CReaderDialog dlg(IDD_READER_LISTS);
        ASSERT_TRUE(dlg.Create(IDD_READER_LISTS));
        EXPECT_EQ(dlg.m_nComboAtInit, 4);
        EXPECT_EQ(ComboItems(dlg.m_hWnd),
                  (std::vector<std::wstring>{L"One", L"Two", L"Three", L"Four"}));
        ASSERT_EQ(dlg.SendDlgItemMessageW(IDC_READER_LIST, LB_GETCOUNT), 1);
        wchar_t text[16] = {};
        dlg.SendDlgItemMessageW(IDC_READER_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, L"Alpha");
        dlg.DestroyWindow();
    }
    {
        const QtMessageHandler previous = qInstallMessageHandler(KeepWarning);
        CReaderDialog dlg(IDD_READER_TRUNCATED);
        const BOOL created = dlg.Create(IDD_READER_TRUNCATED);
        qInstallMessageHandler(previous);
        ASSERT_TRUE(created);
        EXPECT_TRUE(ComboItems(dlg.m_hWnd).empty());
        EXPECT_EQ(g_warnings,
                  std::vector<std::string>{"DLGINIT 510 is damaged: its list items are left out"});
        dlg.DestroyWindow();
    }
    {
        CReaderDialog dlg(IDD_READER_NAMED);
        ASSERT_TRUE(dlg.Create(IDD_READER_NAMED));
        EXPECT_EQ(ComboItems(dlg.m_hWnd), std::vector<std::wstring>{L"One"});
        dlg.DestroyWindow();
    }
    // A record must hold its text's terminator, and the list its end.
    std::vector<BYTE> data = Bytes(IDD_READER_LISTS, RT_DLGINIT);
    ASSERT_TRUE(zx::ParseDlgInit(data));
    EXPECT_FALSE(zx::ParseDlgInit({data.data(), data.size() - 2}));
    std::vector<BYTE> unterminated = data;
    unterminated[11] = 'x'; // the 0 after "One"
    EXPECT_FALSE(zx::ParseDlgInit(unterminated));
}

TEST(ResourceReaders, DialogMenuShowsAboveTheClientAreaAndSendsCommands) {
    CReaderDialog dlg(IDD_READER_LISTS);
    ASSERT_TRUE(dlg.Create(IDD_READER_LISTS));
    dlg.ShowWindow(SW_SHOW);
    CMenu* menu = dlg.GetMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetMenuItemCount(), 2u);
    const HMENU hmenu = menu->GetSafeHmenu();

    // The client area is the template's size, below the bar; controls keep
    // their places in it.
    CRect client;
    dlg.GetClientRect(&client);
    CRect templateRect(0, 0, 180, 90);
    dlg.MapDialogRect(&templateRect);
    EXPECT_EQ(client.Height(), templateRect.Height());
    CRect comboRect;
    ::GetWindowRect(::GetDlgItem(dlg.m_hWnd, IDC_READER_COMBO), &comboRect);
    dlg.ScreenToClient(&comboRect);
    CRect expected(7, 7, 107, 67);
    dlg.MapDialogRect(&expected);
    EXPECT_EQ(comboRect.TopLeft(), expected.TopLeft());

    QMenuBar* bar = zx::WindowMenuBar(dlg.m_hWnd);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());

    const std::string png = zxtest::RenderPng(dlg.m_hWnd, "dialog_menu_bar");
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());

    // A click on "File", then on "Open...".
    QAction* file = bar->actions().value(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->text(), "&File");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file).center());
    QMenu* popup = file->menu();
    ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }, 5000));
    const QList<QAction*> items = popup->actions();
    const auto open = std::find_if(items.begin(), items.end(),
                                   [](QAction* action) { return action->text() == "&Open..."; });
    ASSERT_NE(open, items.end());
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(*open).center());
    EXPECT_EQ(dlg.m_commands, std::vector<WPARAM>{MAKEWPARAM(ID_READER_OPEN, 0)});

    // The window's menu goes with it.
    dlg.DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(IsMenu(hmenu));
}

} // namespace
