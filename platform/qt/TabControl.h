#pragma once
// The tab control window ("SysTabControl32") over Qt: a row of tabs above a
// framed display area, answering the TCM_ messages and notifying its parent
// with WM_NOTIFY TCN_SELCHANGING / TCN_SELCHANGE. CTabCtrl wraps it.

#include "platform/WinTypes.h"

class QWidget;

namespace zx {
// A tab control window in a parent widget: the tabs above a framed display
// area. Owned by its handle.
HWND CreateTabControl(QWidget* parent, DWORD style, int id);
// The messages of a tab control; also what a template's SysTabControl32
// control answers.
LRESULT TabControlProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
} // namespace zx
