#pragma once
// Renders a window the way a user would see it into a PNG file under the
// build tree's renders/ folder (next to bin/), for tests and reviews.

#include "platform/WinTypes.h"

#include <string>

class QWidget;

namespace zxtest {
// The file written, or "" when the window could not be rendered.
std::string RenderPng(QWidget* widget, const std::string& name);
std::string RenderPng(HWND hwnd, const std::string& name);
} // namespace zxtest
