#pragma once
// Waiting in tests that cross threads: bounds that are only reached when the
// code under test hangs or loses something, never timing goals.

#include "platform/Interlocked.h"
#include "platform/Threads.h"

#include <functional>
#include <memory>

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

// Runs `body` on a thread made by CreateThread, so that it has what such
// threads have (a message queue, self-suspension); its result is the exit code.
inline HANDLE StartThread(std::function<DWORD()> body, DWORD* id = nullptr) {
    return CreateThread(
        nullptr, 0,
        [](void* parameter) -> DWORD {
            std::unique_ptr<std::function<DWORD()>> owned(
                static_cast<std::function<DWORD()>*>(parameter));
            return (*owned)();
        },
        new std::function<DWORD()>(std::move(body)), 0, id);
}

// Waits for a thread that must end soon, closes it and returns its exit code
// (~0u when it did not end).
inline DWORD Finish(HANDLE thread) {
    DWORD code = ~0u;
    if (WaitForSingleObject(thread, kGenerous) != WAIT_OBJECT_0 ||
        !GetExitCodeThread(thread, &code))
        code = ~0u;
    CloseHandle(thread);
    return code;
}

} // namespace zxtest
