#pragma once
// Pictures carried as resources: bitmaps (device-independent bitmaps without
// their file header) and icons (a group directory naming one image per size).
// Damaged or missing data gives a null image.

#include "platform/WinTypes.h"

#include <QImage>

namespace zx {

QImage LoadBitmapImage(HMODULE module, LPCWSTR name);

// The group's image closest to `size` pixels across; the largest with 0.
QImage LoadIconImage(HMODULE module, WORD id, int size = 0);

} // namespace zx
