// The user-interface thread's queue behind the Qt event loop: a worker's
// posts arrive through it in order, whether the loop, a nested loop or an
// explicit pump takes them.

#include "platform/Messages.h"
#include "platform/Threads.h"
#include "platform/WindowHandles.h"
#include "support/Waiting.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

using zxtest::Finish;
using zxtest::kGenerous;
using zxtest::StartThread;

namespace {
struct Sequence {
    WPARAM expected = 0;
    int received = 0;
    int outOfOrder = 0;
    int target = 0;
    QEventLoop* loop = nullptr;
};

void Record(Sequence& sequence, WPARAM value) {
    if (value != sequence.expected)
        ++sequence.outOfOrder;
    sequence.expected = value + 1;
    if (++sequence.received == sequence.target && sequence.loop)
        sequence.loop->quit();
}

LRESULT SequenceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_USER)
        Record(*static_cast<Sequence*>(zx::GetWindowContext(hwnd)), wParam);
    return 0;
}

// Posts 0, 1, ... count - 1 from a new thread to `window`, every
// `threadMessageEvery`th (if any) as a thread message to this thread instead;
// the thread's result is the number of failed posts.
HANDLE StartPosting(HWND window, int count, int threadMessageEvery) {
    return StartThread([window, count, threadMessageEvery, gui = GetCurrentThreadId()] {
        DWORD failures = 0;
        for (int i = 0; i < count; ++i) {
            const auto value = static_cast<WPARAM>(i);
            const bool threadMessage = threadMessageEvery && i % threadMessageEvery == 3;
            if (!(threadMessage ? PostThreadMessageW(gui, WM_APP, value, 0)
                                : PostMessageW(window, WM_USER, value, 0)))
                ++failures;
        }
        return failures;
    });
}

// Counts the application-defined events the Qt loop delivers.
class UserEventCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() >= QEvent::User && event->type() <= QEvent::MaxUser)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

// The user-interface thread receives a worker's messages through the Qt event
// loop: all of them, in order, with one wake-up pending at a time. (Posts
// while the loop runs: NestedAndExplicitPumpsKeepTheOrder.)
TEST(GuiQueue, HundredThousandMessagesThroughTheQtLoop) {
    constexpr int kCount = 100000;
    Sequence sequence;
    sequence.target = kCount;
    HWND window = zx::CreateWindowHandle(SequenceProc, &sequence);
    ASSERT_NE(window, nullptr);

    // Posted while the loop does not run: the queue fills up behind a single
    // pending wake-up.
    EXPECT_EQ(Finish(StartPosting(window, kCount, 0)), 0u);
    UserEventCounter counter;
    QCoreApplication::instance()->installEventFilter(&counter);
    QEventLoop loop;
    sequence.loop = &loop;
    // Should the messages never all come, the bound ends the loop.
    QTimer::singleShot(static_cast<int>(kGenerous), &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(&counter);
    EXPECT_EQ(sequence.received, kCount);
    EXPECT_EQ(sequence.outOfOrder, 0);
    // One wake-up per message would be kCount events.
    EXPECT_LT(counter.count, kCount / 100);

    DestroyWindow(window);
}

namespace {
Sequence* g_mixed = nullptr;
int g_nestedPumps = 0;
int g_nestedLoops = 0;

// What an explicit pump of the test does with a message.
void Route(MSG& msg) {
    if (msg.hwnd)
        DispatchMessageW(&msg);
    else if (msg.message == WM_APP)
        Record(*g_mixed, msg.wParam);
}

LRESULT NestingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_USER)
        return 0;
    Record(*g_mixed, wParam);
    if (wParam % 1000 == 999) {
        // A procedure pumping messages itself while being dispatched.
        ++g_nestedPumps;
        MSG inner;
        for (int k = 0; k < 50 && PeekMessageW(&inner, nullptr, 0, 0, PM_REMOVE); ++k)
            Route(inner);
    } else if (wParam % 1000 == 500) {
        // ... or running a nested Qt loop, as a modal dialog does.
        ++g_nestedLoops;
        QCoreApplication::processEvents();
    }
    return 0;
}
} // namespace

// Window and thread messages from a worker, taken alternately by the Qt loop,
// by explicit pumps and by pumps nested inside procedures, stay in one order.
TEST(GuiQueue, NestedAndExplicitPumpsKeepTheOrder) {
    constexpr int kCount = 30000;
    Sequence sequence;
    g_mixed = &sequence;
    g_nestedPumps = g_nestedLoops = 0;
    zx::SetThreadMessageHook([](MSG& msg) {
        if (msg.message != WM_APP)
            return false;
        Record(*g_mixed, msg.wParam);
        return true;
    });
    HWND window = zx::CreateWindowHandle(NestingProc, nullptr);
    HANDLE thread = StartPosting(window, kCount, 7);

    const DWORD start = GetTickCount();
    for (int round = 0; sequence.received < kCount && GetTickCount() - start < kGenerous; ++round) {
        if (round % 2 == 0) {
            QCoreApplication::processEvents();
        } else {
            MSG msg;
            for (int k = 0; k < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++k)
                Route(msg);
        }
    }
    EXPECT_EQ(Finish(thread), 0u);
    zx::SetThreadMessageHook(nullptr);
    EXPECT_EQ(sequence.received, kCount);
    EXPECT_EQ(sequence.outOfOrder, 0);
    EXPECT_GT(g_nestedPumps + g_nestedLoops, 0);
    DestroyWindow(window);
    g_mixed = nullptr;
}
