#pragma once
// The table behind HANDLE values. A handle is an index with a generation
// count, never an object address, so a closed or made-up handle is simply not
// found instead of reaching freed memory. An object lives as long as a handle
// or the platform layer itself holds a reference.

#include "platform/Sync.h"
#include "platform/WinTypes.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace zx {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Waits until the object is signalled: WAIT_OBJECT_0, WAIT_TIMEOUT or,
    // for objects one cannot wait on, WAIT_FAILED.
    virtual DWORD Wait(DWORD milliseconds);

    // For waits on several objects at once. An object one can wait on names
    // the lock that guards its state; with that lock held, the waiter asks
    // whether it is signalled and, once its wait is satisfied, takes the
    // signal (an auto-reset event resets).
    virtual std::mutex* StateLock() { return nullptr; }
    virtual bool SignalledLocked() const { return false; }
    virtual void TakeSignalLocked() {}
    // A thread's own handle: it is never signalled while that thread waits.
    virtual bool IsCallingThread() const { return false; }
};

// Waits on several objects share one wake-up: whatever may satisfy such a
// wait (an object signalled, a message arriving) calls WakeObjectWaiters
// after the change, with no lock of the waiters' held or any other.
void WakeObjectWaiters();

// The state of the waits on several objects, for one waiter. Take the epoch,
// look at what the wait needs, and sleep only if nothing woke the waiters
// since the epoch was taken.
class ObjectWaitScope {
public:
    ObjectWaitScope();
    ~ObjectWaitScope();
    ObjectWaitScope(const ObjectWaitScope&) = delete;
    ObjectWaitScope& operator=(const ObjectWaitScope&) = delete;

    unsigned long long Epoch() const;
    // Returns at the deadline at the latest (time_point::max(): never).
    void SleepUnless(unsigned long long epoch, std::chrono::steady_clock::time_point deadline);
};

// Asked on a thread in MsgWaitForMultipleObjects: whether its message queue
// holds input of the QS_ kinds in `wakeMask` (only what arrived since the
// thread last looked at its queue, unless `anyInput`). `recheckAt` is moved
// earlier to when a timer of the queue falls due. The message layer
// registers it, and calls WakeObjectWaiters whenever input arrives.
using MessageWaitHook = bool (*)(DWORD wakeMask, bool anyInput,
                                 std::chrono::steady_clock::time_point& recheckAt);
void SetMessageWaitHook(MessageWaitHook hook);
MessageWaitHook GetMessageWaitHook();

HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object);
// Null for a handle that is not (or no longer) in the table.
std::shared_ptr<KernelObject> ReferenceKernelObject(HANDLE handle);
// Removes the handle; the object dies with its last reference.
bool CloseKernelObject(HANDLE handle);

template <class T> std::shared_ptr<T> ReferenceKernelObjectAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(ReferenceKernelObject(handle));
}

} // namespace zx
