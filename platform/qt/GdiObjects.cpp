#include "platform/GdiObjects.h"

#include "platform/FontRegistry.h"

#include <QApplication>
#include <QPalette>

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <variant>

namespace zx {
namespace {

// Low four bits of a handle: its kind; bit 3 marks stock objects.
enum Kind : std::uintptr_t { kFont = 1, kBrush = 2, kBitmap = 3, kStock = 8 };

struct Hollow {};
using Object = std::variant<QFont, COLORREF, Hollow, QImage>;

struct Table {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, Object> objects;
    std::uintptr_t next = 1;
};

Table& Objects() {
    static auto* t = new Table; // outlives static destructors that delete objects
    return *t;
}

std::uintptr_t Add(Object object, std::uintptr_t kind) {
    Table& t = Objects();
    std::lock_guard lock(t.mutex);
    const std::uintptr_t handle = (t.next++ << 4) | kind;
    t.objects.emplace(handle, std::move(object));
    return handle;
}

std::optional<Object> Lookup(const void* handle) {
    Table& t = Objects();
    std::lock_guard lock(t.mutex);
    const auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.objects.end())
        return std::nullopt;
    return it->second;
}

COLORREF PaletteColor(QPalette::ColorRole role, COLORREF fallback) {
    if (!qApp)
        return fallback;
    return FromQColor(QApplication::palette().color(QPalette::Active, role));
}

} // namespace

QColor ToQColor(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF FromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

std::optional<QFont> FontFromHandle(HFONT font) {
    const auto object = Lookup(font);
    if (!object || !std::holds_alternative<QFont>(*object))
        return std::nullopt;
    return std::get<QFont>(*object);
}

std::optional<COLORREF> BrushColor(HBRUSH brush) {
    const auto object = Lookup(brush);
    if (!object || !std::holds_alternative<COLORREF>(*object))
        return std::nullopt;
    return std::get<COLORREF>(*object);
}

std::optional<QImage> ImageFromHandle(HBITMAP bitmap) {
    const auto object = Lookup(bitmap);
    if (!object || !std::holds_alternative<QImage>(*object))
        return std::nullopt;
    return std::get<QImage>(*object);
}

bool IsHollowBrush(HBRUSH brush) {
    const auto object = Lookup(brush);
    return object && std::holds_alternative<Hollow>(*object);
}

HFONT CreateFontHandle(const QFont& font) {
    return reinterpret_cast<HFONT>(Add(font, kFont));
}

HBRUSH CreateBrushHandle(COLORREF color) {
    return reinterpret_cast<HBRUSH>(Add(color & 0x00FFFFFFu, kBrush));
}

HBITMAP CreateBitmapHandle(const QImage& image) {
    return reinterpret_cast<HBITMAP>(Add(image, kBitmap));
}

} // namespace zx

HGDIOBJ GetStockObject(int object) {
    // Made once each, then shared.
    static const auto stock = [] {
        std::unordered_map<int, std::uintptr_t> s;
        s[WHITE_BRUSH] = zx::Add(COLORREF(0xFFFFFF), zx::kBrush | zx::kStock);
        s[LTGRAY_BRUSH] = zx::Add(COLORREF(0xC0C0C0), zx::kBrush | zx::kStock);
        s[GRAY_BRUSH] = zx::Add(COLORREF(0x808080), zx::kBrush | zx::kStock);
        s[DKGRAY_BRUSH] = zx::Add(COLORREF(0x404040), zx::kBrush | zx::kStock);
        s[BLACK_BRUSH] = zx::Add(COLORREF(0), zx::kBrush | zx::kStock);
        s[NULL_BRUSH] = zx::Add(zx::Hollow{}, zx::kBrush | zx::kStock);
        s[DEFAULT_GUI_FONT] =
            zx::Add(zx::FontRegistry::font(QStringLiteral("Tahoma"), 8), zx::kFont | zx::kStock);
        return s;
    }();
    const auto it = stock.find(object);
    return it == stock.end() ? nullptr : reinterpret_cast<HGDIOBJ>(it->second);
}

BOOL DeleteObject(HGDIOBJ object) {
    const auto handle = reinterpret_cast<std::uintptr_t>(object);
    if (handle & zx::kStock)
        return FALSE;
    auto& t = zx::Objects();
    std::lock_guard lock(t.mutex);
    return t.objects.erase(handle) ? TRUE : FALSE;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    return zx::CreateBrushHandle(color);
}

DWORD GetSysColor(int index) {
    switch (index) {
    case COLOR_WINDOW:
        return zx::PaletteColor(QPalette::Base, RGB(255, 255, 255));
    case COLOR_WINDOWTEXT:
        return zx::PaletteColor(QPalette::Text, RGB(0, 0, 0));
    case COLOR_HIGHLIGHT:
        return zx::PaletteColor(QPalette::Highlight, RGB(0, 120, 215));
    case COLOR_HIGHLIGHTTEXT:
        return zx::PaletteColor(QPalette::HighlightedText, RGB(255, 255, 255));
    case COLOR_BTNFACE:
        return zx::PaletteColor(QPalette::Window, RGB(240, 240, 240));
    case COLOR_BTNSHADOW:
        return zx::PaletteColor(QPalette::Mid, RGB(160, 160, 160));
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    case COLOR_BTNTEXT:
        return zx::PaletteColor(QPalette::ButtonText, RGB(0, 0, 0));
    case COLOR_BTNHIGHLIGHT:
        return zx::PaletteColor(QPalette::Light, RGB(255, 255, 255));
    case COLOR_HOTLIGHT:
        return zx::PaletteColor(QPalette::Link, RGB(0, 102, 204));
    default:
        return RGB(0, 0, 0);
    }
}

HBRUSH GetSysColorBrush(int index) {
    static std::mutex mutex;
    static std::unordered_map<int, std::uintptr_t> brushes;
    std::lock_guard lock(mutex);
    auto& handle = brushes[index];
    if (handle == 0)
        handle = zx::Add(COLORREF(GetSysColor(index)), zx::kBrush | zx::kStock);
    return reinterpret_cast<HBRUSH>(handle);
}
