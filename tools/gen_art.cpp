// Draws the library's splash bitmap (400 x 250, 24 bits per pixel, as an
// uncompressed BMP) and its chip icon (16 x 16 and 32 x 32, 32 bits per
// pixel, as an ICO) into the library's resources folder, and the demo
// application's small logo (200 x 58, as a BMP) into its folder. The results
// are committed, so the build never needs this program; run
// scripts/gen-art.sh after changing the art.
//
//   gen_art <library resources folder> <demo folder> [<preview folder>]
//
// With a preview folder it also writes PNGs of the art, enlarged, to look at.

#include <QColor>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSplashWidth = 400;
constexpr int kSplashHeight = 250;

// The text controls of the splash dialog sit on this card (pixels at the
// Tahoma 8 base units of 6 x 13): product name, release, search status and
// plug-in lines span x 80..384 and y 24..153.
const QRectF kCard(70.5, 14.5, 322, 146);

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v));
    put16(out, static_cast<uint16_t>(v >> 16));
}

void putInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageSize) {
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<uint16_t>(bits));
    put32(out, 0); // BI_RGB
    put32(out, imageSize);
    put32(out, 3780); // 96 dpi
    put32(out, 3780);
    put32(out, 0);
    put32(out, 0);
}

bool writeFile(const QString& path, const std::vector<uint8_t>& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "gen_art: cannot write %s\n", qPrintable(path));
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

// A bottom-up 24-bit DIB with its file header; rows are padded to 4 bytes.
bool writeBmp24(const QString& path, const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_RGB888);
    const int stride = (img.width() * 3 + 3) & ~3;
    const auto imageSize = static_cast<uint32_t>(stride * img.height());
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 14 + 40 + imageSize);
    put32(out, 0);
    put32(out, 14 + 40);
    putInfoHeader(out, img.width(), img.height(), 24, imageSize);
    for (int y = img.height() - 1; y >= 0; --y) {
        const uchar* row = img.constScanLine(y);
        for (int x = 0; x < img.width(); ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3]);
        }
        for (int pad = img.width() * 3; pad < stride; ++pad) {
            out.push_back(0);
        }
    }
    return writeFile(path, out);
}

// An icon file with one 32-bit DIB image (with its AND mask) per size.
bool writeIco(const QString& path, const std::vector<QImage>& images) {
    std::vector<std::vector<uint8_t>> dibs;
    for (const QImage& source : images) {
        const QImage img = source.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width();
        const int h = img.height();
        const int maskStride = ((w + 31) / 32) * 4;
        std::vector<uint8_t> dib;
        putInfoHeader(dib, w, h * 2, 32, static_cast<uint32_t>(w * h * 4 + maskStride * h));
        for (int y = h - 1; y >= 0; --y) {
            const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                dib.push_back(static_cast<uint8_t>(qBlue(row[x])));
                dib.push_back(static_cast<uint8_t>(qGreen(row[x])));
                dib.push_back(static_cast<uint8_t>(qRed(row[x])));
                dib.push_back(static_cast<uint8_t>(qAlpha(row[x])));
            }
        }
        // The AND mask marks fully transparent pixels, for viewers that
        // ignore the alpha channel.
        for (int y = h - 1; y >= 0; --y) {
            const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            std::vector<uint8_t> mask(static_cast<size_t>(maskStride), 0);
            for (int x = 0; x < w; ++x) {
                if (qAlpha(row[x]) == 0) {
                    mask[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
                }
            }
            dib.insert(dib.end(), mask.begin(), mask.end());
        }
        dibs.push_back(std::move(dib));
    }
    std::vector<uint8_t> out;
    put16(out, 0);
    put16(out, 1); // icon
    put16(out, static_cast<uint16_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(images[i].width() & 0xFF));
        out.push_back(static_cast<uint8_t>(images[i].height() & 0xFF));
        out.push_back(0); // colours in palette
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, 32); // bits per pixel
        put32(out, static_cast<uint32_t>(dibs[i].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(dibs[i].size());
    }
    for (const auto& dib : dibs) {
        out.insert(out.end(), dib.begin(), dib.end());
    }
    return writeFile(path, out);
}

void drawVia(QPainter& p, QPointF at, const QColor& colour, qreal radius) {
    p.setBrush(QColor(10, 26, 63));
    p.setPen(QPen(colour, 1.3));
    p.drawEllipse(at, radius, radius);
}

// A circuit trace: a run, one 45 degree bend, a run, ending in a via.
void drawTrace(QPainter& p, QPointF start, QPointF bend, QPointF end, const QColor& colour) {
    QPainterPath path(start);
    path.lineTo(bend);
    path.lineTo(end);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    drawVia(p, end, colour, 2.4);
}

void drawChip(QPainter& p, const QRectF& body, int pinsPerSide, const QColor& pinColour,
              qreal pinLength, qreal pinWidth) {
    // Pins first, so the body covers their inner ends.
    p.setPen(Qt::NoPen);
    p.setBrush(pinColour);
    const qreal step = body.width() / (pinsPerSide + 1);
    for (int i = 1; i <= pinsPerSide; ++i) {
        const qreal along = i * step;
        p.drawRect(QRectF(body.left() + along - pinWidth / 2, body.top() - pinLength, pinWidth,
                          pinLength + 1));
        p.drawRect(
            QRectF(body.left() + along - pinWidth / 2, body.bottom() - 1, pinWidth, pinLength + 1));
        p.drawRect(QRectF(body.left() - pinLength, body.top() + along - pinWidth / 2, pinLength + 1,
                          pinWidth));
        p.drawRect(
            QRectF(body.right() - 1, body.top() + along - pinWidth / 2, pinLength + 1, pinWidth));
    }
    QLinearGradient shade(body.topLeft(), body.bottomRight());
    shade.setColorAt(0, QColor(46, 64, 96));
    shade.setColorAt(1, QColor(16, 24, 42));
    p.setBrush(shade);
    p.setPen(QPen(QColor(120, 160, 220), 1));
    p.drawRoundedRect(body, 3, 3);
}

QImage drawSplash(const QString& wordFamily) {
    QImage img(kSplashWidth, kSplashHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Deep blue, lighter towards the upper right.
    QLinearGradient sky(0, kSplashHeight, kSplashWidth, 0);
    sky.setColorAt(0.0, QColor(6, 16, 42));
    sky.setColorAt(0.55, QColor(13, 40, 96));
    sky.setColorAt(1.0, QColor(22, 66, 140));
    p.fillRect(img.rect(), sky);
    QRadialGradient glow(QPointF(38, 92), 120);
    glow.setColorAt(0, QColor(40, 120, 230, 90));
    glow.setColorAt(1, QColor(40, 120, 230, 0));
    p.fillRect(img.rect(), glow);

    // A faint dot grid, like a board's solder mask.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 170, 255, 28));
    for (int y = 6; y < kSplashHeight; y += 12) {
        for (int x = 6; x < kSplashWidth; x += 12) {
            p.drawEllipse(QPointF(x, y), 0.8, 0.8);
        }
    }

    // Traces fanning out of the chip to the left edge and into the lower band.
    const QColor trace(74, 150, 255, 190);
    const QColor dimTrace(74, 150, 255, 110);
    const QRectF chip(16, 66, 44, 44);
    const qreal pitch = chip.width() / 5;
    for (int i = 1; i <= 4; ++i) {
        const qreal y = chip.top() + i * pitch;
        drawTrace(p, QPointF(chip.left() - 6, y), QPointF(9, y), QPointF(6, y + (i - 2.5) * 3),
                  dimTrace);
    }
    for (int i = 1; i <= 4; ++i) {
        const qreal x = chip.left() + i * pitch;
        drawTrace(p, QPointF(x, chip.top() - 6), QPointF(x, 40 - i * 5),
                  QPointF(x + 10, 30 - i * 5), trace);
        drawTrace(p, QPointF(x, chip.bottom() + 6), QPointF(x, 128 + i * 4),
                  QPointF(x + 14 + i * 6, 142 + i * 4), trace);
    }
    for (int i = 1; i <= 4; ++i) {
        const qreal y = chip.top() + i * pitch;
        p.setPen(QPen(trace, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(chip.right() + 6, y), QPointF(kCard.left() - 3, y));
    }

    // Lower band: a bus of parallel traces from the right edge, each bending
    // up by 45 degrees and ending in a via, staggered so that no via sits on
    // a neighbour.
    for (int i = 0; i < 7; ++i) {
        const qreal y = 180 + i * 10;
        const qreal bendX = 330 + i * 4.1;
        const qreal endX = 284 + i * 9;
        QPainterPath path(QPointF(kSplashWidth + 2, y));
        path.lineTo(QPointF(bendX, y));
        path.lineTo(QPointF(bendX - 10, y - 10));
        path.lineTo(QPointF(endX, y - 10));
        const QColor& colour = i % 3 == 1 ? trace : dimTrace;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
        drawVia(p, QPointF(endX, y - 10), colour, 2.4);
    }

    drawChip(p, chip, 4, QColor(214, 178, 92), 6, 3.2);
    QRectF die = chip.adjusted(11, 11, -11, -11);
    p.setBrush(QColor(30, 44, 72));
    p.setPen(QPen(QColor(214, 178, 92, 200), 1));
    p.drawRect(die);
    QFont mark(wordFamily);
    mark.setPixelSize(17);
    mark.setBold(true);
    p.setFont(mark);
    p.setPen(QColor(235, 242, 255));
    p.drawText(die, Qt::AlignCenter, QStringLiteral("Z"));

    // The card the dialog's texts are written on: light, so the dialog's
    // default black text reads well on it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(kCard.translated(2, 3), 7, 7);
    QLinearGradient paper(kCard.topLeft(), kCard.bottomLeft());
    paper.setColorAt(0, QColor(252, 253, 255));
    paper.setColorAt(1, QColor(226, 234, 247));
    p.setBrush(paper);
    p.setPen(QPen(QColor(150, 190, 245), 1));
    p.drawRoundedRect(kCard, 7, 7);
    // An accent rule between the product lines and the search lines.
    QLinearGradient accent(kCard.left() + 14, 0, kCard.right() - 14, 0);
    accent.setColorAt(0, QColor(0, 168, 230));
    accent.setColorAt(1, QColor(40, 80, 200, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawRect(QRectF(kCard.left() + 10, 90, kCard.width() - 20, 2));

    // Wordmark: "Zarvex" strong, "App" light, and the system's name.
    QFont strong(wordFamily);
    strong.setPixelSize(34);
    strong.setBold(true);
    QFont light(wordFamily);
    light.setPixelSize(34);
    const QPointF base(22, 214);
    p.setFont(strong);
    p.setPen(QColor(255, 255, 255));
    p.drawText(base, QStringLiteral("Zarvex"));
    const qreal zarvexWidth = QFontMetricsF(strong).horizontalAdvance(QStringLiteral("Zarvex"));
    p.setFont(light);
    p.setPen(QColor(102, 196, 255));
    p.drawText(base + QPointF(zarvexWidth + 1, 0), QStringLiteral("App"));
    QFont tagline(wordFamily);
    tagline.setPixelSize(10);
    tagline.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    p.setFont(tagline);
    p.setPen(QColor(160, 188, 232));
    p.drawText(QPointF(base.x() + 1, base.y() + 18),
               QStringLiteral("HARDWARE DEMONSTRATION SYSTEM"));
    p.end();
    return img;
}

// The demo application's small logo: it fills the host's logo frame (137 x 38
// dialog units, about 205 x 61 pixels) but for a thin margin.
QImage drawSmallLogo(const QString& family) {
    QImage img(200, 58, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, 200, 58);
    band.setColorAt(0, QColor(18, 44, 110));
    band.setColorAt(1, QColor(8, 20, 52));
    p.fillRect(img.rect(), band);
    drawTrace(p, QPointF(44, 50), QPointF(52, 42), QPointF(190, 42), QColor(64, 140, 230));
    drawChip(p, QRectF(12, 15, 28, 28), 4, QColor(214, 170, 60), 5, 2.4);
    QFont word(family);
    word.setPixelSize(22);
    word.setBold(true);
    p.setFont(word);
    p.setPen(Qt::white);
    p.drawText(QRectF(52, 4, 144, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("SimDemo"));
    QFont line(family);
    line.setPixelSize(10);
    p.setFont(line);
    p.setPen(QColor(170, 200, 240));
    p.drawText(QRectF(53, 28, 144, 12), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Pelmarin SimBoard"));
    p.end();
    return img;
}

QImage drawIcon(int size, const QString& family) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor gold(222, 178, 70);
    if (size >= 32) {
        const QRectF body(6.5, 6.5, 19, 19);
        drawChip(p, body, 3, gold, 5, 2.6);
        QLinearGradient blue(body.topLeft(), body.bottomRight());
        blue.setColorAt(0, QColor(44, 108, 214));
        blue.setColorAt(1, QColor(14, 40, 104));
        p.setBrush(blue);
        p.setPen(QPen(QColor(12, 30, 80), 1));
        p.drawRoundedRect(body, 2.5, 2.5);
        QFont mark(family);
        mark.setPixelSize(14);
        mark.setBold(true);
        p.setFont(mark);
        p.setPen(Qt::white);
        p.drawText(body.adjusted(0, 0, 0, 0), Qt::AlignCenter, QStringLiteral("Z"));
        p.setBrush(gold);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(body.left() + 3.2, body.top() + 3.2), 1.1, 1.1);
    } else {
        // Small size: crisp pixel-aligned shapes, no letter.
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(gold);
        for (int at : {5, 9}) {
            p.drawRect(at, 1, 2, 3);
            p.drawRect(at, 12, 2, 3);
            p.drawRect(1, at, 3, 2);
            p.drawRect(12, at, 3, 2);
        }
        p.setBrush(QColor(12, 30, 80));
        p.drawRect(3, 3, 10, 10);
        p.setBrush(QColor(36, 96, 200));
        p.drawRect(4, 4, 8, 8);
        p.setBrush(QColor(120, 180, 255));
        p.drawRect(6, 6, 4, 4);
        p.setBrush(gold);
        p.drawRect(4, 4, 1, 1);
    }
    p.end();
    return img;
}

QString loadFamily(const char* path, const QString& fallback) {
    const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(path));
    const QStringList families =
        id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    return families.isEmpty() ? fallback : families.first();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(
            stderr, "usage: gen_art <library resources folder> <demo folder> [<preview folder>]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString sans =
        loadFamily("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", QStringLiteral("Sans"));
    loadFamily("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", sans);

    const QImage splash = drawSplash(sans);
    const QImage logo = drawSmallLogo(sans);
    const bool ok =
        writeBmp24(folder + QStringLiteral("/splash.bmp"), splash) &&
        writeIco(folder + QStringLiteral("/chip.ico"), {drawIcon(16, sans), drawIcon(32, sans)}) &&
        writeBmp24(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/smalllogo.bmp"), logo);
    if (ok && argc == 4) {
        const QString preview = QString::fromLocal8Bit(argv[3]);
        logo.scaled(800, 232).save(preview + QStringLiteral("/smalllogo-x4.png"));
        splash.save(preview + QStringLiteral("/splash.png"));
        splash.copy(0, 0, 200, 125)
            .scaled(400, 250)
            .save(preview + QStringLiteral("/splash-tl.png"));
        splash.copy(200, 125, 200, 125)
            .scaled(400, 250)
            .save(preview + QStringLiteral("/splash-br.png"));
        drawIcon(32, sans).scaled(128, 128).save(preview + QStringLiteral("/icon32x4.png"));
        drawIcon(16, sans).scaled(128, 128).save(preview + QStringLiteral("/icon16x8.png"));
    }
    return ok ? 0 : 1;
}
