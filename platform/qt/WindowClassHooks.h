#pragma once
// What the window system asks of the class layer above it (internal to the
// platform layer). The MFC classes register their answers when the library
// loads; until then the window system treats every window as one without an
// object of its own.

#include "platform/Messages.h"

namespace zx {

struct WindowClassHooks {
    // Whether the window's object routes its messages through a message map
    // at all, and whether that map handles a message (WM_PAINT,
    // WM_ERASEBKGND...): windows without such an object are left to Qt.
    bool (*routesMessages)(HWND hwnd) = nullptr;
    bool (*handlesMessage)(HWND hwnd, UINT message) = nullptr;
    // Offers a key or mouse message to the window and its parents before the
    // widget sees it; true when one of them took it.
    bool (*preTranslate)(MSG* msg) = nullptr;
    // The window's handle is gone: objects attached to it let go of it.
    void (*destroyed)(HWND hwnd) = nullptr;
};

void SetWindowClassHooks(const WindowClassHooks& hooks);
const WindowClassHooks& ClassHooks();

// Translates the Qt events of bound widgets into the messages Windows would
// send them (installed once, when the application exists).
void EnsureEventBridge();

} // namespace zx
