// The library's dialogs made into windows from the library's own module, as
// the library's windows make them: every control of the template is there
// with its id and style, pictures are drawn, the layout passes a reviewer's
// checks, and a picture of each lands in <build>/renders/window_dialog_<id>.png
// (scripts/render-dialogs.sh).

#include "platform/Dialog.h"
#include "platform/DialogBuilder.h"
#include "platform/DialogTemplate.h"
#include "platform/FontRegistry.h"
#include "platform/Modules.h"
#include "platform/Rect.h"
#include "platform/Resources.h"
#include "platform/rc/zxres.h"
#include "support/RenderPng.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/resources/resource.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A template as the library holds it, in its own module (found from one of
// its globals).
std::optional<zx::DialogTemplate> libraryDialog(WORD id) {
    const auto bytes =
        zx::ResourceBytes(zx::ModuleFromAddress(&g_pAPI), MAKEINTRESOURCEW(id), RT_DIALOG);
    return bytes.empty() ? std::nullopt : zx::ParseDialogTemplate(bytes);
}

std::string describe(const QWidget* w) {
    const QRect r = w->geometry();
    return QString::asprintf("%s %u at %d,%d %dx%d", w->metaObject()->className(),
                             static_cast<unsigned>(zx::DialogBuilder::controlId(w)), r.x(), r.y(),
                             r.width(), r.height())
        .toStdString();
}

// Whether the control's text is cut off.
bool clipped(const QWidget* w) {
    const QFontMetrics fm(w->font());
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        const QRect need = label->wordWrap() ? fm.boundingRect(QRect(0, 0, w->width(), 100000),
                                                               Qt::TextWordWrap, label->text())
                                             : fm.boundingRect(label->text());
        return !label->text().isEmpty() &&
               (need.width() > w->width() || need.height() > w->height());
    }
    if (const auto* button = qobject_cast<const QPushButton*>(w))
        return fm.horizontalAdvance(button->text()) + 8 > w->width();
    if (const auto* check = qobject_cast<const QCheckBox*>(w))
        return check->sizeHint().width() > w->width();
    return false;
}

// What a reviewer checks: every visible control inside the dialog (`slack`
// pixels past its right and bottom edges allowed), its text fitting, and no
// two controls on top of each other (group boxes and a background picture
// hold others by design).
std::string layoutProblems(const QWidget* dialog, int slack) {
    std::string problems;
    std::vector<const QWidget*> shown;
    for (QObject* child : dialog->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (!w || w->isHidden())
            continue;
        if (!dialog->rect().adjusted(0, 0, slack, slack).contains(w->geometry()))
            problems += "outside the dialog: " + describe(w) + "\n";
        if (clipped(w))
            problems += "text does not fit: " + describe(w) + "\n";
        const bool background =
            qobject_cast<const QLabel*>(w) &&
            w->width() * w->height() * 4 >= dialog->width() * dialog->height() * 3;
        if (!qobject_cast<const QGroupBox*>(w) && !background)
            shown.push_back(w);
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                problems += "overlap: " + describe(shown[i]) + " and " + describe(shown[j]) + "\n";
    return problems;
}

class LibraryWindow : public ::testing::TestWithParam<WORD> {
protected:
    void SetUp() override {
        zx::FontRegistry::ensureRegistered();
        ASSERT_TRUE(m_host.CreateEx(0, L"ZxWindow", L"Host", WS_POPUP | WS_VISIBLE,
                                    CRect(0, 0, 800, 600), nullptr, 0));
    }
    void TearDown() override { m_host.DestroyWindow(); }

    CWnd m_host;
};

} // namespace

TEST_P(LibraryWindow, IsBuiltFromItsTemplateAndLaysOutCleanly) {
    const WORD id = GetParam();
    const auto dlg = libraryDialog(id);
    ASSERT_TRUE(dlg.has_value());
    CDialog window;
    ASSERT_TRUE(window.Create(id, &m_host));
    QWidget* widget = window.GetWidget();
    ASSERT_NE(widget, nullptr);

    for (const zx::DialogItem& item : dlg->items) {
        SCOPED_TRACE("control " + std::to_string(static_cast<int>(item.id)));
        CWnd* control = window.GetDlgItem(static_cast<int>(item.id));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetStyle() & ~WS_VISIBLE, item.style & ~WS_VISIBLE);
        // Pictures named by resource ordinal exist in the library.
        const DWORD type = item.style & SS_TYPEMASK;
        if (item.isClass(L"Static") && item.title.isOrdinal() &&
            (type == SS_BITMAP || type == SS_ICON)) {
            const auto* picture = qobject_cast<QLabel*>(control->GetWidget());
            ASSERT_NE(picture, nullptr);
            EXPECT_FALSE(picture->pixmap().isNull()) << "picture " << item.title.ordinal;
            if (id == IDD_SPLASH_APP_FIND) { // the splash's picture fills its window
                EXPECT_LE(std::abs(picture->pixmap().width() - widget->width()), 1);
                EXPECT_LE(std::abs(picture->pixmap().height() - widget->height()), 1);
            }
        }
    }

    // The small logo's picture control is one unit larger than its dialog.
    EXPECT_EQ(layoutProblems(widget, id == IDD_SMALL_APP_LOGO ? 2 : 0), "");
    EXPECT_FALSE(
        zxtest::RenderPng(window.GetSafeHwnd(), "window_dialog_" + std::to_string(id)).empty());
    window.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(LibraryDialogs, LibraryWindow,
                         ::testing::Values(IDD_MAIN_APP_PAGE, IDD_SPLASH_APP_FIND, IDD_PRINT_WINDOW,
                                           IDD_SMALL_APP_LOGO, IDD_SYSTEM_PLATFORM_PAGE,
                                           IDD_SUB_PAGE_TEMPLATE, IDD_SYSTEM_APPLICATION_PAGE,
                                           IDD_PROGRESS_CONTROL, IDD_APPLICATION_SELECT),
                         [](const ::testing::TestParamInfo<WORD>& info) {
                             return "dialog_" + std::to_string(info.param);
                         });
