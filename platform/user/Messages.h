#pragma once
// Win32-style message queues, one per thread.
//
// A thread's queue exists from its first PeekMessageW or GetMessageW (or its
// first window); until then PostThreadMessageW to it fails. Window messages
// go to the queue of the window's thread. On the Qt GUI thread (the
// user-interface thread) the queue is also drained by the Qt event loop: a
// post from any thread wakes it, and explicit pumps and modal loops take from
// the same queue in the same order.

#include "platform/WinTypes.h"
#include "platform/WindowMessages.h"

#include <functional>

struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using MSG = tagMSG;
using LPMSG = MSG*;
using PMSG = MSG*;
static_assert(sizeof(MSG) == 48, "MSG keeps the layout of 64-bit Windows");

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u
#define PM_NOYIELD 0x0002u

// Both 0: no range filter. WM_QUIT is returned whatever the filter. A window
// filter of (HWND)-1 takes only thread messages (those without a window).
BOOL PeekMessageW(MSG* msg, HWND hWnd, UINT msgFilterMin, UINT msgFilterMax, UINT removeMsg);
// Blocks until a message arrives; 0 for WM_QUIT, -1 for bad arguments.
BOOL GetMessageW(MSG* msg, HWND hWnd, UINT msgFilterMin, UINT msgFilterMax);
// There are no keyboard messages to translate: always FALSE.
BOOL TranslateMessage(const MSG* msg);
// Calls the procedure of msg->hwnd (a window of the calling thread), or the
// TIMERPROC of a WM_TIMER whose timer was set with one.
LRESULT DispatchMessageW(const MSG* msg);

BOOL PostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
// On the window's own thread the procedure is called directly; from another
// thread the message waits in the owner's queue until its next pump, while the
// sender goes on serving messages sent to itself. 0 when the window or its
// thread is gone.
LRESULT SendMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// WM_TIMER (wParam = id, lParam = the TIMERPROC) is generated in the window's
// queue when the timer is due and nothing else is waiting; at most one per
// timer is pending, and KillTimer withdraws it. Without a window the timer
// belongs to the calling thread and gets a new id.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR idEvent, UINT elapse, TIMERPROC timerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR idEvent);

namespace zx {
// Thread messages (no window) that reach the Qt event loop's drain of the GUI
// thread's queue go to this hook, installed by the host; without one they are
// dropped. The hook runs on the GUI thread.
void SetThreadMessageHook(std::function<bool(MSG&)> hook);

// Offered each window message the Qt event loop drains, before it is
// dispatched; true means the hook took it (the window layer installs its
// PreTranslateMessage walk here).
void SetPreTranslateHook(bool (*hook)(MSG*));

// A thread about to end refuses further posts and sends, while what is
// already queued can still be peeked. A worker calls this before draining its
// last records: each record then either fails to post, so its sender keeps
// it, or is drained; none is lost with the queue.
void RefuseThreadMessages();

// A modal loop (a dialog's DoModal) running on the calling thread, for as
// long as the object lives. While it is the innermost one, a quit request
// reaching the Qt event loop's drain (PostQuitMessage, or a posted WM_QUIT,
// which is never dispatched to a window) ends it: `end` is called once. The
// request stays queued, so the loop outside ends in turn, as a Windows modal
// loop posts the quit again for the loop outside it.
class ModalLoopScope {
public:
    explicit ModalLoopScope(std::function<void()> end);
    ~ModalLoopScope();
    ModalLoopScope(const ModalLoopScope&) = delete;
    ModalLoopScope& operator=(const ModalLoopScope&) = delete;

    std::function<void()> end;
    bool ending = false;
};
} // namespace zx
