// Fonts, brushes and device contexts: handles name their objects until
// deleted, LOGFONT sizes map as Windows maps them, and what a WM_CTLCOLOR
// handler sets on its device context reaches the control it was asked about.

#include "platform/Brush.h"
#include "platform/DC.h"
#include "platform/Font.h"
#include "platform/FontRegistry.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

TEST(Gdi, BrushHandlesLiveUntilDeleted) {
    HBRUSH brush = nullptr;
    {
        CBrush background(RGB(0xFF, 0xFF, 0));
        brush = background;
        EXPECT_EQ(zx::BrushColor(brush), RGB(0xFF, 0xFF, 0));
        EXPECT_EQ(background.GetColor(), RGB(0xFF, 0xFF, 0));
        background.CreateSolidBrush(RGB(1, 2, 3)); // replaces, freeing the old one
        EXPECT_FALSE(zx::BrushColor(brush).has_value());
        brush = background;
    }
    EXPECT_FALSE(zx::BrushColor(brush).has_value()); // the destructor deleted it
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(0x12345)));

    HGDIOBJ hollow = GetStockObject(NULL_BRUSH);
    EXPECT_TRUE(zx::IsHollowBrush(static_cast<HBRUSH>(hollow)));
    EXPECT_FALSE(DeleteObject(hollow)); // stock objects stay
    EXPECT_EQ(zx::BrushColor(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(zx::BrushColor(GetSysColorBrush(COLOR_WINDOW)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(GetStockObject(999), nullptr);
}

TEST(Gdi, FontsMapLogFontSizesAsWindowsDoes) {
    zx::FontRegistry::ensureRegistered();
    CFont italic;
    // The select dialog's description font: cell height 14, italic.
    ASSERT_TRUE(italic.CreateFontW(14, 0, 0, 0, FW_NORMAL, TRUE, FALSE, 0, DEFAULT_CHARSET,
                                   OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    const QFont f = italic.qfont();
    EXPECT_TRUE(f.italic());
    EXPECT_LE(QFontMetrics(f).height(), 14);
    EXPECT_GE(QFontMetrics(f).height(), 12);
    LOGFONTW lf{};
    EXPECT_EQ(italic.GetLogFont(&lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, 14);
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");

    // A negative height is the character height itself.
    lf.lfHeight = -20;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 0;
    CFont bold;
    ASSERT_TRUE(bold.CreateFontIndirectW(&lf));
    EXPECT_EQ(bold.qfont().pixelSize(), 20);
    EXPECT_EQ(bold.qfont().weight(), QFont::Bold);

    CFont points;
    ASSERT_TRUE(points.CreatePointFont(100, L"Tahoma")); // 10 points at 96 dpi
    EXPECT_EQ(points.qfont().pixelSize(), 13);
    HFONT handle = points;
    EXPECT_TRUE(zx::FontFromHandle(handle).has_value());
    points.DeleteObject();
    EXPECT_FALSE(zx::FontFromHandle(handle).has_value());
    EXPECT_FALSE(bold.CreateFontIndirectW(nullptr));
}

TEST(Gdi, DeviceContextRecordsAndPaints) {
    CDC record;
    EXPECT_EQ(record.SetBkColor(RGB(0, 0xFF, 0xFF)), CLR_INVALID);
    EXPECT_EQ(record.SetBkColor(RGB(1, 1, 1)), RGB(0, 0xFF, 0xFF));
    EXPECT_EQ(record.SetTextColor(RGB(9, 9, 9)), CLR_INVALID);
    EXPECT_EQ(record.SetBkMode(TRANSPARENT), OPAQUE);
    EXPECT_EQ(record.SetBkMode(77), 0);
    EXPECT_EQ(record.GetBkMode(), TRANSPARENT);
    EXPECT_EQ(CDC::FromHandle(record.GetSafeHdc()), &record);

    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CDC dc(&painter);
        RECT left{0, 0, 10, 10};
        dc.FillSolidRect(&left, RGB(0xFF, 0, 0));
        CBrush blue(RGB(0, 0, 0xFF));
        RECT right{10, 0, 20, 10};
        dc.FillRect(&right, &blue);
        EXPECT_EQ(dc.GetBkColor(), RGB(0xFF, 0, 0));
    }
    EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(15, 5), QColor(0, 0, 255));
}

TEST(Gdi, CtlColorAnswersColourTheControls) {
    QLabel label(QStringLiteral("Static"));
    QLineEdit edit;
    QCheckBox check(QStringLiteral("Button"));
    CBrush yellow(RGB(0xFF, 0xFF, 0));
    CDC dc;
    dc.SetBkColor(RGB(0xFF, 0xFF, 0));
    dc.SetTextColor(RGB(0, 0, 0x80));
    zx::ApplyCtlColor(&label, dc, yellow);
    zx::ApplyCtlColor(&check, dc, yellow);
    EXPECT_TRUE(label.autoFillBackground());
    EXPECT_EQ(label.palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    EXPECT_TRUE(check.autoFillBackground());
    EXPECT_EQ(check.palette().color(QPalette::Window), QColor(255, 255, 0));

    // An entry control keeps painting its own base in the brush's colour.
    CBrush white(RGB(255, 255, 255));
    CDC plain;
    zx::ApplyCtlColor(&edit, plain, white);
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(255, 255, 255));
    // A hollow brush lets the parent show through.
    zx::ApplyCtlColor(&label, plain, static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH)));
    EXPECT_FALSE(label.autoFillBackground());
    zx::ApplyCtlColor(nullptr, plain, white);
}

} // namespace
