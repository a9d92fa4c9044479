#include "platform/LastError.h"
#include "platform/Messages.h"
#include "platform/WindowTable.h"

namespace {

// The queue that holds a timer: that of the window's thread, or the calling
// thread's own for a timer without a window.
std::shared_ptr<zx::MessageQueue> TimerQueue(HWND hWnd, bool create) {
    if (!hWnd)
        return zx::CallingThreadQueue(create);
    zx::WindowInfo info;
    if (!zx::LookupWindow(hWnd, info))
        return nullptr;
    return info.queue;
}

} // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR idEvent, UINT elapse, TIMERPROC timerFunc) {
    auto queue = TimerQueue(hWnd, true);
    if (!queue) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const UINT_PTR id = queue->SetTimer(hWnd, idEvent, elapse, timerFunc);
    if (id == 0)
        SetLastError(ERROR_INVALID_THREAD_ID);
    return id;
}

BOOL KillTimer(HWND hWnd, UINT_PTR idEvent) {
    auto queue = TimerQueue(hWnd, false);
    if (!queue) {
        SetLastError(hWnd ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!queue->KillTimer(hWnd, idEvent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
