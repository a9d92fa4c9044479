#include "platform/CriticalSection.h"
#include "platform/Interlocked.h"
#include "platform/LastError.h"
#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/Threads.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

using zxtest::Finish;
using zxtest::kGenerous;
using zxtest::Read;
using zxtest::StartThread;
using zxtest::WaitUntil;

DWORD WINAPI ReturnParameter(void* parameter) {
    return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(parameter));
}

// The thread's exit code, if its handle gives one.
std::optional<DWORD> ExitCode(HANDLE thread) {
    DWORD code = 0;
    return GetExitCodeThread(thread, &code) ? std::optional(code) : std::nullopt;
}

bool Contains(const std::vector<void*>& entries, LPTHREAD_START_ROUTINE entry) {
    return std::find(entries.begin(), entries.end(), reinterpret_cast<void*>(entry)) !=
           entries.end();
}

struct Gate {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    volatile LONG started = 0;
    ~Gate() { CloseHandle(release); }
};

DWORD WINAPI WaitForGate(void* parameter) {
    auto* gate = static_cast<Gate*>(parameter);
    InterlockedExchange(&gate->started, 1);
    WaitForSingleObject(gate->release, INFINITE);
    return 42;
}

} // namespace

// A thread made suspended runs only once resumed. It is signalled only when
// it ends; until then its exit code is STILL_ACTIVE and waits with a time-out
// report WAIT_TIMEOUT.
TEST(Threads, WaitAndExitCodeFollowTheThread) {
    Gate gate;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitForGate, &gate, CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());

    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    EXPECT_EQ(Read(&gate.started), 0);
    EXPECT_EQ(ResumeThread(thread), 1u);
    ASSERT_TRUE(WaitUntil([&] { return Read(&gate.started) == 1; }));
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
    EXPECT_EQ(ExitCode(thread), STILL_ACTIVE);
    EXPECT_TRUE(Contains(zx::LiveThreadEntryPoints(), WaitForGate));

    SetEvent(gate.release);
    ASSERT_EQ(WaitForSingleObject(thread, kGenerous), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCode(thread), 42u);
    // Waiting again on an ended thread returns at once.
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    // Its routine no longer runs, so its module may go.
    EXPECT_FALSE(Contains(zx::LiveThreadEntryPoints(), WaitForGate));
    EXPECT_EQ(ResumeThread(thread), 0u); // harmless on an ended thread

    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(ExitCode(thread));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    // A handle closed while the thread runs does not disturb the thread.
    HANDLE early =
        CreateThread(nullptr, 64, ReturnParameter, reinterpret_cast<void*>(7), 0, nullptr);
    ASSERT_NE(early, nullptr);
    EXPECT_TRUE(CloseHandle(early));
    EXPECT_TRUE(WaitUntil([] { return !Contains(zx::LiveThreadEntryPoints(), ReturnParameter); }));

    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// The communications worker's start-up: report that it runs, optionally
// hold on until the other side has already resumed, then suspend itself;
// the result is what the suspension answered.
TEST(Threads, SelfSuspendAndResume) {
    volatile LONG stage = 0;
    HANDLE beforeSuspend = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const auto worker = [&stage](HANDLE gate, HANDLE secondGate) {
        return [&stage, gate, secondGate] {
            InterlockedExchange(&stage, 1);
            WaitForSingleObject(gate, INFINITE);
            const DWORD first = SuspendThread(GetCurrentThread());
            InterlockedExchange(&stage, 2);
            if (secondGate) {
                WaitForSingleObject(secondGate, INFINITE);
                SuspendThread(GetCurrentThread());
                InterlockedExchange(&stage, 3);
            }
            return first;
        };
    };
    // The resume arrives before the worker suspended itself: it must not be
    // lost, and it is used up by that one suspension only.
    HANDLE beforeSecond = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = StartThread(worker(beforeSuspend, beforeSecond));
    ASSERT_TRUE(WaitUntil([&] { return Read(&stage) == 1; }));
    EXPECT_EQ(ResumeThread(thread), 0u);
    SetEvent(beforeSuspend);
    ASSERT_TRUE(WaitUntil([&] { return Read(&stage) == 2; }));
    SetEvent(beforeSecond);
    // Nobody resumed it this time: it stays suspended.
    EXPECT_EQ(WaitForSingleObject(thread, 100), WAIT_TIMEOUT);
    EXPECT_EQ(Read(&stage), 2);
    EXPECT_LE(ResumeThread(thread), 1u);
    EXPECT_EQ(Finish(thread), 0u);
    EXPECT_EQ(Read(&stage), 3);
    CloseHandle(beforeSecond);

    // The ordinary order, and the race between the two, many times over: every
    // worker must come back, whichever side wins.
    for (int i = 0; i < 200; ++i) {
        stage = 0;
        thread = StartThread(worker(beforeSuspend, nullptr));
        ASSERT_TRUE(WaitUntil([&] { return Read(&stage) >= 1; }));
        if (i % 50 == 0)
            Sleep(20); // let the worker suspend first, now and then
        EXPECT_LE(ResumeThread(thread), 1u);
        ASSERT_EQ(Finish(thread), 0u) << "iteration " << i;
    }
    CloseHandle(beforeSuspend);
}

TEST(Threads, SuspendingAnotherThreadIsRefused) {
    Gate gate;
    HANDLE target = CreateThread(nullptr, 0, WaitForGate, &gate, 0, nullptr);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(Finish(StartThread([target] {
                  return SuspendThread(target) == static_cast<DWORD>(-1) ? GetLastError() : 0u;
              })),
              static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    // Nor can a thread not made by CreateThread suspend itself: nothing
    // could ever resume it.
    EXPECT_EQ(SuspendThread(GetCurrentThread()), static_cast<DWORD>(-1));
    SetEvent(gate.release);
    EXPECT_EQ(Finish(target), 42u);
}

namespace {
std::atomic<bool> g_stubbornRelease{false};
std::atomic<bool> g_stubbornRunning{false};
std::atomic<bool> g_stubbornPeeked{false};
DWORD WINAPI Stubborn(void*) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    g_stubbornRunning = true;
    // Ignores messages, events and exit requests until the test lets it go.
    while (!g_stubbornRelease)
        Sleep(1);
    g_stubbornPeeked = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
    return 5;
}

std::atomic<bool> g_neverRan{true};
DWORD WINAPI MustNotRun(void*) {
    g_neverRan = false;
    return 0;
}
} // namespace

// TerminateThread cannot stop a POSIX thread: the handle reports the thread
// ended with the given code, while the real thread runs on and its routine
// stays listed until it returns.
TEST(Threads, TerminateAbandonsTheThread) {
    g_stubbornRelease = false;
    g_stubbornRunning = false;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, Stubborn, nullptr, 0, &id);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(WaitUntil([] { return g_stubbornRunning.load(); }));
    EXPECT_TRUE(PostThreadMessageW(id, WM_USER, 0, 0));

    EXPECT_TRUE(TerminateThread(thread, 1234));
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCode(thread), 1234u);
    EXPECT_FALSE(PostThreadMessageW(id, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    EXPECT_TRUE(Contains(zx::LiveThreadEntryPoints(), Stubborn));
    // Terminating it again changes nothing.
    EXPECT_TRUE(TerminateThread(thread, 99));

    g_stubbornRelease = true;
    EXPECT_TRUE(WaitUntil([] { return !Contains(zx::LiveThreadEntryPoints(), Stubborn); }));
    // Its queue went with the handle: what was posted before is gone.
    EXPECT_FALSE(g_stubbornPeeked);
    EXPECT_EQ(ExitCode(thread), 1234u)
        << "the real end must not overwrite the abandoned thread's code";
    CloseHandle(thread);

    // A thread abandoned before it ever ran never runs its routine.
    g_neverRan = true;
    HANDLE suspended = CreateThread(nullptr, 0, MustNotRun, nullptr, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(suspended, nullptr);
    EXPECT_TRUE(Contains(zx::LiveThreadEntryPoints(), MustNotRun));
    EXPECT_TRUE(TerminateThread(suspended, 8));
    EXPECT_TRUE(WaitUntil([] { return !Contains(zx::LiveThreadEntryPoints(), MustNotRun); }));
    EXPECT_EQ(ResumeThread(suspended), 0u);
    EXPECT_TRUE(g_neverRan);
    CloseHandle(suspended);

    EXPECT_FALSE(TerminateThread(GetCurrentThread(), 0));
    EXPECT_FALSE(TerminateThread(nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

namespace {
// Four threads waiting for one new, unsignalled event.
struct EventWaiters {
    HANDLE event;
    volatile LONG passed = 0;
    std::vector<HANDLE> threads;

    explicit EventWaiters(BOOL manualReset)
        : event(CreateEventW(nullptr, manualReset, FALSE, nullptr)) {
        for (int i = 0; i < 4; ++i)
            threads.push_back(StartThread([this] {
                if (WaitForSingleObject(event, INFINITE) != WAIT_OBJECT_0)
                    return 1u;
                InterlockedIncrement(&passed);
                return 0u;
            }));
    }
    ~EventWaiters() { CloseHandle(event); }
    void JoinAll() {
        for (HANDLE thread : threads)
            EXPECT_EQ(Finish(thread), 0u);
    }
};
} // namespace

TEST(Sync, AutoResetReleasesOneWaiterPerSignal) {
    EventWaiters waiters(FALSE);
    ASSERT_NE(waiters.event, nullptr);
    EXPECT_EQ(WaitForSingleObject(waiters.event, 30), WAIT_TIMEOUT);
    for (LONG round = 1; round <= 4; ++round) {
        EXPECT_TRUE(SetEvent(waiters.event));
        ASSERT_TRUE(WaitUntil([&] { return Read(&waiters.passed) >= round; }));
        // The one who passed used the signal up.
        EXPECT_EQ(WaitForSingleObject(waiters.event, 0), WAIT_TIMEOUT);
        EXPECT_EQ(Read(&waiters.passed), round);
    }
    waiters.JoinAll();

    // Signalled initially: one wait passes, the next times out.
    HANDLE initially = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(initially, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(initially, 10), WAIT_TIMEOUT);
    // A signal with nobody waiting is kept for the next waiter.
    SetEvent(initially);
    SetEvent(initially);
    EXPECT_EQ(WaitForSingleObject(initially, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(initially, 0), WAIT_TIMEOUT);
    CloseHandle(initially);
}

TEST(Sync, ManualResetReleasesEveryWaiterUntilReset) {
    EventWaiters waiters(TRUE);
    EXPECT_EQ(WaitForSingleObject(waiters.event, 20), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(waiters.event));
    waiters.JoinAll();
    EXPECT_EQ(Read(&waiters.passed), 4);
    EXPECT_EQ(WaitForSingleObject(waiters.event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(waiters.event, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(waiters.event));
    EXPECT_EQ(WaitForSingleObject(waiters.event, 20), WAIT_TIMEOUT);
}

TEST(Sync, BadHandlesFailCleanly) {
    const HANDLE madeUp[] = {nullptr, INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x12345678),
                             reinterpret_cast<HANDLE>(0x3), reinterpret_cast<HANDLE>(0x7FFFFFF0)};
    for (HANDLE handle : madeUp) {
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(SetEvent(handle));
        EXPECT_FALSE(ResetEvent(handle));
        EXPECT_FALSE(CloseHandle(handle));
        EXPECT_EQ(ResumeThread(handle), static_cast<DWORD>(-1));
        EXPECT_EQ(SuspendThread(handle), static_cast<DWORD>(-1));
        EXPECT_FALSE(ExitCode(handle));
    }

    // A closed handle stays dead even when its slot is reused.
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_FALSE(CloseHandle(first));
    HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(first, second);
    EXPECT_FALSE(SetEvent(first));
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);

    // Handles of the wrong kind.
    EXPECT_FALSE(ExitCode(second));
    EXPECT_EQ(ResumeThread(second), static_cast<DWORD>(-1));
    HANDLE thread = CreateThread(nullptr, 0, ReturnParameter, nullptr, 0, nullptr);
    EXPECT_FALSE(SetEvent(thread));
    EXPECT_EQ(WaitForSingleObject(thread, kGenerous), WAIT_OBJECT_0);
    EXPECT_FALSE(GetExitCodeThread(thread, nullptr));
    CloseHandle(thread);
    CloseHandle(second);

    // Waiting for oneself would never end.
    EXPECT_EQ(WaitForSingleObject(GetCurrentThread(), INFINITE), WAIT_FAILED);
    EXPECT_EQ(ExitCode(GetCurrentThread()), STILL_ACTIVE);
    EXPECT_TRUE(CloseHandle(GetCurrentThread()));
}

// A name gives one event to every caller in the process until its last
// handle is closed.
TEST(Sync, NamedEventsAreOneObject) {
    const wchar_t* name = L"zx-test-named-event";
    SetLastError(ERROR_ALREADY_EXISTS);
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, name);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    // The second creation keeps the first one's settings.
    HANDLE second = CreateEventW(nullptr, FALSE, TRUE, name);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_NE(second, first);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(first));
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0); // manual reset
    HANDLE opened = OpenEventW(EVENT_ALL_ACCESS, FALSE, name);
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(ResetEvent(opened));
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_TIMEOUT);

    // Names are case-sensitive; unnamed events are all different.
    HANDLE upper = CreateEventW(nullptr, TRUE, TRUE, L"ZX-TEST-NAMED-EVENT");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_TIMEOUT);
    HANDLE unnamed = CreateEventW(nullptr, TRUE, TRUE, L"");
    HANDLE alsoUnnamed = CreateEventW(nullptr, TRUE, FALSE, L"");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(alsoUnnamed, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(unnamed, 0), WAIT_OBJECT_0);
    CloseHandle(upper);
    CloseHandle(unnamed);
    CloseHandle(alsoUnnamed);

    // The name goes with the last handle.
    CloseHandle(first);
    CloseHandle(second);
    EXPECT_EQ(WaitForSingleObject(opened, 0), WAIT_TIMEOUT);
    CloseHandle(opened);
    EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, name), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    HANDLE again = CreateEventW(nullptr, TRUE, TRUE, name);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_OBJECT_0);
    CloseHandle(again);

    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, std::wstring(261, L'n').c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, nullptr), nullptr);
}

// Wait-any answers the lowest signalled index and takes only that signal;
// wait-all takes every signal at once, or none.
TEST(Sync, WaitForMultipleObjects) {
    HANDLE autoReset = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE both[] = {autoReset, manual};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 20), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
    SetEvent(autoReset);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT);

    ResetEvent(manual);
    SetEvent(autoReset);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 20), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_OBJECT_0); // not taken
    SetEvent(autoReset);
    SetEvent(manual);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);

    // Across threads: the wait sleeps until a thread ends and sets an event.
    HANDLE gateAndDone[] = {CreateEventW(nullptr, TRUE, FALSE, nullptr),
                            CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    HANDLE thread = StartThread([&gateAndDone] {
        WaitForSingleObject(gateAndDone[0], INFINITE);
        return SetEvent(gateAndDone[1]) ? 0u : 1u;
    });
    const HANDLE threadAndDone[] = {thread, gateAndDone[1]};
    EXPECT_EQ(WaitForMultipleObjects(2, threadAndDone, TRUE, 30), WAIT_TIMEOUT);
    SetEvent(gateAndDone[0]);
    EXPECT_EQ(WaitForMultipleObjects(2, threadAndDone, TRUE, kGenerous), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, threadAndDone, FALSE, 0), WAIT_OBJECT_0); // ended
    CloseHandle(thread);

    // Up to MAXIMUM_WAIT_OBJECTS handles.
    std::vector<HANDLE> many;
    for (DWORD i = 0; i <= MAXIMUM_WAIT_OBJECTS; ++i)
        many.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    SetEvent(many[MAXIMUM_WAIT_OBJECTS - 1]);
    EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, many.data(), FALSE, 0),
              WAIT_OBJECT_0 + MAXIMUM_WAIT_OBJECTS - 1);
    const DWORD badCounts[] = {0, MAXIMUM_WAIT_OBJECTS + 1};
    for (DWORD count : badCounts) {
        SetLastError(0);
        EXPECT_EQ(WaitForMultipleObjects(count, many.data(), FALSE, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    for (HANDLE event : many)
        CloseHandle(event);

    const HANDLE twice[] = {manual, manual};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    const HANDLE self[] = {manual, GetCurrentThread()};
    EXPECT_EQ(WaitForMultipleObjects(2, self, TRUE, INFINITE), WAIT_FAILED);
    CloseHandle(gateAndDone[0]);
    const HANDLE closed[] = {manual, gateAndDone[0]};
    EXPECT_EQ(WaitForMultipleObjects(2, closed, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForMultipleObjects(1, nullptr, FALSE, 0), WAIT_FAILED);
    CloseHandle(gateAndDone[1]);
    CloseHandle(autoReset);
    CloseHandle(manual);
}

TEST(Sync, CriticalSectionAndInterlocked) {
    CCriticalSection lock;
    long long plain = 0;
    volatile LONG counter = 0;
    std::vector<HANDLE> threads;
    for (int i = 0; i < 4; ++i)
        threads.push_back(StartThread([&] {
            for (int k = 0; k < 20000; ++k) {
                lock.Lock();
                lock.Lock(); // recursive, as on Windows
                ++plain;
                lock.Unlock();
                lock.Unlock();
                InterlockedIncrement(&counter);
            }
            return 0u;
        }));
    for (HANDLE thread : threads)
        EXPECT_EQ(Finish(thread), 0u);
    EXPECT_EQ(plain, 80000);
    EXPECT_EQ(counter, 80000);
    // Unlocking what one does not hold is refused, not undefined.
    EXPECT_FALSE(lock.Unlock());

    volatile LONG value = 10;
    EXPECT_EQ(InterlockedExchange(&value, 20), 10);
    EXPECT_EQ(InterlockedCompareExchange(&value, 30, 10), 20);
    EXPECT_EQ(value, 20);
    EXPECT_EQ(InterlockedCompareExchange(&value, 30, 20), 20);
    EXPECT_EQ(value, 30);
    EXPECT_EQ(InterlockedExchangeAdd(&value, 5), 30);
    EXPECT_EQ(InterlockedDecrement(&value), 34);
    value = std::numeric_limits<LONG>::max();
    EXPECT_EQ(InterlockedIncrement(&value), std::numeric_limits<LONG>::min());
    EXPECT_EQ(InterlockedDecrement(&value), std::numeric_limits<LONG>::max());

    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));
    // Another thread can neither enter nor release it.
    EXPECT_EQ(Finish(StartThread([&section] {
                  return (TryEnterCriticalSection(&section) ? 1u : 0u) |
                         (LeaveCriticalSection(&section) ? 2u : 0u);
              })),
              0u);
    EXPECT_TRUE(LeaveCriticalSection(&section));
    EXPECT_TRUE(LeaveCriticalSection(&section));
    EXPECT_FALSE(LeaveCriticalSection(&section));
    DeleteCriticalSection(&section);
}
