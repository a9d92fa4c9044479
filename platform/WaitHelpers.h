#pragma once
// Waits on a condition variable with a Windows-style time-out in milliseconds
// (INFINITE waits for ever). Returns the predicate's final value.

#include "platform/WinTypes.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zx {

template <class Predicate>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD milliseconds,
             Predicate ready) {
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
