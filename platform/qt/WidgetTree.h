#pragma once
// What the files of the widget binding share (internal to the window system).

#include "platform/WinTypes.h"

#include <QPointer>
#include <QWidget>

#include <vector>

namespace zx {

// The property a control's id is kept in (as DialogBuilder names it).
inline constexpr const char* kIdProperty = "zxControlId";

// The nearest bound descendants of a widget: its child windows.
void CollectChildHandles(const QWidget* widget, std::vector<HWND>& out);

// The widget handling WM_SETCURSOR right now (SetCursor applies to it).
QPointer<QWidget>& CursorTarget();

} // namespace zx
