#pragma once
// Waits on a condition variable with a Windows-style time-out in milliseconds
// (INFINITE waits for ever). Returns the predicate's final value.

#include "platform/WinTypes.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zx {

// How long a waiter keeps looking before it sleeps. A request and its answer
// often cross between threads within microseconds, while waking a sleeping
// thread costs tens of microseconds on an idle machine; a short look, yielding
// the processor between tries, saves that on the command path.
inline constexpr std::chrono::microseconds kSpinBeforeSleep{50};

// Looks for `ready` for up to kSpinBeforeSleep (or the time-out, if shorter),
// releasing the lock between tries. The lock is held again on return.
template <class Predicate>
bool SpinFor(std::unique_lock<std::mutex>& lock, DWORD milliseconds, Predicate& ready) {
    if (ready())
        return true;
    const auto end = std::chrono::steady_clock::now() +
                     std::min<std::chrono::steady_clock::duration>(
                         kSpinBeforeSleep, std::chrono::milliseconds(milliseconds));
    while (std::chrono::steady_clock::now() < end) {
        lock.unlock();
        std::this_thread::yield();
        lock.lock();
        if (ready())
            return true;
    }
    return false;
}

template <class Predicate>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD milliseconds,
             Predicate ready) {
    if (milliseconds != 0 && SpinFor(lock, milliseconds, ready))
        return true;
    if (milliseconds == INFINITE) {
        cv.wait(lock, ready);
        return true;
    }
    if (milliseconds == 0) {
        // A poll: a zero timed wait would still sleep in the kernel for the
        // timer slack, which makes polling loops a hundred times slower.
        return ready();
    }
    return cv.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
}

} // namespace zx
