#pragma once
// What the message calls need of the window table (internal to the platform
// layer).

#include "platform/MessageQueue.h"
#include "platform/WindowHandles.h"

#include <memory>

namespace zx {

struct WindowInfo {
    WNDPROC proc = nullptr;
    void* context = nullptr;
    DWORD ownerThreadId = 0;
    std::shared_ptr<MessageQueue> queue;
};

bool LookupWindow(HWND hwnd, WindowInfo& info);
// Calls the procedure of a live window owned by the calling thread; false
// (and nothing called) otherwise.
bool CallWindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
// The thread ended: its windows become invalid without their procedures being
// called, as the objects behind them may already be gone.
void InvalidateThreadWindows(DWORD threadId);

} // namespace zx
