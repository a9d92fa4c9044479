#include "platform/ResourceImages.h"

#include "platform/GdiObjects.h"
#include "platform/LastError.h"
#include "platform/ResImage.h"
#include "platform/Resources.h"

#include <QByteArray>

#include <cstdlib>
#include <cstring>

namespace zx {

namespace {

DWORD Little32(const BYTE* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (DWORD(p[3]) << 24);
}
WORD Little16(const BYTE* p) {
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

void Append32(QByteArray& out, DWORD v) {
    const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.append(bytes, 4);
}

// Qt reads BMP and ICO files; resources hold the same data without the file
// headers, which are rebuilt here.
QImage ImageFromDib(std::span<const BYTE> dib) {
    if (dib.size() < 40) {
        return {};
    }
    const DWORD headerSize = Little32(dib.data());
    if (headerSize < 40 || headerSize > dib.size()) {
        return {};
    }
    const WORD bitCount = Little16(dib.data() + 14);
    const DWORD compression = Little32(dib.data() + 16);
    DWORD colours = Little32(dib.data() + 32);
    if (colours == 0 && bitCount <= 8) {
        colours = 1u << bitCount;
    }
    if (compression == 3 /* BI_BITFIELDS */ && headerSize == 40) {
        colours = 3; // the three masks follow the header
    }
    const unsigned long long offset = 14ull + headerSize + 4ull * colours;
    if (offset > 14ull + dib.size()) {
        return {};
    }
    QByteArray file("BM");
    Append32(file, static_cast<DWORD>(14 + dib.size()));
    Append32(file, 0);
    Append32(file, static_cast<DWORD>(offset));
    file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    return QImage::fromData(file, "BMP");
}

} // namespace

QImage LoadBitmapImage(HMODULE module, LPCWSTR name) {
    return ImageFromDib(ResourceBytes(module, name, RT_BITMAP));
}

QImage LoadIconImage(HMODULE module, WORD id, int size) {
    // GRPICONDIR: reserved, type 1, count; then 14-byte entries whose last
    // word is the id of the RT_ICON image.
    const auto group = ResourceBytes(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    if (group.size() < 6 || Little16(group.data() + 2) != 1) {
        return {};
    }
    const size_t count = Little16(group.data() + 4);
    const BYTE* best = nullptr;
    int bestWidth = 0;
    for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i) {
        const BYTE* entry = group.data() + 6 + 14 * i;
        const int width = entry[0] == 0 ? 256 : entry[0];
        const bool better =
            !best ||
            (size == 0 ? width > bestWidth : std::abs(width - size) < std::abs(bestWidth - size));
        if (better) {
            best = entry;
            bestWidth = width;
        }
    }
    if (!best) {
        return {};
    }
    const auto image = ResourceBytes(module, MAKEINTRESOURCEW(Little16(best + 12)), RT_ICON);
    if (image.empty()) {
        return {};
    }
    QByteArray file;
    const char header[6] = {0, 0, 1, 0, 1, 0};
    file.append(header, 6);
    file.append(reinterpret_cast<const char*>(best), 8); // size, colours, planes, bit count
    Append32(file, static_cast<DWORD>(image.size()));
    Append32(file, 6 + 16);
    file.append(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
    return QImage::fromData(file, "ICO");
}

} // namespace zx

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    const auto dib = zx::ResourceBytes(instance, name, RT_BITMAP); // says why when missing
    if (dib.empty())
        return nullptr;
    const QImage image = zx::ImageFromDib(dib);
    if (image.isNull()) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return zx::CreateBitmapHandle(image);
}
