#pragma once
// GDI object handles (fonts, brushes, bitmaps) and the calls that work on
// any of them. A handle names an entry of the process's object table, never
// an object's address: a deleted or made-up handle is simply not found.

#include "platform/WinTypes.h"

#include <QColor>
#include <QFont>
#include <QImage>

#include <optional>

struct HFONT__;
struct HBRUSH__;
struct HBITMAP__;
struct HDC__;
using HFONT = HFONT__*;
using HBRUSH = HBRUSH__*;
using HBITMAP = HBITMAP__*;
using HDC = HDC__*;
using HGDIOBJ = void*;

// Stock objects: shared, never deleted.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define DEFAULT_GUI_FONT 17

// System colours (GetSysColor indexes).
#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_HOTLIGHT 26

// Image types of STM_SETIMAGE and STM_GETIMAGE.
#define IMAGE_BITMAP 0

HGDIOBJ GetStockObject(int object);
// Deletes a font, brush or bitmap made by the Create and Load calls; stock
// objects and unknown handles give FALSE.
BOOL DeleteObject(HGDIOBJ object);
HBRUSH CreateSolidBrush(COLORREF color);
// The desktop palette's colours in Windows' roles.
DWORD GetSysColor(int index);
// A stock brush of that system colour (never deleted).
HBRUSH GetSysColorBrush(int index);
// The module's bitmap resource, by id (MAKEINTRESOURCEW) or name; null when
// the module has none of that name or its data is damaged.
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);

namespace zx {

QColor ToQColor(COLORREF color);
COLORREF FromQColor(const QColor& color);

// What a handle stands for; nothing for null, hollow and unknown handles.
std::optional<QFont> FontFromHandle(HFONT font);
std::optional<COLORREF> BrushColor(HBRUSH brush);
std::optional<QImage> ImageFromHandle(HBITMAP bitmap);
bool IsHollowBrush(HBRUSH brush);

HFONT CreateFontHandle(const QFont& font);
HBRUSH CreateBrushHandle(COLORREF color);
HBITMAP CreateBitmapHandle(const QImage& image);

} // namespace zx
