#pragma once
// Window handles of Qt widgets: which widget stands behind an HWND, its
// window class as Windows reports it, its styles, and the window calls of
// the Windows API that work on those widgets (show, enable, move, text,
// focus, styles...). User-interface thread only, as on Windows.
//
// A window of the window layer is an HWND of the window table (its procedure
// and context belong to whoever made it: a CWnd, or a control's class) bound
// here to its widget. Destroying the handle destroys the widget when the
// binding owns it; a widget deleted by Qt destroys its handle.

#include "platform/GdiObjects.h"
#include "platform/Messages.h"
#include "platform/String.h"
#include "platform/WinTypes.h"
#include "platform/WindowHandles.h"
#include "platform/rc/zxres.h"

#include <string>
#include <string_view>
#include <vector>

class QMenuBar;
class QWidget;

struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HICON__;
using HICON = HICON__*;
using LPPOINT = POINT*;
using LPCRECT = const RECT*;

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9

// SetWindowPos flags and z-order places.
#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_NOREDRAW 0x0008u
#define SWP_NOACTIVATE 0x0010u
#define SWP_FRAMECHANGED 0x0020u
#define SWP_SHOWWINDOW 0x0040u
#define SWP_HIDEWINDOW 0x0080u
#define SWP_NOOWNERZORDER 0x0200u
#define HWND_TOP (reinterpret_cast<HWND>(0))
#define HWND_BOTTOM (reinterpret_cast<HWND>(1))
#define HWND_TOPMOST (reinterpret_cast<HWND>(-1))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(-2))

// GetWindow relations.
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5

// GetWindowLongW indexes.
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_ID (-12)

// RedrawWindow flags.
#define RDW_INVALIDATE 0x0001u
#define RDW_ERASE 0x0004u
#define RDW_ALLCHILDREN 0x0080u
#define RDW_UPDATENOW 0x0100u
#define RDW_ERASENOW 0x0200u
#define RDW_FRAME 0x0400u

// Standard cursors (LoadCursorW with a null module).
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_SIZEALL MAKEINTRESOURCEW(32646)
#define IDC_NO MAKEINTRESOURCEW(32648)
#define IDC_HAND MAKEINTRESOURCEW(32649)

BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsWindowEnabled(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);
// The nearest window up the widget tree; null for a top-level window.
HWND GetParent(HWND hWnd);
BOOL IsChild(HWND hWndParent, HWND hWnd);
// Siblings and children in z-order, topmost first (GW_CHILD, GW_HWNDNEXT...);
// null at either end and for an owner, which this layer does not keep.
HWND GetWindow(HWND hWnd, UINT uCmd);
// The first control with that id among the window's children.
HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
int GetDlgCtrlID(HWND hWnd);
LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex);
// Changing WS_VISIBLE or WS_DISABLED shows, hides, enables or disables.
LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR value);
LONG GetWindowLongW(HWND hWnd, int nIndex);
LONG SetWindowLongW(HWND hWnd, int nIndex, LONG value);
// "Button", "Edit", "Static", "ComboBox", "msctls_progress32", "RichEdit20A",
// "SysTabControl32", "#32770" for dialogs...; 0 for an invalid window.
int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);

// Rectangles: a window's in screen coordinates (its frame for a top-level
// window), its client area from (0, 0).
BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint);
BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint);
// x and y in the parent's client coordinates (screen for a top-level window).
BOOL MoveWindow(HWND hWnd, int x, int y, int nWidth, int nHeight, BOOL bRepaint);
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT uFlags);

// A repaint is scheduled; before it, the controls of the window ask their
// parent for colours again (WM_CTLCOLOR*).
BOOL InvalidateRect(HWND hWnd, LPCRECT lpRect, BOOL bErase);
BOOL UpdateWindow(HWND hWnd);
BOOL RedrawWindow(HWND hWnd, LPCRECT lprcUpdate, void* hrgnUpdate, UINT flags);

HWND GetFocus();
// Returns the window that had the focus.
HWND SetFocus(HWND hWnd);
HWND GetActiveWindow();

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString);
int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
int GetWindowTextLengthW(HWND hWnd);
BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString);
UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax);
LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
UINT IsDlgButtonChecked(HWND hDlg, int nIDButton);

// Cursors: SetCursor while a window handles WM_SETCURSOR gives that window's
// widget the cursor; the previous cursor is returned.
HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName);
HCURSOR SetCursor(HCURSOR hCursor);

namespace zx {

// Binds a widget to a live window handle. ownsWidget: destroying the handle
// deletes the widget. The class name is kept as Windows spells it.
bool BindWidget(HWND hwnd, QWidget* widget, std::wstring_view className, DWORD style, DWORD exStyle,
                bool ownsWidget);
// Forgets the binding (the widget stays); returns the widget if it still lives.
QWidget* UnbindWidget(HWND hwnd);
// Forgets the binding and deletes the widget if the binding owned it (later,
// when called from inside an event handler).
void ReleaseBinding(HWND hwnd);
// Destroys a window with everything in it: the handles of its descendants
// first, then its own (WM_DESTROY, WM_NCDESTROY), then its widget.
bool DestroyWindowTree(HWND hwnd);

QWidget* WidgetFromHandle(HWND hwnd);

// A widget's child widgets in Windows' z-order, topmost first. Windows puts
// each new child window at the bottom, so a dialog's first control is on top
// of the others and first in every enumeration (GetWindow, GetDlgItem, the
// Tab order); Qt paints and hit-tests its last child on top, so the window
// layer keeps Qt's stacking and reads it backwards.
std::vector<QWidget*> ChildWidgetsInZOrder(const QWidget* widget);
// The handle bound to exactly this widget, or null.
HWND HandleFromWidget(const QWidget* widget);
// The handle of this widget or of its nearest ancestor that has one (the
// viewport of a text box belongs to the text box's window).
HWND WindowFromWidget(const QWidget* widget);

// The class name Windows reports for a template's class ("BUTTON" ->
// "Button", "RICHEDIT20A" -> "RichEdit20A"); unknown names stay as they are.
std::wstring CanonicalClassName(std::wstring_view className);
std::wstring WindowClassName(HWND hwnd);
DWORD WindowStyle(HWND hwnd);
DWORD WindowExStyle(HWND hwnd);
// Records new style bits without acting on them.
void StoreWindowStyles(HWND hwnd, DWORD style, DWORD exStyle);

// WS_TABSTOP puts a control in the Tab order. Without it a click still
// focuses the controls that take the keyboard (buttons, edits, combo boxes,
// lists, tabs), as on Windows; statics, group boxes and bars never take it.
void SetControlFocusPolicy(QWidget* control, DWORD style);

// Windows' hit test passes over a group box and over a static without
// SS_NOTIFY (HTTRANSPARENT): a click there goes to the control beneath.
void SetMouseTransparency(QWidget* control, std::wstring_view className, DWORD style);

// The font handle last set with WM_SETFONT on a window without a control
// class (the default procedure's answer to WM_GETFONT).
HFONT WindowFont(HWND hwnd);

// What the window layer's default procedure does for a widget window: the
// title for WM_SETTEXT / WM_GETTEXT / WM_GETTEXTLENGTH, the font for
// WM_SETFONT / WM_GETFONT; everything else goes to DefWindowProcW.
LRESULT DefWidgetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A control window for a widget made from a template item or by Create: a
// handle with the control class's behaviour (its messages and the
// notifications it sends its parent), bound to the widget, which it owns.
HWND CreateControlHandle(QWidget* widget, std::wstring_view className, DWORD style, DWORD exStyle,
                         int id);
void SetControlId(QWidget* widget, int id);
// A window for a widget made elsewhere (the host's own main window, say),
// with the default procedure; a CWnd can then Attach or SubclassWindow it.
HWND CreateWindowForWidget(QWidget* widget, std::wstring_view className, DWORD style, DWORD exStyle,
                           bool ownsWidget);

// Asks the window's parent for the colours of each of its child controls
// (WM_CTLCOLOR*) and, for a dialog, of itself, and applies the answers.
void RefreshControlColours(HWND hwnd);

// The widget handling WM_SETCURSOR right now (SetCursor applies to it).
void SetCursorTarget(QWidget* widget);

// The menu bar of a window: SetWindowMenuBar puts the bar (filled by the
// caller) across the top of the window and the client area below it, in
// place of an earlier bar; a null bar removes it. ClientTop is where the
// client area starts inside the window's widget (0 without a bar).
bool SetWindowMenuBar(HWND hwnd, QMenuBar* bar);
QMenuBar* WindowMenuBar(HWND hwnd);
int ClientTop(const QWidget* widget);

} // namespace zx
