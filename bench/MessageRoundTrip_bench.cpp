// A message round trip between a worker thread and the Qt GUI thread, the way
// a communications module and the user-interface thread talk: the worker
// posts to a window of the GUI thread, whose procedure (run by the Qt event
// loop) posts a thread message back, which the worker takes with GetMessageW.
// Measured against a plain two-thread ping-pong over std::mutex and
// std::condition_variable in the same run.

#include "platform/Interlocked.h"
#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/Threads.h"
#include "platform/WindowHandles.h"

#include "BenchReport.h"

#include <QApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr int kBatch = 1000; // round trips per benchmark iteration
constexpr UINT kPing = WM_USER + 1;
constexpr UINT kBatchDone = WM_USER + 2;
constexpr UINT kPong = WM_APP + 1;
constexpr UINT kRunBatch = WM_APP + 2;

struct MessageLink {
    HWND window = nullptr;
    DWORD workerId = 0;
    volatile LONG ready = 0;
    QEventLoop* loop = nullptr;
};

LRESULT GuiProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    auto* link = static_cast<MessageLink*>(zx::GetWindowContext(hwnd));
    if (message == kPing)
        PostThreadMessageW(link->workerId, kPong, 0, 0);
    else if (message == kBatchDone && link->loop)
        link->loop->quit();
    return 0;
}

DWORD WINAPI MessageWorker(void* parameter) {
    auto* link = static_cast<MessageLink*>(parameter);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    InterlockedExchange(&link->ready, 1);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != kRunBatch)
            continue;
        for (WPARAM i = 0; i < msg.wParam; ++i) {
            PostMessageW(link->window, kPing, 0, 0);
            MSG reply;
            GetMessageW(&reply, nullptr, kPong, kPong);
        }
        PostMessageW(link->window, kBatchDone, 0, 0);
    }
    return 0;
}

void BM_MessageRoundTripViaQtLoop(benchmark::State& state) {
    MessageLink link;
    link.window = zx::CreateWindowHandle(GuiProc, &link);
    HANDLE worker = CreateThread(nullptr, 0, MessageWorker, &link, 0, &link.workerId);
    while (InterlockedCompareExchange(&link.ready, 0, 0) == 0)
        Sleep(1);
    for (auto _ : state) {
        QEventLoop loop;
        link.loop = &loop;
        PostThreadMessageW(link.workerId, kRunBatch, kBatch, 0);
        loop.exec();
        link.loop = nullptr;
    }
    PostThreadMessageW(link.workerId, WM_QUIT, 0, 0);
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    DestroyWindow(link.window);
    state.counters["round_trips_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBatch, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MessageRoundTripViaQtLoop)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_CondVarPingPong(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable cv;
    enum class Turn { Main, Worker, Stop } turn = Turn::Main;
    std::thread worker([&] {
        std::unique_lock lock(mutex);
        for (;;) {
            cv.wait(lock, [&] { return turn != Turn::Main; });
            if (turn == Turn::Stop)
                return;
            turn = Turn::Main;
            cv.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock lock(mutex);
        for (int i = 0; i < kBatch; ++i) {
            turn = Turn::Worker;
            cv.notify_all();
            cv.wait(lock, [&] { return turn == Turn::Main; });
        }
    }
    {
        std::lock_guard lock(mutex);
        turn = Turn::Stop;
    }
    cv.notify_all();
    worker.join();
    state.counters["round_trips_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBatch, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CondVarPingPong)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    zxbench::CounterReporter reporter(zxbench::ConsoleOptions());
    zxbench::RunSelected(reporter);

    const double viaQt = reporter.values["BM_MessageRoundTripViaQtLoop"]["round_trips_per_s"];
    const double condVar = reporter.values["BM_CondVarPingPong"]["round_trips_per_s"];
    if (viaQt > 0 && condVar > 0) {
        std::printf("\nround trips per second: message queues via the Qt loop %.0f, "
                    "mutex/condition variable %.0f\n",
                    viaQt, condVar);
        std::printf("ratio (message queues / condition variable): %.3f\n", viaQt / condVar);
    }
    return 0;
}
