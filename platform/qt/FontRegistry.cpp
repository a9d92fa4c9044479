#include "platform/FontRegistry.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMutex>
#include <QRawFont>

#include <cmath>

namespace zx {

namespace {

const char* const kTahomaFiles[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
};

quint16 bigEndian16(const QByteArray& table, int offset) {
    if (offset < 0 || table.size() < offset + 2) {
        return 0;
    }
    return static_cast<quint16>((static_cast<quint8>(table[offset]) << 8) |
                                static_cast<quint8>(table[offset + 1]));
}

// The line height Windows gives a TrueType font (tmHeight): its OS/2 "win"
// ascent and descent scaled to the pixel size. Qt's own metrics come from
// other tables and are smaller for Tahoma, which would squash dialogs.
int windowsLineHeight(const QFont& font) {
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    const quint16 unitsPerEm = bigEndian16(raw.fontTable("head"), 18);
    const quint16 winAscent = bigEndian16(os2, 74);
    const quint16 winDescent = bigEndian16(os2, 76);
    if (unitsPerEm == 0 || winAscent == 0) {
        return 0;
    }
    const double scale = raw.pixelSize() / unitsPerEm;
    return static_cast<int>(std::lround(winAscent * scale) + std::lround(winDescent * scale));
}

} // namespace

bool FontRegistry::ensureRegistered() {
    static QMutex mutex;
    static int state = 0; // 0 not tried, 1 available, 2 missing
    QMutexLocker lock(&mutex);
    if (state == 0) {
        bool any = false;
        for (const char* path : kTahomaFiles) {
            if (QFile::exists(QString::fromLatin1(path)) &&
                QFontDatabase::addApplicationFont(QString::fromLatin1(path)) >= 0) {
                any = true;
            }
        }
        state = any ? 1 : 2;
        if (!any) {
            qWarning("Tahoma not found (package fonts-wine); dialogs use the default sans font");
        }
    }
    return state == 1;
}

QFont FontRegistry::font(const QString& typeface, int pointSize, int weight, bool italic) {
    if (typeface.compare(QStringLiteral("Tahoma"), Qt::CaseInsensitive) == 0 ||
        typeface.startsWith(QStringLiteral("MS Shell Dlg"), Qt::CaseInsensitive)) {
        ensureRegistered();
    }
    QFont f;
    const QString family = typeface.startsWith(QStringLiteral("MS Shell Dlg"), Qt::CaseInsensitive)
                               ? QStringLiteral("Tahoma")
                               : typeface;
    f.setFamilies({family, QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    f.setStyleHint(QFont::SansSerif);
    // Windows rounds the point size to whole pixels at 96 dots per inch.
    f.setPixelSize(qMax(1, (pointSize * 96 + 36) / 72));
    f.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QSize FontRegistry::baseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    // The same rounding Windows applies to the 52 letters' width.
    const int width = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
    const int height = windowsLineHeight(font);
    return QSize(qMax(1, width), qMax(1, height > 0 ? height : fm.ascent() + fm.descent()));
}

} // namespace zx
