#include "platform/FontRegistry.h"

#include "platform/WindowSystemLog.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMutex>
#include <QRawFont>

#include <cmath>
#include <iterator>

Q_LOGGING_CATEGORY(lcFonts, "zx.qt.fonts")

namespace zx {

namespace {

// The faces dialogs name, with the files Debian's fonts-wine ships them in.
// MS Sans Serif is a bitmap face on Windows; Wine's scalable copy has its
// metrics, which is all a dialog's layout needs.
struct Face {
    const char* family;
    const char* files[2];
};
const Face kFaces[] = {
    {"Tahoma", {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}},
    {"MS Sans Serif", {"/usr/share/wine/fonts/ms_sans_serif.ttf", nullptr}},
    {"System", {"/usr/share/wine/fonts/system.ttf", nullptr}},
};

// Windows' FontSubstitutes: the names a template may use for these faces.
// "MS Shell Dlg" is Microsoft Sans Serif, the TrueType MS Sans Serif, and
// "MS Shell Dlg 2" Tahoma (a DS_SHELLFONT dialog asks for the latter).
QString Substitute(const QString& typeface) {
    const QString face = typeface.trimmed();
    auto is = [&](const char* name) {
        return face.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    if (is("MS Shell Dlg 2"))
        return QStringLiteral("Tahoma");
    if (is("MS Shell Dlg") || is("Microsoft Sans Serif") || is("Helv") || is("Helvetica"))
        return QStringLiteral("MS Sans Serif");
    if (is("System"))
        return QStringLiteral("System");
    return face;
}

quint16 BigEndian16(const QByteArray& table, int offset) {
    if (offset < 0 || table.size() < offset + 2) {
        return 0;
    }
    return static_cast<quint16>((static_cast<quint8>(table[offset]) << 8) |
                                static_cast<quint8>(table[offset + 1]));
}

// The line height Windows gives a TrueType font (tmHeight): its OS/2 "win"
// ascent and descent scaled to the pixel size. Qt's own metrics come from
// other tables and are smaller for Tahoma, which would squash dialogs.
int WindowsLineHeight(const QFont& font) {
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    const quint16 unitsPerEm = BigEndian16(raw.fontTable("head"), 18);
    const quint16 winAscent = BigEndian16(os2, 74);
    const quint16 winDescent = BigEndian16(os2, 76);
    if (unitsPerEm == 0 || winAscent == 0) {
        return 0;
    }
    const double scale = raw.pixelSize() / unitsPerEm;
    return static_cast<int>(std::lround(winAscent * scale) + std::lround(winDescent * scale));
}

} // namespace

bool FontRegistry::ensureRegistered(const QString& family) {
    static QMutex mutex;
    // Per face: 0 not tried, 1 available, 2 missing.
    static int state[std::size(kFaces)] = {};
    QMutexLocker lock(&mutex);
    for (size_t i = 0; i < std::size(kFaces); ++i) {
        const Face& face = kFaces[i];
        if (family.compare(QLatin1String(face.family), Qt::CaseInsensitive) != 0)
            continue;
        if (state[i] == 0) {
            bool any = false;
            for (const char* path : face.files) {
                if (path && QFile::exists(QString::fromLatin1(path)) &&
                    QFontDatabase::addApplicationFont(QString::fromLatin1(path)) >= 0)
                    any = true;
            }
            state[i] = any ? 1 : 2;
            if (!any)
                qCWarning(lcFonts,
                          "%s not found (package fonts-wine); dialogs use the default sans font",
                          face.family);
        }
        return state[i] == 1;
    }
    return QFontDatabase::hasFamily(family);
}

QString FontRegistry::familyFor(const QString& typeface) {
    return Substitute(typeface);
}

QFont FontRegistry::font(const QString& typeface, int pointSize, int weight, bool italic) {
    const QString family = Substitute(typeface);
    ensureRegistered(family);
    QFont f;
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
    const int height = WindowsLineHeight(font);
    return QSize(qMax(1, width), qMax(1, height > 0 ? height : fm.ascent() + fm.descent()));
}

} // namespace zx
