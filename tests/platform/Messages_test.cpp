#include "platform/LastError.h"
#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/Threads.h"
#include "platform/WindowHandles.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <tuple>
#include <vector>

namespace {

using zxtest::Finish;
using zxtest::kGenerous;
using zxtest::StartThread;
using zxtest::WaitUntil;

// Runs `body` on a new thread, with a message queue of its own, to the end.
void RunOnThread(std::function<void()> body) {
    EXPECT_EQ(Finish(StartThread([&body] {
                  body();
                  return DWORD{0};
              })),
              0u);
}

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

// The window, message and wParam of a message, to compare at once.
using Fields = std::tuple<HWND, UINT, WPARAM>;
Fields Got(const MSG& msg) {
    return {msg.hwnd, msg.message, msg.wParam};
}

struct Recorder {
    std::vector<MSG> messages;
};

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto* recorder = static_cast<Recorder*>(zx::GetWindowContext(hwnd)))
        recorder->messages.push_back(MSG{hwnd, message, wParam, lParam, 0, POINT{0, 0}});
    return 0;
}

// A thread and the test take turns: the thread says it reached a step, the
// test lets it go on (both auto-reset).
struct Turns {
    HANDLE reached = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE proceed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ~Turns() {
        CloseHandle(reached);
        CloseHandle(proceed);
    }
    void Step() {
        SetEvent(reached);
        WaitForSingleObject(proceed, INFINITE);
    }
    bool Reached() { return WaitForSingleObject(reached, kGenerous) == WAIT_OBJECT_0; }
};

} // namespace

// A thread takes posts once it has a queue and until it refuses them; what
// was queued before it refused stays its to drain.
TEST(Messages, PostThreadMessageNeedsTheTargetsQueueUntilItRefuses) {
    Turns turns;
    DWORD id = 0;
    // Creates its queue when the test says so, the way a worker does, then
    // returns the sum of the wParams it can still drain after refusing.
    HANDLE thread = StartThread(
        [&turns] {
            turns.Step(); // no queue yet
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
            turns.Step(); // the test posts
            zx::RefuseThreadMessages();
            turns.Step(); // the test posts again, in vain
            DWORD sum = 0;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                sum += static_cast<DWORD>(msg.wParam);
            return sum;
        },
        &id);
    ASSERT_TRUE(turns.Reached());
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessageW(id, WM_USER + 8, 77, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    SetEvent(turns.proceed);
    ASSERT_TRUE(turns.Reached());
    EXPECT_TRUE(PostThreadMessageW(id, WM_USER + 8, 1, 0));
    EXPECT_TRUE(PostThreadMessageW(id, WM_USER + 9, 20, 0));
    SetEvent(turns.proceed);
    ASSERT_TRUE(turns.Reached());

    // The poster learns at once that the record stays its own.
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessageW(id, WM_USER + 8, 300, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    SetEvent(turns.proceed);
    EXPECT_EQ(Finish(thread), 21u);

    // Gone with its thread; never there for made-up ids.
    EXPECT_FALSE(PostThreadMessageW(id, WM_USER + 8, 1, 0));
    EXPECT_FALSE(PostThreadMessageW(0, WM_USER, 1, 0));
    EXPECT_FALSE(PostThreadMessageW(0xFFFFFFF1u, WM_USER, 1, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST(Messages, PeekAndGetHonourFiltersAndQuit) {
    RunOnThread([] {
        Recorder recorder;
        HWND one = zx::CreateWindowHandle(RecordingProc, &recorder);
        HWND two = zx::CreateWindowHandle(RecordingProc, &recorder);
        ASSERT_NE(one, nullptr);
        ASSERT_NE(two, nullptr);
        const DWORD self = GetCurrentThreadId();

        EXPECT_TRUE(PostMessageW(one, WM_USER + 1, 1, 0));
        EXPECT_TRUE(PostMessageW(two, WM_USER + 2, 2, 0));
        EXPECT_TRUE(PostThreadMessageW(self, WM_APP, 3, 0));
        EXPECT_TRUE(PostMessageW(one, WM_USER + 3, 4, 0));

        MSG msg{};
        // A range finds the first message inside it; PM_NOREMOVE leaves it there.
        for (int twice = 0; twice < 2; ++twice) {
            ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 3, PM_NOREMOVE));
            EXPECT_EQ(Got(msg), (Fields{two, WM_USER + 2, 2}));
        }
        // A window filter takes that window's messages only, in order.
        ASSERT_TRUE(PeekMessageW(&msg, one, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.wParam, 1u);
        ASSERT_TRUE(PeekMessageW(&msg, one, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.wParam, 4u);
        EXPECT_FALSE(PeekMessageW(&msg, one, 0, 0, PM_REMOVE));
        // (HWND)-1 takes thread messages only.
        ASSERT_TRUE(PeekMessageW(&msg, kThreadMessagesOnly, 0, 0, PM_REMOVE));
        EXPECT_EQ(Got(msg), (Fields{nullptr, WM_APP, 3}));
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 3, WM_APP, PM_REMOVE));
        ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, WM_USER + 2);
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));

        // GetMessageW and DispatchMessageW reach the window's procedure.
        EXPECT_TRUE(PostMessageW(two, WM_COMMAND, 5, 6));
        ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), 1);
        EXPECT_FALSE(TranslateMessage(&msg));
        DispatchMessageW(&msg);
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(Got(recorder.messages[0]), (Fields{two, WM_COMMAND, 5}));
        EXPECT_EQ(recorder.messages[0].lParam, 6);

        // The quit request comes after posted messages, passes any filter and
        // stays until removed.
        PostQuitMessage(9);
        EXPECT_TRUE(PostMessageW(one, WM_USER + 5, 0, 0));
        ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), 1);
        EXPECT_EQ(msg.message, WM_USER + 5);
        ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE));
        EXPECT_EQ(msg.message, WM_QUIT);
        EXPECT_EQ(GetMessageW(&msg, one, WM_USER, WM_USER), 0);
        EXPECT_EQ(Got(msg), (Fields{nullptr, WM_QUIT, 9}));
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));

        // A posted WM_QUIT keeps its place among the posted messages.
        EXPECT_TRUE(PostThreadMessageW(self, WM_QUIT, 4, 0));
        EXPECT_TRUE(PostThreadMessageW(self, WM_APP + 1, 0, 0));
        EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
        EXPECT_EQ(msg.wParam, 4u);
        EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 1);
        EXPECT_EQ(msg.message, WM_APP + 1);

        // Wrong arguments fail instead of blocking or crashing.
        EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
        EXPECT_EQ(GetMessageW(&msg, reinterpret_cast<HWND>(0x1234), 0, 0), -1);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
        EXPECT_FALSE(PeekMessageW(&msg, reinterpret_cast<HWND>(0x1234), 0, 0, PM_REMOVE));
        EXPECT_EQ(DispatchMessageW(nullptr), 0);
        DestroyWindow(one);
        DestroyWindow(two);
    });
}

namespace {
struct Life {
    std::vector<UINT> seen;
    bool validDuringDestroy = false;
};

LRESULT LifeProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    auto* life = static_cast<Life*>(zx::GetWindowContext(hwnd));
    if (!life)
        return 0;
    life->seen.push_back(message);
    if (message == WM_DESTROY) {
        life->validDuringDestroy = IsWindow(hwnd) != FALSE;
        DestroyWindow(hwnd); // again, from inside: harmless
    }
    return message == WM_USER ? 1234 : 0;
}
} // namespace

TEST(Windows, HandlesOfDestroyedWindowsAreInvalid) {
    Life life;
    HWND hwnd = zx::CreateWindowHandle(LifeProc, &life);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsWindow(hwnd));
    DWORD pid = 0;
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, &pid), GetCurrentThreadId());
    EXPECT_EQ(pid, GetCurrentProcessId());
    EXPECT_EQ(zx::GetWindowContext(hwnd), &life);
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 1234);
    EXPECT_TRUE(PostMessageW(hwnd, WM_USER + 1, 0, 0));

    // Only the owner thread destroys a window.
    RunOnThread([hwnd] {
        EXPECT_FALSE(DestroyWindow(hwnd));
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    });
    EXPECT_TRUE(IsWindow(hwnd));

    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(life.seen, (std::vector<UINT>{WM_USER, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_TRUE(life.validDuringDestroy);
    EXPECT_FALSE(IsWindow(hwnd));
    SetLastError(0);
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    SetLastError(0);
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(zx::GetWindowContext(hwnd), nullptr);
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), 0u);

    // What was posted before the end is still queued but reaches nobody.
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(DispatchMessageW(&msg), 0);
    EXPECT_EQ(life.seen.size(), 3u);

    // A new window in the reused slot gets a different handle.
    Life other;
    HWND next = zx::CreateWindowHandle(LifeProc, &other);
    EXPECT_NE(next, hwnd);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(IsWindow(next));
    EXPECT_EQ(zx::SetWindowProcedure(next, RecordingProc), &LifeProc);
    Recorder recorder;
    EXPECT_TRUE(zx::SetWindowContext(next, &recorder));
    SendMessageW(next, WM_USER + 2, 0, 0);
    EXPECT_EQ(recorder.messages.size(), 1u);
    EXPECT_TRUE(other.seen.empty());
    EXPECT_TRUE(DestroyWindow(next));

    // Without a procedure DefWindowProcW answers; WM_CLOSE destroys.
    HWND plain = zx::CreateWindowHandle(nullptr, nullptr);
    EXPECT_EQ(SendMessageW(plain, WM_USER, 0, 0), 0);
    SendMessageW(plain, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(plain));

    for (HWND bad : {reinterpret_cast<HWND>(-1), reinterpret_cast<HWND>(0xFFFF),
                     reinterpret_cast<HWND>(0x1234), reinterpret_cast<HWND>(0x1000000004ull)}) {
        EXPECT_FALSE(IsWindow(bad));
        EXPECT_FALSE(PostMessageW(bad, WM_USER, 0, 0));
        EXPECT_EQ(SendMessageW(bad, WM_USER, 0, 0), 0);
        EXPECT_FALSE(DestroyWindow(bad));
        EXPECT_FALSE(zx::SetWindowContext(bad, nullptr));
    }
    EXPECT_FALSE(IsWindow(nullptr));

    // The windows of a thread end with it.
    HWND orphan = nullptr;
    RunOnThread([&orphan] { orphan = zx::CreateWindowHandle(RecordingProc, nullptr); });
    ASSERT_NE(orphan, nullptr);
    EXPECT_FALSE(IsWindow(orphan));
    EXPECT_FALSE(PostMessageW(orphan, WM_USER, 0, 0));

    // (Registered messages by name: MessageMap_test.)
    EXPECT_GE(RegisterWindowMessageW(L"UWM_RESIZEPAGE_MSG"), 0xC000u);
    EXPECT_EQ(RegisterWindowMessageW(nullptr), 0u);
    EXPECT_EQ(RegisterWindowMessageW(L""), 0u);
}

namespace {
struct Remote {
    HWND guiWindow = nullptr;
    DWORD procThread = 0;
};

LRESULT GuiDoubler(HWND, UINT message, WPARAM wParam, LPARAM) {
    return message == WM_USER ? static_cast<LRESULT>(wParam * 2) : 0;
}

LRESULT RemoteProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    auto* remote = static_cast<Remote*>(zx::GetWindowContext(hwnd));
    if (message != WM_USER || !remote)
        return 0;
    remote->procThread = GetCurrentThreadId();
    // Calls back into the thread that is waiting for this very answer.
    return SendMessageW(remote->guiWindow, WM_USER, wParam, 0) + 1;
}

// Makes a window with `proc` and `context` on a new thread, then pumps until
// WM_QUIT or spins until `release` is set; `window` is null again at the end.
HANDLE StartOwner(WNDPROC proc, void* context, std::atomic<HWND>& window, bool pump,
                  std::atomic<bool>* release = nullptr, DWORD* id = nullptr) {
    HANDLE thread = StartThread(
        [=, &window] {
            window = zx::CreateWindowHandle(proc, context);
            MSG msg;
            while (pump && GetMessageW(&msg, nullptr, 0, 0) > 0)
                DispatchMessageW(&msg);
            while (release && !*release)
                Sleep(1);
            window = nullptr;
            return DWORD{0};
        },
        id);
    EXPECT_TRUE(WaitUntil([&] { return window.load() != nullptr; }));
    return thread;
}
} // namespace

TEST(Messages, SendMessageRunsOnTheOwnersThread) {
    Remote remote;
    remote.guiWindow = zx::CreateWindowHandle(GuiDoubler, nullptr);
    EXPECT_EQ(SendMessageW(remote.guiWindow, WM_USER, 21, 0), 42);

    DWORD id = 0;
    std::atomic<HWND> window{nullptr};
    HANDLE thread = StartOwner(RemoteProc, &remote, window, true, nullptr, &id);
    const HWND remoteWindow = window;
    // The owner calls back while this thread waits for its answer: the
    // waiting sender serves it instead of deadlocking.
    EXPECT_EQ(SendMessageW(remoteWindow, WM_USER, 21, 0), 43);
    EXPECT_EQ(remote.procThread, id);
    for (WPARAM i = 0; i < 300; ++i)
        ASSERT_EQ(SendMessageW(remoteWindow, WM_USER, i, 0), static_cast<LRESULT>(2 * i + 1));
    EXPECT_TRUE(PostThreadMessageW(id, WM_QUIT, 0, 0));
    EXPECT_EQ(Finish(thread), 0u);

    // The owner is gone: the send fails at once.
    SetLastError(0);
    EXPECT_EQ(SendMessageW(remoteWindow, WM_USER, 1, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    DestroyWindow(remote.guiWindow);

    // The owner, which never pumps, goes while a sender waits for it: the
    // sender gets 0.
    std::atomic<bool> release{false};
    window = nullptr;
    HANDLE owner = StartOwner(GuiDoubler, nullptr, window, false, &release);
    HANDLE sender = StartThread([&window] {
        SetLastError(0);
        return SendMessageW(window, WM_USER, 5, 0) == 0 ? GetLastError() : DWORD{0};
    });
    EXPECT_EQ(WaitForSingleObject(sender, 50), WAIT_TIMEOUT);
    EXPECT_TRUE(TerminateThread(owner, 0));
    EXPECT_EQ(Finish(sender), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    CloseHandle(owner);
    // The abandoned thread still runs on this test's variables: let it end.
    release = true;
    EXPECT_TRUE(WaitUntil([&] { return window.load() == nullptr; }));
}

// While GetMessageW blocks on the user-interface thread no Qt loop runs; a
// post from a worker must still wake it.
TEST(GuiQueue, BlockingGetMessageWakesForPosts) {
    Recorder recorder;
    HWND window = zx::CreateWindowHandle(RecordingProc, &recorder);
    HANDLE thread = StartThread([window] {
        Sleep(20);
        return PostMessageW(window, WM_USER + 7, 1, 0) ? 0u : 1u;
    });
    MSG msg;
    ASSERT_EQ(GetMessageW(&msg, window, 0, 0), 1);
    EXPECT_EQ(msg.message, WM_USER + 7);
    EXPECT_EQ(Finish(thread), 0u);
    DestroyWindow(window);
}

namespace {
std::atomic<int> g_timerProcCalls{0};
UINT_PTR g_timerProcId = 0;
void CALLBACK CountingTimerProc(HWND, UINT message, UINT_PTR id, DWORD) {
    if (message == WM_TIMER) {
        g_timerProcId = id;
        ++g_timerProcCalls;
    }
}
} // namespace

TEST(Timers, ExplicitPumpsTimerProcsAndPendingLimit) {
    Recorder recorder;
    HWND window = zx::CreateWindowHandle(RecordingProc, &recorder);
    MSG msg;

    // A TIMERPROC is called by DispatchMessageW instead of the window procedure.
    g_timerProcCalls = 0;
    EXPECT_EQ(SetTimer(window, 2, 10, CountingTimerProc), 2u);
    while (g_timerProcCalls < 2 && GetMessageW(&msg, window, 0, 0) > 0)
        DispatchMessageW(&msg);
    EXPECT_EQ(g_timerProcCalls, 2);
    EXPECT_EQ(g_timerProcId, 2u);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_TRUE(KillTimer(window, 2));

    // However long nobody pumps, one WM_TIMER per timer is pending.
    EXPECT_EQ(SetTimer(window, 3, 500, nullptr), 3u);
    Sleep(1600);
    ASSERT_TRUE(PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    EXPECT_EQ(Got(msg), (Fields{window, WM_TIMER, 3}));
    EXPECT_EQ(msg.lParam, 0);
    ASSERT_TRUE(PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_FALSE(PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_TRUE(KillTimer(window, 3));

    // KillTimer withdraws a pending WM_TIMER.
    EXPECT_EQ(SetTimer(window, 4, 10, nullptr), 4u);
    ASSERT_TRUE(WaitUntil(
        [&] { return PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE) != 0; }));
    EXPECT_TRUE(KillTimer(window, 4));
    EXPECT_FALSE(PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));

    // A forged WM_TIMER cannot make DispatchMessageW call an arbitrary address.
    g_timerProcCalls = 0;
    msg = MSG{window, WM_TIMER, 9, reinterpret_cast<LPARAM>(&CountingTimerProc), 0, POINT{0, 0}};
    DispatchMessageW(&msg);
    EXPECT_EQ(g_timerProcCalls, 0);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(Got(recorder.messages[0]), (Fields{window, WM_TIMER, 9}));

    // Destroying the window ends its timers.
    EXPECT_EQ(SetTimer(window, 5, 10, nullptr), 5u);
    EXPECT_TRUE(DestroyWindow(window));
    Sleep(30);
    while (PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
        EXPECT_NE(msg.hwnd, window);
    EXPECT_FALSE(KillTimer(window, 5));
    SetLastError(0);
    EXPECT_EQ(SetTimer(window, 6, 10, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(KillTimer(nullptr, 0xDEAD));
}

TEST(Timers, WorkerThreadTimersWithGetMessage) {
    RunOnThread([] {
        g_timerProcCalls = 0;
        const UINT_PTR id = SetTimer(nullptr, 0, 10, CountingTimerProc);
        ASSERT_NE(id, 0u);
        // Given its id again, the thread timer is replaced, not duplicated.
        EXPECT_EQ(SetTimer(nullptr, id, 10, CountingTimerProc), id);
        MSG msg;
        int seen = 0;
        while (seen < 3 && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message != WM_TIMER)
                continue;
            EXPECT_EQ(Got(msg), (Fields{nullptr, WM_TIMER, id}));
            ++seen;
            DispatchMessageW(&msg);
        }
        EXPECT_EQ(g_timerProcCalls, 3);
        EXPECT_TRUE(KillTimer(nullptr, id));
        EXPECT_FALSE(KillTimer(nullptr, id));
    });
}

// MsgWaitForMultipleObjects wakes for its objects or for input of its wake
// mask that arrived since the thread last looked at its queue.
TEST(Messages, MsgWaitForMultipleObjects) {
    RunOnThread([] {
        HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        MSG msg;
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 20, QS_ALLINPUT), WAIT_TIMEOUT);
        EXPECT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0));
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 20, QS_TIMER), WAIT_TIMEOUT);
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_POSTMESSAGE),
                  WAIT_OBJECT_0 + 1);
        // Once looked at, queued input is no longer new...
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_NOREMOVE));
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 20, QS_ALLINPUT), WAIT_TIMEOUT);
        // ...unless any input will do.
        EXPECT_EQ(MsgWaitForMultipleObjectsEx(1, &event, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE),
                  WAIT_OBJECT_0 + 1);
        // An object comes before input, and is taken.
        SetEvent(event);
        EXPECT_EQ(MsgWaitForMultipleObjectsEx(1, &event, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE),
                  WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
        // Waiting for all needs the objects and input together.
        SetEvent(event);
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, TRUE, 20, QS_POSTMESSAGE), WAIT_TIMEOUT);
        PostThreadMessageW(GetCurrentThreadId(), WM_USER + 1, 0, 0);
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, TRUE, 0, QS_POSTMESSAGE), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }

        // A sleeping wait wakes for a timer falling due, and for a post
        // from another thread.
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, nullptr);
        EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, kGenerous, QS_TIMER), WAIT_OBJECT_0);
        KillTimer(nullptr, timer);
        HANDLE poster = StartThread([target = GetCurrentThreadId()] {
            Sleep(20);
            return PostThreadMessageW(target, WM_USER + 3, 0, 0) ? 0u : 1u;
        });
        EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, kGenerous, QS_POSTMESSAGE),
                  WAIT_OBJECT_0 + 1);
        EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, WM_USER + 3u);
        EXPECT_EQ(Finish(poster), 0u);

        // One handle fewer than WaitForMultipleObjects takes.
        std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS, event);
        SetLastError(0);
        EXPECT_EQ(
            MsgWaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, many.data(), FALSE, 0, QS_ALLINPUT),
            WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        CloseHandle(event);
    });
}
