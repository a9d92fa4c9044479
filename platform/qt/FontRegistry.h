#pragma once
// FontRegistry: the fonts dialogs are designed for. Templates name "Tahoma",
// "MS Shell Dlg" or "MS Sans Serif" and expect their metrics; Debian ships
// them with Wine's fonts. Without it the
// default sans font stands in and dialogs keep their proportions through the
// base units measured from whichever font is used.

#include <QFont>
#include <QSize>
#include <QString>

namespace zx {

class FontRegistry {
public:
    // Registers the files of a face this layer ships for (Tahoma, MS Sans
    // Serif, System) once per process; later calls are free. Returns whether
    // the face is available.
    static bool ensureRegistered(const QString& family = QStringLiteral("Tahoma"));

    // The face Windows shows for a typeface name: "MS Shell Dlg 2" is
    // Tahoma, "MS Shell Dlg", "Microsoft Sans Serif" and "Helv" are MS Sans
    // Serif, as the system's font substitutes have it.
    static QString familyFor(const QString& typeface);

    // A font as a Windows LOGFONT with lfHeight = -MulDiv(points, 96, 72)
    // would give it: sized in pixels so that dialogs measure alike on every
    // screen density.
    static QFont font(const QString& typeface, int pointSize, int weight = 400,
                      bool italic = false);

    // The dialog base units of a font: the average width of the Latin
    // letters and the line height, in pixels (about 6 x 13 for Tahoma 8).
    static QSize baseUnits(const QFont& font);
};

} // namespace zx
