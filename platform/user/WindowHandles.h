#pragma once
// Window handles: an HWND is an index into the process's window table with a
// generation count, never an object address, so a handle to a destroyed
// window is simply invalid. Each entry records the window's procedure, its
// context (the object behind the window) and the thread that owns it.

#include "platform/Messages.h"
#include "platform/WinTypes.h"

BOOL DestroyWindow(HWND hWnd);
BOOL IsWindow(HWND hWnd);
// Returns the owner thread's id (0 for an invalid window).
DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* processId);
// Returns 0; WM_CLOSE destroys the window, as on Windows.
LRESULT DefWindowProcW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The same name (compared case-insensitively) gives the same id, 0xC000-0xFFFF.
UINT RegisterWindowMessageW(const wchar_t* name);

namespace zx {
// A window owned by the calling thread; a null procedure means DefWindowProcW.
HWND CreateWindowHandle(WNDPROC proc, void* context);
void* GetWindowContext(HWND hWnd);
BOOL SetWindowContext(HWND hWnd, void* context);
// Returns the previous procedure (null for an invalid window).
WNDPROC SetWindowProcedure(HWND hWnd, WNDPROC proc);
} // namespace zx
