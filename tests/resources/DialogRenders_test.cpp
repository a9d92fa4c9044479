// Renders the library's dialogs as a user sees them, to
// <build>/renders/dialog_<id>.png, and checks what a reviewer checks on
// them: every visible control inside the dialog, no two controls on top of
// each other, and every text fitting its control.
//
// Until the window layer builds dialogs itself, the preview comes from the
// dialog builder, with what the windows would add at run time: the pictures
// of image statics, combo boxes at their closed height (a combo box's
// template height is that of its opened list), and the splash's texts in
// the fonts the splash sets.

#include "LayoutCheck.h"
#include "LibraryModule.h"

#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"
#include "platform/rc/zxres.h"
#include "zarvexapp/resources/resource.h"

#include "platform/RtfReader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <gtest/gtest.h>

#include "platform/ResourceImages.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

// What the windows add at run time, on top of the built template.
void finishPreview(const zx::DialogTemplate& dlg, QWidget* dialog) {
    for (const zx::DialogItem& item : dlg.items) {
        QWidget* control = zx::DialogBuilder::control(dialog, item.id);
        auto* label = qobject_cast<QLabel*>(control);
        const DWORD type = item.style & SS_TYPEMASK;
        if (label && item.title.isOrdinal() && (type == SS_BITMAP || type == SS_ICON)) {
            const QImage picture =
                type == SS_BITMAP ? zx::LoadBitmapImage(zxtest::libraryModule(), item.title.ordinal)
                                  : zx::LoadIconImage(zxtest::libraryModule(), item.title.ordinal);
            EXPECT_FALSE(picture.isNull()) << "picture " << item.title.ordinal;
            label->setPixmap(QPixmap::fromImage(picture));
            label->setAlignment((item.style & SS_CENTERIMAGE) ? Qt::AlignCenter
                                                              : Qt::AlignLeft | Qt::AlignTop);
            label->lower();
        }
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            combo->resize(combo->width(), combo->sizeHint().height());
        }
        // Scroll bars kept when there is nothing to scroll.
        if (auto* edit = qobject_cast<QTextEdit*>(control);
            edit && (item.style & WS_VSCROLL) && (item.style & ES_DISABLENOSCROLL)) {
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        }
        // A check box drawn over a group box's edge hides the edge behind it.
        if (auto* check = qobject_cast<QCheckBox*>(control)) {
            check->setAutoFillBackground(true);
            check->resize(check->sizeHint().width(), check->height());
        }
    }
}

// The splash as it looks while searching: the fonts and kinds of texts the
// splash sets.
void fillSplash(QWidget* dialog) {
    auto set = [&](DWORD id, int pixels, const QString& text) {
        auto* label = qobject_cast<QLabel*>(zx::DialogBuilder::control(dialog, id));
        ASSERT_NE(label, nullptr) << id;
        QFont font = zx::FontRegistry::font(QStringLiteral("Tahoma"), 8);
        font.setPixelSize(pixels);
        label->setFont(font);
        label->setText(text);
    };
    set(IDC_PRODUCT_NAME, 25, QStringLiteral("ZarvexApp"));
    set(IDC_RELEASE_TEXT, 16, QStringLiteral("Release: 1.0.0.1    Date: Dec 06 2026"));
    set(IDC_SEARCH_TEXT, 15, QStringLiteral("Searching for application modules ..."));
    set(IDC_PLUGIN_TEXT, 14, QStringLiteral("Pelmarin Video Scaler Demonstration"));
}

// The application page as it looks with an application loaded: the title in
// large type and a description, as the page sets them.
void fillApplicationPage(QWidget* dialog) {
    auto* title = qobject_cast<QLabel*>(zx::DialogBuilder::control(dialog, IDC_APPLICATION_TITLE));
    auto* text =
        qobject_cast<QLabel*>(zx::DialogBuilder::control(dialog, IDC_APPLICATION_DESCRIPTION));
    ASSERT_TRUE(title && text);
    QFont font = zx::FontRegistry::font(QStringLiteral("Tahoma"), 8);
    font.setPixelSize(25);
    title->setFont(font);
    title->setText(QStringLiteral("Pelmarin Video Scaler"));
    text->setText(QStringLiteral(
        "Demonstrates the scaler of the Pelmarin board family: input and output formats, "
        "filter coefficients and the frame buffer are set up from the pages of this "
        "application, and the board's interrupts report each finished frame."));
}

// The features template filled with a platform's items, as the platform page
// shows it, read with the reader our rich-edit control uses.
void fillPlatformPage(QWidget* dialog) {
    auto* edit = qobject_cast<QTextEdit*>(zx::DialogBuilder::control(dialog, IDC_FEATURES));
    auto* version = qobject_cast<QLabel*>(zx::DialogBuilder::control(dialog, IDC_HW_VERSION));
    ASSERT_TRUE(edit && version);
    version->setText(QStringLiteral("HW rev. 2.1"));
    const auto bytes = zxtest::libraryResource(IDR_FEATURES_TEMPLATE, L"DOCFILE");
    const auto doc =
        zx::ParseRtf(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(doc.has_value());
    const QStringList common = {QStringLiteral("ARM Cortex-M7 host processor at 480 MHz"),
                                QStringLiteral("2 MB flash, 1 MB SRAM, 32 MB SDRAM"),
                                QStringLiteral("Gigabit Ethernet and USB 2.0 high-speed"),
                                QStringLiteral("Two I2C buses for tuner and daughter-card devices"),
                                QStringLiteral("JTAG and SWD debug connector"),
                                QStringLiteral("Real-time clock with battery back-up"),
                                QStringLiteral("Four user LEDs and two push buttons"),
                                QStringLiteral("12 V supply, 5 W typical")};
    // Eight of each: the most a document can hold.
    const QStringList target = {QStringLiteral("Video scaler core, 4 taps by 32 phases"),
                                QStringLiteral("HDMI 1.4 input and output"),
                                QStringLiteral("Frame buffer of 4 frames at 1080p"),
                                QStringLiteral("Colour space converter, BT.601 and BT.709"),
                                QStringLiteral("Deinterlacer with motion adaptation"),
                                QStringLiteral("On-screen display overlay, 256 colours"),
                                QStringLiteral("Test pattern generator"),
                                QStringLiteral("Daughter-card EEPROM with board identity")};
    edit->clear();
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QTextCursor cursor(edit->document());
    bool first = true;
    for (const zx::RtfParagraph& para : doc->paragraphs) {
        QString text = QString::fromStdWString(para.text());
        if (text.startsWith(QStringLiteral("<common")) ||
            text.startsWith(QStringLiteral("<target"))) {
            const bool isCommon = text.startsWith(QStringLiteral("<common"));
            const int n = text.mid(7).chopped(1).toInt();
            const QStringList& items = isCommon ? common : target;
            if (text == QStringLiteral("<target>")) {
                text = QStringLiteral("Target platform specifics");
            } else if (n >= 1 && n <= items.size()) {
                text = items[n - 1];
            } else {
                continue; // unused placeholders are removed
            }
        }
        if (text.isEmpty()) {
            continue;
        }
        QTextBlockFormat block;
        block.setLeftMargin(para.format.leftIndent / 15.0);
        block.setTopMargin(para.format.spaceBefore / 15.0);
        block.setBottomMargin(para.format.spaceAfter / 15.0);
        if (!first) {
            cursor.insertBlock(block);
        } else {
            cursor.setBlockFormat(block);
            first = false;
        }
        if (para.format.bullet) {
            QTextListFormat list;
            list.setStyle(QTextListFormat::ListDisc);
            list.setIndent(0);
            cursor.createList(list);
            QTextBlockFormat indented = cursor.blockFormat();
            indented.setLeftMargin(para.format.leftIndent / 15.0);
            cursor.setBlockFormat(indented);
        }
        const zx::RtfCharFormat& f = para.runs.empty() ? zx::RtfCharFormat{} : para.runs[0].format;
        QTextCharFormat chr;
        QFont font = zx::FontRegistry::font(QString::fromStdWString(f.face), 8);
        font.setPixelSize(qRound(f.halfPoints / 2.0 * 96 / 72));
        font.setBold(f.bold);
        chr.setFont(font);
        if (f.color) {
            chr.setForeground(
                QColor(GetRValue(*f.color), GetGValue(*f.color), GetBValue(*f.color)));
        }
        cursor.insertText(text, chr);
    }
    edit->show();
    edit->setEnabled(true);
}

// The print window after a start: banner, title and a few lines.
void fillPrintWindow(QWidget* dialog) {
    auto* edit = qobject_cast<QTextEdit*>(zx::DialogBuilder::control(dialog, IDC_PRINT_RICHEDIT));
    ASSERT_NE(edit, nullptr);
    QFont font = zx::FontRegistry::font(QStringLiteral("Tahoma"), 10);
    edit->document()->setDefaultFont(font);
    QTextCursor cursor(edit->document());
    auto line = [&](const QString& text, QColor colour) {
        QTextCharFormat chr;
        chr.setForeground(colour);
        cursor.insertText(text + QLatin1Char('\n'), chr);
    };
    line(QStringLiteral("ZarvexApp - hardware demonstration system"), QColor(0, 0x8C, 0));
    line(QStringLiteral("Pelmarin Video Scaler"), QColor(0, 0x8C, 0));
    line(QStringLiteral("Target platform: Pelmarin PM-200 with DC-HDMI"), Qt::black);
}

QString renderFolder() {
    QDir dir(QString::fromStdString(zx::ExecutableFolder()));
    dir.cdUp(); // bin/ -> the build folder
    dir.mkpath(QStringLiteral("renders"));
    return dir.filePath(QStringLiteral("renders"));
}

class DialogRender : public ::testing::TestWithParam<WORD> {};

} // namespace

TEST_P(DialogRender, LooksRightAndIsWrittenToPng) {
    zx::FontRegistry::ensureRegistered();
    const WORD id = GetParam();
    const auto dlg = zxtest::libraryDialog(id);
    ASSERT_TRUE(dlg.has_value());
    const std::unique_ptr<QWidget> dialog = zx::DialogBuilder::build(*dlg);
    finishPreview(*dlg, dialog.get());

    EXPECT_EQ(zxtest::layoutProblems(dialog.get()), "");
    if (id == IDD_SPLASH_APP_FIND) {
        // The bitmap fills the window, within the rounding of dialog units.
        const QSize window = dialog->size();
        EXPECT_LE(std::abs(window.width() - 400), 1);
        EXPECT_LE(std::abs(window.height() - 250), 1);
        fillSplash(dialog.get());
        EXPECT_EQ(zxtest::layoutProblems(dialog.get()), "");
    }
    if (id == IDD_SYSTEM_PLATFORM_PAGE) {
        fillPlatformPage(dialog.get());
    }
    if (id == IDD_PRINT_WINDOW) {
        fillPrintWindow(dialog.get());
    }
    if (id == IDD_PROGRESS_CONTROL) {
        auto* bar =
            qobject_cast<QProgressBar*>(zx::DialogBuilder::control(dialog.get(), IDC_PROGRESS));
        ASSERT_NE(bar, nullptr);
        bar->setValue(40);
    }
    if (id == IDD_SYSTEM_APPLICATION_PAGE) {
        fillApplicationPage(dialog.get());
        EXPECT_EQ(zxtest::layoutProblems(dialog.get()), "");
    }

    const QString path = renderFolder() + QStringLiteral("/dialog_%1.png").arg(id);
    const QImage image = dialog->grab().toImage();
    ASSERT_FALSE(image.isNull());
    ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
    EXPECT_EQ(QImage(path).size(), dialog->size());
}

INSTANTIATE_TEST_SUITE_P(LibraryDialogs, DialogRender,
                         ::testing::Values(IDD_MAIN_APP_PAGE, IDD_SPLASH_APP_FIND, IDD_PRINT_WINDOW,
                                           IDD_SYSTEM_PLATFORM_PAGE, IDD_SYSTEM_APPLICATION_PAGE,
                                           IDD_PROGRESS_CONTROL, IDD_APPLICATION_SELECT),
                         [](const ::testing::TestParamInfo<WORD>& info) {
                             return "dialog_" + std::to_string(info.param);
                         });
