#include "platform/Dialog.h"
#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"
#include "platform/ResImage.h"
#include "platform/WidgetHandles.h"
#include "platform/rc/zxres.h"

#include "support/OwnResources.h"
#include "support/RenderPng.h"
#include <QAbstractButton>
#include <QComboBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

// Templates are laid out in dialog units of their font, measured from the face
// actually shown: Tahoma 8 and MS Sans Serif 8 both give 6 x 13 pixels on
// Windows; anything else distorts every dialog.
TEST(DialogBuilder, BaseUnitsFollowTheFaceShown) {
    if (!zx::FontRegistry::ensureRegistered("Tahoma") ||
        !zx::FontRegistry::ensureRegistered("MS Sans Serif")) {
        GTEST_SKIP() << "Tahoma or MS Sans Serif (fonts-wine) is not installed";
    }
    EXPECT_EQ(zx::FontRegistry::baseUnits(zx::FontRegistry::font("Tahoma", 8)), QSize(6, 13));
    const QFont sans = zx::FontRegistry::font("MS Sans Serif", 8);
    EXPECT_EQ(QFontInfo(sans).family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(zx::FontRegistry::baseUnits(sans), QSize(6, 13));
    // The names Windows substitutes: MS Shell Dlg 2 is Tahoma, MS Shell Dlg
    // and Helv are MS Sans Serif.
    EXPECT_EQ(zx::FontRegistry::familyFor("MS Shell Dlg 2"), QStringLiteral("Tahoma"));
    EXPECT_EQ(zx::FontRegistry::familyFor("ms shell dlg"), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(zx::FontRegistry::familyFor("Helv"), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(zx::FontRegistry::familyFor("Courier New"), QStringLiteral("Courier New"));
    if (zx::FontRegistry::ensureRegistered("System")) {
        EXPECT_EQ(QFontInfo(zx::FontRegistry::font("System", 10)).family(),
                  QStringLiteral("System"));
    }

    // A DIALOGEX with DS_SHELLFONT that names MS Shell Dlg is shown in
    // Tahoma; without DS_SHELLFONT in MS Sans Serif.
    zx::DialogTemplate shell;
    shell.extended = true;
    shell.style = DS_SHELLFONT;
    shell.font = zx::DialogFont{8, 400, false, 0, L"MS Shell Dlg"};
    EXPECT_EQ(zx::DialogBuilder::dialogFont(shell).families().front(), QStringLiteral("Tahoma"));
    shell.style = DS_SETFONT;
    EXPECT_EQ(zx::DialogBuilder::dialogFont(shell).families().front(),
              QStringLiteral("MS Sans Serif"));

    auto dlg = zx::ParseDialogTemplate(zxtest::OwnResource(zx::kRtDialog, 43));
    ASSERT_TRUE(dlg.has_value());
    const auto dialog = zx::DialogBuilder::build(*dlg);
    EXPECT_EQ(QFontInfo(dialog->font()).family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(dialog->size(), QSize(270, 130)); // 180 x 80 units at 6 x 13
    zxtest::RenderPng(dialog.get(), "builder_ms_sans_serif");
    // The group box's title sits one average character in, as on Windows.
    auto* link = zx::DialogBuilder::control(dialog.get(), 4003);
    ASSERT_NE(link, nullptr);
    const QImage frame = link->grab().toImage();
    int inked = 0;
    for (int x = 0; x < 40; ++x) {
        for (int y = 0; y < 5; ++y)
            inked += frame.pixel(x, y) == link->palette().color(QPalette::WindowText).rgb();
    }
    EXPECT_GT(inked, 5) << "no title drawn";

    // MulDiv rounding: 7 units across is 10.5 pixels, which rounds up.
    EXPECT_EQ(zx::DialogBuilder::toPixels(QSize(6, 13), 7, 5, 50, 14), QRect(11, 8, 75, 23));
    EXPECT_EQ(zx::DialogBuilder::toPixels(QSize(6, 13), -7, 0, 0, 0).left(), -11);
}

TEST(DialogBuilder, BuildsEveryControlAtItsConvertedRectangle) {
    const auto parsed = zx::ParseDialogTemplate(zxtest::OwnResource(zx::kRtDialog, 40));
    ASSERT_TRUE(parsed.has_value());
    const zx::DialogTemplate& dlg = *parsed;
    ASSERT_EQ(dlg.items.size(), 18u);
    const auto dialog = zx::DialogBuilder::build(dlg);
    const QSize units = zx::FontRegistry::baseUnits(zx::DialogBuilder::dialogFont(dlg));
    EXPECT_EQ(dialog->size(), zx::DialogBuilder::toPixels(units, 0, 0, 200, 150).size());

    for (const zx::DialogItem& item : dlg.items) {
        QWidget* w = zx::DialogBuilder::control(dialog.get(), item.id);
        ASSERT_NE(w, nullptr) << item.id;
        EXPECT_EQ(zx::DialogBuilder::controlId(w), item.id);
        const QRect place = zx::DialogBuilder::toPixels(units, item.x, item.y, item.cx, item.cy);
        EXPECT_EQ(w->pos(), place.topLeft()) << item.id;
        EXPECT_EQ(w->width(), place.width()) << item.id;
        if (item.id != 1004) { // the combo box, one line high
            EXPECT_EQ(w->height(), place.height()) << item.id;
        }
    }

    const auto control = [&](DWORD id) { return zx::DialogBuilder::control(dialog.get(), id); };
    // The widget each control becomes; a class this build does not know
    // still opens, as a frame (1009).
    const std::pair<DWORD, const char*> classes[] = {
        {1, "QPushButton"},     {1001, "QCheckBox"},    {1002, "QGroupBox"},
        {1003, "QLineEdit"},    {1004, "QComboBox"},    {1005, "QLabel"},
        {1006, "QProgressBar"}, {1007, "QTextEdit"},    {1009, "QFrame"},
        {1010, "QLineEdit"},    {1011, "QLabel"},       {1012, "QRadioButton"},
        {1013, "QRadioButton"}, {1014, "QRadioButton"}, {1015, "QRadioButton"},
        {1016, "QProgressBar"}};
    for (const auto& [id, name] : classes)
        ASSERT_TRUE(control(id)->inherits(name)) << id << " is no " << name;
    EXPECT_EQ(control(4242), nullptr);

    auto* ok = static_cast<QPushButton*>(control(1));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), QStringLiteral("&OK"));
    EXPECT_FALSE(control(2)->isEnabled());
    auto* edit = static_cast<QLineEdit*>(control(1003));
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_TRUE(edit->hasFrame()); // EDITTEXT has a border unless told otherwise
    EXPECT_FALSE(static_cast<QLineEdit*>(control(1010))->hasFrame());
    EXPECT_EQ(static_cast<QLabel*>(control(1011))->frameShape(), QFrame::Box);
    auto* label = static_cast<QLabel*>(control(1005));
    EXPECT_EQ(label->text(), QStringLiteral("Fish & chips"));
    EXPECT_EQ(label->frameShape(), QFrame::NoFrame);
    auto* smooth = static_cast<QProgressBar*>(control(1006));
    auto* blocks = static_cast<QProgressBar*>(control(1016));
    // Without PBS_SMOOTH the bar is drawn in blocks, as Windows draws it.
    EXPECT_TRUE(smooth->styleSheet().isEmpty());
    EXPECT_TRUE(blocks->styleSheet().contains(QStringLiteral("::chunk")));
    smooth->setValue(60);
    blocks->setValue(60);
    zxtest::RenderPng(dialog.get(), "builder_dialog");
    EXPECT_TRUE(static_cast<QTextEdit*>(control(1007))->isReadOnly());
    EXPECT_TRUE(control(1008)->isHidden());

    // A drop-down combo box is one line high, whatever its list's height.
    EXPECT_LT(control(1004)->height(), units.height() * 2);
    EXPECT_FALSE(static_cast<QComboBox*>(control(1004))->isEditable());

    // Radio buttons exclude each other within their WS_GROUP group only.
    auto radio = [&](DWORD id) { return static_cast<QRadioButton*>(control(id)); };
    radio(1012)->click();
    radio(1014)->click();
    radio(1013)->click();
    EXPECT_FALSE(radio(1012)->isChecked());
    EXPECT_TRUE(radio(1013)->isChecked());
    EXPECT_TRUE(radio(1014)->isChecked());
}

// As on Windows, clicks pass through group boxes and texts to what lies under
// them: a user's click on any check box or radio button, wherever it sits in
// the template, reaches it.
TEST(DialogBuilder, ClicksReachEveryButtonThroughGroupBoxesAndTexts) {
    auto dlg = zx::ParseDialogTemplate(zxtest::OwnResource(zx::kRtDialog, 41));
    ASSERT_TRUE(dlg.has_value());
    const auto dialog = zx::DialogBuilder::build(*dlg);
    dialog->show();
    const QSize units = zx::FontRegistry::baseUnits(zx::DialogBuilder::dialogFont(*dlg));
    // Through the window layer, whose controls are windows with their own
    // z-order: the window under the mouse is the button, and the button's
    // window reports its new state.
    CDialog window;
    ASSERT_TRUE(window.CreateIndirect(*dlg));
    QWidget* shown = window.GetWidget();
    shown->show();
    int toggled = 0;
    for (const zx::DialogItem& item : dlg->items) {
        const HWND control = ::GetDlgItem(window.GetSafeHwnd(), static_cast<int>(item.id));
        if (!qobject_cast<QAbstractButton*>(zx::WidgetFromHandle(control)))
            continue;
        const QPoint centre =
            zx::DialogBuilder::toPixels(units, item.x, item.y, item.cx, item.cy).center();
        QWidget* hit = shown->childAt(centre);
        ASSERT_EQ(zx::WindowFromWidget(hit), control) << "control " << item.id << " is covered";
        const UINT before = ::IsDlgButtonChecked(window.GetSafeHwnd(), static_cast<int>(item.id));
        QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(shown, centre));
        const UINT after = ::IsDlgButtonChecked(window.GetSafeHwnd(), static_cast<int>(item.id));
        EXPECT_NE(after, before) << "control " << item.id;
        toggled += after == BST_CHECKED ? 1 : 0;
    }
    EXPECT_EQ(toggled, 9);
    // Radio buttons of one group still exclude each other.
    EXPECT_EQ(::IsDlgButtonChecked(window.GetSafeHwnd(), 2004), BST_UNCHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(window.GetSafeHwnd(), 2006), BST_CHECKED);
    window.DestroyWindow();

    // A group box is a frame whose top line runs through its title, not a
    // filled panel: inside and above the line, the dialog shows through.
    auto* group = zx::DialogBuilder::control(dialog.get(), 2013);
    const QImage image = group->grab().toImage();
    const QColor background = group->palette().color(QPalette::Window);
    const int line = QFontMetrics(group->font()).height() / 2;
    const int x = image.width() - 8; // right of the title
    EXPECT_EQ(image.pixel(x, line), group->palette().color(QPalette::Mid).rgb());
    EXPECT_EQ(image.pixel(x, line - 2), background.rgb());
    EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), background.rgb());

    // A list box is a list; edits and drop-down combo boxes take their styles.
    auto* list = qobject_cast<QListWidget*>(zx::DialogBuilder::control(dialog.get(), 2014));
    ASSERT_NE(list, nullptr);
    list->addItems({QStringLiteral("Pelmarin EVB"), QStringLiteral("Simulated board")});
    auto* number = qobject_cast<QLineEdit*>(zx::DialogBuilder::control(dialog.get(), 2015));
    ASSERT_NE(number, nullptr);
    EXPECT_TRUE(number->alignment() & Qt::AlignRight);
    number->setText(QStringLiteral("1024"));
    auto* combo = qobject_cast<QComboBox*>(zx::DialogBuilder::control(dialog.get(), 2016));
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    zxtest::RenderPng(dialog.get(), "builder_groups");
}

// Through the window layer, as an application shows it: the common controls
// take their places (the up-down against its buddy, the icon at its own
// size, the simple combo box's list below its edit), and the first control
// of the template lies on top of the ones after it.
TEST(DialogBuilder, CommonControlsTakeTheirPlacesInADialog) {
    CDialog dlg;
    ASSERT_TRUE(dlg.Create(42));
    QWidget* dialog = dlg.GetWidget();
    dialog->show();
    const QSize units = zx::FontRegistry::baseUnits(dialog->font());
    auto rect = [&](int x, int y, int cx, int cy) {
        return zx::DialogBuilder::toPixels(units, x, y, cx, cy);
    };
    auto widget = [&](int id) { return zx::WidgetFromHandle(::GetDlgItem(dlg.GetSafeHwnd(), id)); };

    // Windows' enumeration runs in template order, topmost first.
    HWND child = ::GetWindow(dlg.GetSafeHwnd(), GW_CHILD);
    EXPECT_EQ(::GetDlgCtrlID(child), 3003);
    child = ::GetWindow(child, GW_HWNDNEXT);
    EXPECT_EQ(::GetDlgCtrlID(child), 3004);
    EXPECT_EQ(::GetWindow(child, GW_HWNDPREV), ::GetWindow(dlg.GetSafeHwnd(), GW_CHILD));
    EXPECT_EQ(::GetDlgCtrlID(::GetWindow(child, GW_HWNDLAST)), 3013);
    // Where "Front" and "Back" overlap, "Front", listed first, takes the click.
    const QPoint overlap = rect(212, 14, 41, 7).center();
    EXPECT_EQ(dialog->childAt(overlap), widget(3001));

    // The up-down took the edit before it as its buddy and sits on its right end.
    const HWND spin = ::GetDlgItem(dlg.GetSafeHwnd(), 3007);
    EXPECT_EQ(reinterpret_cast<HWND>(::SendMessageW(spin, UDM_GETBUDDY, 0, 0)),
              ::GetDlgItem(dlg.GetSafeHwnd(), 3006));
    const QRect edit = rect(105, 20, 50, 12);
    EXPECT_EQ(widget(3007)->geometry().topRight(), edit.topRight());
    EXPECT_EQ(widget(3006)->geometry().right() + 1, widget(3007)->geometry().left());
    ::SendMessageW(spin, UDM_SETRANGE32, 0, 20);
    ::SendMessageW(spin, UDM_SETPOS32, 0, 3);
    wchar_t text[16] = {};
    ::GetDlgItemTextW(dlg.GetSafeHwnd(), 3006, text, 16);
    EXPECT_EQ(std::wstring(text), L"3");

    // The icon, given no size, is its 32 x 32 picture at the template's place.
    auto* icon = qobject_cast<QLabel*>(widget(3008));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->geometry(), QRect(rect(175, 20, 0, 0).topLeft(), QSize(32, 32)));
    EXPECT_FALSE(icon->pixmap().isNull());

    // CBS_SIMPLE: the template's whole height, its list always shown below.
    QWidget* simple = widget(3011);
    EXPECT_EQ(simple->geometry(), rect(105, 62, 90, 46));
    auto* list = simple->findChild<QListView*>();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    EXPECT_GT(list->y(), 0);
    EXPECT_EQ(list->geometry().bottom(), simple->height() - 1);
    const HWND combo = ::GetDlgItem(dlg.GetSafeHwnd(), 3011);
    for (const wchar_t* item : {L"115200", L"57600", L"9600"})
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    auto* field = simple->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("57600"));
    EXPECT_LE(field->geometry().bottom(), list->y()); // the field stays above the list

    // Something in the list box and the trackbars for the picture.
    for (const wchar_t* item : {L"Pelmarin EVB", L"Simulated board"})
        ::SendDlgItemMessageW(dlg.GetSafeHwnd(), 3010, LB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(item));
    ::SendDlgItemMessageW(dlg.GetSafeHwnd(), 3009, TBM_SETPOS, TRUE, 30);
    ::SendDlgItemMessageW(dlg.GetSafeHwnd(), 3014, TBM_SETPOS, TRUE, 70);
    ::CheckDlgButton(dlg.GetSafeHwnd(), 3005, BST_CHECKED);
    EXPECT_FALSE(zxtest::RenderPng(dlg.GetSafeHwnd(), "builder_common_controls").empty());
    dlg.DestroyWindow();
}
