#pragma once
// Waiting in tests that cross threads: bounds that are only reached when the
// code under test hangs or loses something, never timing goals.

#include "platform/Interlocked.h"
#include "platform/Threads.h"

#include <functional>

namespace zxtest {

// Upper bound for anything that should happen "soon".
inline constexpr DWORD kGenerous = 60000;

// Polls until `ready` holds or the bound passes; returns `ready()`.
inline bool WaitUntil(const std::function<bool()>& ready) {
    const DWORD start = GetTickCount();
    while (!ready()) {
        if (GetTickCount() - start > kGenerous)
            return ready();
        Sleep(1);
    }
    return true;
}

// A shared 32-bit field read with a full barrier, as another thread wrote it.
inline LONG Read(volatile LONG* field) {
    return InterlockedCompareExchange(field, 0, 0);
}

} // namespace zxtest
