// The helper library's decorated controls: CFontStatic shows its font,
// colour and style; CHyperStatic opens its link when clicked; CExtCheckBox
// draws itself and still behaves as a check box.

#include "cmnctrls/ExtCheckBox.h"
#include "cmnctrls/FontStatic.h"
#include "cmnctrls/HyperStatic.h"
#include "platform/FontRegistry.h"
#include "platform/Rect.h"
#include "platform/rc/zxres.h"
#include "support/DesktopSpy.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class CParent : public CWnd {
public:
    int clicks = 0;
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        clicks += HIWORD(wParam) == BN_CLICKED;
        return TRUE;
    }
};

struct Decorated : ::testing::Test {
    CParent parent;
    void SetUp() override {
        zx::FontRegistry::ensureRegistered();
        ASSERT_TRUE(parent.CreateEx(0, L"ZxWindow", L"", WS_POPUP | WS_VISIBLE,
                                    CRect(0, 0, 360, 140), nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
};

void Release(QWidget* w, QPointF at) {
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

TEST_F(Decorated, FontStaticAppliesFaceSizeColourAndStyle) {
    CFontStatic title, version;
    // Set before the window exists: applied when it gets one.
    title.SetFontStatic(L"Tahoma", 25, 0, 128);
    ASSERT_TRUE(title.Create(L"Application title", WS_CHILD | WS_VISIBLE, CRect(8, 8, 350, 40),
                             &parent, 1));
    ASSERT_TRUE(version.Create(L"Static", WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE,
                               CRect(8, 48, 120, 63), &parent, 1021));
    version.SetFontStatic(L"Tahoma", 14, RGB(0x80, 0, 0), 128);
    version.SetFontStyle(FS_BOLD | FS_RIGHT);
    version.SetWindowTextW(L"HW 1.2");

    QWidget* t = title.GetWidget();
    // The largest font whose cell fits the height asked for.
    EXPECT_LE(QFontMetrics(t->font()).height(), 25);
    EXPECT_GE(QFontMetrics(t->font()).height(), 22);
    EXPECT_EQ(QFontInfo(t->font()).family(),
              QFontInfo(zx::FontRegistry::font("Tahoma", 8)).family());
    EXPECT_EQ(t->font().styleStrategy() & QFont::PreferAntialias, QFont::PreferAntialias);
    auto* v = qobject_cast<QLabel*>(version.GetWidget());
    ASSERT_NE(v, nullptr);
    EXPECT_LE(QFontMetrics(v->font()).height(), 14);
    EXPECT_GE(QFontMetrics(v->font()).height(), 12);
    EXPECT_EQ(v->font().weight(), QFont::Bold);
    EXPECT_EQ(v->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
    EXPECT_TRUE(v->alignment() & Qt::AlignRight);
    EXPECT_EQ(v->text(), QStringLiteral("HW 1.2"));
    EXPECT_EQ(version.GetFontStyle(), FS_BOLD | FS_RIGHT);
    EXPECT_EQ(reinterpret_cast<HFONT>(version.SendMessageW(WM_GETFONT)),
              version.GetStaticFont()->GetSafeHandle());
}

TEST_F(Decorated, HyperStaticOpensItsLinkWhenClicked) {
    zxtest::DesktopSpy desktop;
    CHyperStatic link;
    ASSERT_TRUE(link.Create(L"", WS_CHILD | WS_VISIBLE, CRect(8, 8, 300, 24), &parent, 1040));
    link.SetURL(L"https://www.zarvex.example/pelmarin");
    QWidget* w = link.GetWidget();
    EXPECT_EQ(qobject_cast<QLabel*>(w)->text(),
              QStringLiteral("https://www.zarvex.example/pelmarin"));
    EXPECT_EQ(w->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(w->font().underline());

    Release(w, QPointF(400, 5)); // released outside: no click
    EXPECT_TRUE(desktop.opened.empty());
    Release(w, QPointF(5, 5));
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], QUrl(QStringLiteral("https://www.zarvex.example/pelmarin")));
    EXPECT_TRUE(link.GetVisited());

    // A text of its own is kept; the link stays the URL.
    link.SetWindowTextW(L"Product page");
    link.SetURL(L"https://www.zarvex.example/other");
    EXPECT_EQ(qobject_cast<QLabel*>(w)->text(), QStringLiteral("Product page"));
    link.EnableWindow(FALSE);
    Release(w, QPointF(5, 5));
    EXPECT_EQ(desktop.opened.size(), 1u);
}

TEST_F(Decorated, ExtCheckBoxDrawsItsOwnMarkAndStaysACheckBox) {
    CExtCheckBox box;
    ASSERT_TRUE(box.Create(L"Target platform filter", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                           CRect(8, 8, 200, 24), &parent, 1028));
    box.SetWindowTextW(L"Target platform filter");
    auto* check = qobject_cast<QCheckBox*>(box.GetWidget());
    ASSERT_NE(check, nullptr);
    const QImage unchecked = check->grab().toImage();
    check->click();
    EXPECT_EQ(box.GetCheck(), BST_CHECKED);
    EXPECT_EQ(parent.clicks, 1);
    const QImage checked = check->grab().toImage();
    // The mark fills with the accent colour.
    const QColor centre = checked.pixelColor(2, check->height() / 2);
    EXPECT_EQ(centre, QColor(0, 120, 215));
    EXPECT_NE(unchecked.pixelColor(2, check->height() / 2), centre);
    QDir().mkpath(QStringLiteral("renders"));
    parent.GetWidget()->grab().save(QStringLiteral("renders/extcheckbox.png"));
}

} // namespace
