#pragma once
// DialogBuilder: turns a dialog template into Qt widgets. Each control becomes
// the matching widget, placed at its dialog-unit rectangle converted with the
// base units of the dialog's font, and can be found again by its control id.
// The window classes of the window layer wrap what this builds.

#include "platform/DialogTemplate.h"

#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <memory>

namespace zx {

class DialogBuilder {
public:
    // The template's font (its FONT statement), or the system dialog font.
    static QFont dialogFont(const DialogTemplate& dlg);

    // Dialog units to pixels, rounded as Windows' MulDiv does.
    static QRect toPixels(QSize baseUnits, int x, int y, int cx, int cy);

    // The dialog's client area with one child widget per control. Controls
    // of classes it does not know become plain frames, so a template from a
    // newer resource compiler still opens. Pictures of statics are loaded
    // from `resources`, the module the template came from (null: the
    // program's own, as for any resource call).
    static std::unique_ptr<QWidget> build(const DialogTemplate& dlg, QWidget* parent = nullptr,
                                          HMODULE resources = nullptr);

    // One control of a template item, a child of parent, not yet placed.
    static QWidget* createControl(const DialogItem& item, QWidget* parent,
                                  HMODULE resources = nullptr);

    // The control with that id among the children of a built dialog.
    static QWidget* control(const QWidget* dialog, DWORD id);
    static DWORD controlId(const QWidget* control);
};

} // namespace zx
