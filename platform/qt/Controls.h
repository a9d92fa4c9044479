#pragma once
// Controls: the window procedures of the standard controls over the Qt
// widgets that stand for them. The window layer creates a control's widget
// and handle and calls AttachControl; from then on the control answers its
// Windows messages (BM_*, CB_*, EM_*, PBM_*, WM_SETTEXT, WM_GETTEXT, ...)
// sent to its handle, and reports what the user does to its parent window
// as WM_COMMAND (MAKEWPARAM(id, BN_CLICKED / CBN_SELCHANGE / EN_CHANGE /
// STN_CLICKED), lParam = the control's handle).
//
// Positions in edit and rich-edit controls count every paragraph end as one
// character, as rich-edit positions do, and their "lines" are paragraphs:
// the same text gives the same line numbers whatever the control's width.
// Texts read from a rich edit end their paragraphs with '\r', texts read
// from a multi-line edit with "\r\n".

#include "platform/ControlMessages.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <string_view>

class QWidget;

namespace zx {

// className is the control's Windows class ("Button", "Edit", "Static",
// "ComboBox", "msctls_progress32", "RichEdit20A"...), style its WS_/xS_
// style bits. Messages the control does not know go to the procedure the
// handle had before (DefWindowProcW when none). Attaching again replaces the
// earlier attachment.
void AttachControl(HWND control, QWidget* widget, std::wstring_view className, DWORD style);

// The widget of an attached control; null for anything else.
QWidget* ControlWidget(HWND control);

// The procedure AttachControl installs (for windows that subclass a control
// and pass on what they do not handle).
LRESULT ControlWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace zx
