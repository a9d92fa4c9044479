#pragma once
// The keyboard state of the user-interface thread and accelerator tables.
//
// GetKeyState reports the Shift, Ctrl and Alt keys as they were with the last
// key or mouse input the window system passed on, as Windows reports them for
// the message being handled. Accelerator tables are loaded from
// RT_ACCELERATOR resources or made from ACCEL arrays; TranslateAcceleratorW
// turns a matching key message into WM_COMMAND (HIWORD(wParam) = 1, lParam =
// 0) sent to the given window.

#include "platform/AcceleratorTable.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

struct HACCEL__;
using HACCEL = HACCEL__*;

// Negative (high bit set) while the key is down; VK_SHIFT, VK_CONTROL and
// VK_MENU only, 0 for other keys.
SHORT GetKeyState(int virtualKey);

// The table of module (the resource chain when null: the resource module,
// then the program); null when missing or damaged. Each call makes a table
// of its own, to be freed with DestroyAcceleratorTable.
HACCEL LoadAcceleratorsW(HINSTANCE module, LPCWSTR name);
HACCEL LoadAccelerators(HINSTANCE module, LPCWSTR name);
HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
// With a null buffer, the number of entries; else copies up to count of them
// and returns how many it copied.
int CopyAcceleratorTableW(HACCEL table, LPACCEL entries, int count);

// WM_KEYDOWN and WM_SYSKEYDOWN match FVIRTKEY entries whose FSHIFT, FCONTROL
// and FALT equal the keys held; WM_CHAR matches the other entries without
// FALT, WM_SYSCHAR those with FALT (ignoring case). Nonzero when msg matched
// and the command was sent.
int TranslateAcceleratorW(HWND window, HACCEL table, LPMSG msg);
int TranslateAccelerator(HWND window, HACCEL table, LPMSG msg);

namespace zx {

inline constexpr BYTE kKeyShift = FSHIFT;
inline constexpr BYTE kKeyControl = FCONTROL;
inline constexpr BYTE kKeyAlt = FALT;

// Set by the window system with each input event: kKeyShift, kKeyControl
// and kKeyAlt as held.
void SetKeyModifiers(BYTE held);

} // namespace zx
