#pragma once
// FontRegistry: the fonts dialogs are designed for. Templates name "Tahoma"
// and expect its metrics; Debian ships it with Wine's fonts. Without it the
// default sans font stands in and dialogs keep their proportions through the
// base units measured from whichever font is used.

#include <QFont>
#include <QSize>
#include <QString>

namespace zx {

class FontRegistry {
public:
    // Registers the Tahoma files once per process; later calls are free.
    // Returns whether Tahoma is available.
    static bool ensureRegistered();

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
