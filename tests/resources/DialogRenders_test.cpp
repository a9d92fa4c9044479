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

#include "LibraryModule.h"

#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"
#include "platform/rc/zxres.h"
#include "zarvexapp/resources/resource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// A bitmap resource is a DIB; with a file header in front it is a BMP file.
QImage bitmapImage(WORD id) {
    const auto dib = zxtest::libraryResource(id, RT_BITMAP);
    if (dib.size() < 40) {
        return {};
    }
    QByteArray file("BM");
    auto put32 = [&](quint32 v) { file.append(reinterpret_cast<const char*>(&v), 4); };
    DWORD headerSize = 0;
    std::memcpy(&headerSize, dib.data(), 4);
    put32(static_cast<quint32>(14 + dib.size()));
    put32(0);
    put32(14 + headerSize); // 24-bit DIBs have no colour table
    file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    return QImage::fromData(file, "BMP");
}

// The largest image of a group icon, through an icon file built in memory.
QImage iconImage(WORD id) {
    const auto group = zxtest::libraryResource(id, RT_GROUP_ICON);
    if (group.size() < 6 + 14) {
        return {};
    }
    WORD count = 0;
    std::memcpy(&count, group.data() + 4, 2);
    size_t best = 6;
    for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i) {
        if (group[6 + 14 * i] == 0 || group[6 + 14 * i] > group[best]) {
            best = 6 + 14 * i;
        }
    }
    WORD imageId = 0;
    std::memcpy(&imageId, group.data() + best + 12, 2);
    const auto image = zxtest::libraryResource(imageId, RT_ICON);
    if (image.empty()) {
        return {};
    }
    QByteArray file;
    const char header[6] = {0, 0, 1, 0, 1, 0};
    file.append(header, 6);
    file.append(reinterpret_cast<const char*>(group.data() + best), 12); // entry without id
    const quint32 offset = 6 + 16;
    file.append(reinterpret_cast<const char*>(&offset), 4);
    file.append(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
    return QImage::fromData(file, "ICO");
}

// What the windows add at run time, on top of the built template.
void finishPreview(const zx::DialogTemplate& dlg, QWidget* dialog) {
    for (const zx::DialogItem& item : dlg.items) {
        QWidget* control = zx::DialogBuilder::control(dialog, item.id);
        auto* label = qobject_cast<QLabel*>(control);
        const DWORD type = item.style & SS_TYPEMASK;
        if (label && item.title.isOrdinal() && (type == SS_BITMAP || type == SS_ICON)) {
            const QImage picture =
                type == SS_BITMAP ? bitmapImage(item.title.ordinal) : iconImage(item.title.ordinal);
            EXPECT_FALSE(picture.isNull()) << "picture " << item.title.ordinal;
            label->setPixmap(QPixmap::fromImage(picture));
            label->setAlignment((item.style & SS_CENTERIMAGE) ? Qt::AlignCenter
                                                              : Qt::AlignLeft | Qt::AlignTop);
            label->lower();
        }
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            combo->resize(combo->width(), combo->sizeHint().height());
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

QString controlName(const QWidget* w) {
    return QStringLiteral("%1 (%2)")
        .arg(zx::DialogBuilder::controlId(w))
        .arg(QString::fromLatin1(w->metaObject()->className()));
}

// The text of a control that does not fit it, or an empty string.
QString clippedText(const QWidget* w) {
    const QFontMetrics fm(w->font());
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty()) {
            return {};
        }
        const QRect need = label->wordWrap() ? fm.boundingRect(QRect(0, 0, w->width(), 100000),
                                                               Qt::TextWordWrap, label->text())
                                             : fm.boundingRect(label->text());
        return need.width() <= w->width() && need.height() <= w->height() ? QString()
                                                                          : label->text();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(w)) {
        return fm.horizontalAdvance(button->text()) + 8 <= w->width() ? QString() : button->text();
    }
    if (const auto* check = qobject_cast<const QCheckBox*>(w)) {
        return check->sizeHint().width() <= w->width() ? QString() : check->text();
    }
    return {};
}

std::string layoutProblems(const QWidget* dialog) {
    std::string problems;
    std::vector<const QWidget*> shown;
    for (QObject* child : dialog->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (!w || w->isHidden()) {
            continue;
        }
        if (!dialog->rect().contains(w->geometry())) {
            problems += "outside the dialog: " + controlName(w).toStdString() + "\n";
        }
        const QString clipped = clippedText(w);
        if (!clipped.isEmpty()) {
            problems += "text does not fit: " + controlName(w).toStdString() + " \"" +
                        clipped.toStdString() + "\"\n";
        }
        // Group boxes and background pictures hold other controls by design.
        const auto* label = qobject_cast<const QLabel*>(w);
        if (!qobject_cast<const QGroupBox*>(w) &&
            !(label && !label->pixmap().isNull() && w->size() == dialog->size())) {
            shown.push_back(w);
        }
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            if (shown[i]->geometry().intersects(shown[j]->geometry())) {
                problems += "overlap: " + controlName(shown[i]).toStdString() + " and " +
                            controlName(shown[j]).toStdString() + "\n";
            }
        }
    }
    return problems;
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

    EXPECT_EQ(layoutProblems(dialog.get()), "");
    if (id == IDD_SPLASH_APP_FIND) {
        // The bitmap fills the window, within the rounding of dialog units.
        const QSize window = dialog->size();
        EXPECT_LE(std::abs(window.width() - 400), 1);
        EXPECT_LE(std::abs(window.height() - 250), 1);
        fillSplash(dialog.get());
        EXPECT_EQ(layoutProblems(dialog.get()), "");
    }
    if (id == IDD_SYSTEM_APPLICATION_PAGE) {
        fillApplicationPage(dialog.get());
        EXPECT_EQ(layoutProblems(dialog.get()), "");
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
