// The command road through simboard.ctc, each measure against a baseline of
// the same run:
//  1. asynchronous reads with call-back (post to the worker, message 1029
//     back to a window of the Qt GUI thread, next read from its procedure):
//     round trips per second, against a two-thread std::mutex /
//     std::condition_variable ping-pong;
//  2. waiting reads (API_FLAG_WAIT): median and 99th-percentile latency,
//     against single round trips of the same ping-pong;
//  3. 65536-word burst writes and reads: bytes per second, against memcpy of
//     the same 256 KiB.
// Targets (reported, not enforced): 1 at least half the ping-pong rate, 2 at
// most twice its latency, 3 at least half of memcpy's bandwidth.

#include "BenchReport.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
#include "platform/WindowHandles.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/contracts/Globals.h"

#include <QApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kBatch = 1000;
constexpr ULONG kAll = 0xFFFFFFFFu;
constexpr ULONG kBurstWords = 65536;
constexpr size_t kBurstBytes = kBurstWords * sizeof(ULONG);

using Clock = std::chrono::steady_clock;

// ---- The link: simboard.ctc with a host-window stand-in -------------------------

struct Link {
    HMODULE module = nullptr;
    CAPI* api = nullptr;
    WORKER_THREAD_INFO info{};
    HWND window = nullptr;
    QEventLoop* loop = nullptr;
    int remaining = 0;
    int pageObject = 0;
    CPageBase* page = reinterpret_cast<CPageBase*>(&pageObject);
    CZarvexAppBase* app = reinterpret_cast<CZarvexAppBase*>(&pageObject);
};

Link g_link;

LRESULT HostProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == UWM_API_CALLBACK) {
        delete reinterpret_cast<UWM_API_COMMAND_MESSAGE*>(wParam);
        if (--g_link.remaining > 0)
            g_link.api->ReadMemory(g_link.page, 0x100, kAll, API_FLAG_CALLBACK, nullptr);
        else if (g_link.loop)
            g_link.loop->quit();
    } else if (message == UWM_API_PRINT) {
        auto* record = reinterpret_cast<UWM_API_PRINT_MESSAGE*>(wParam);
        std::fprintf(stderr, "simboard: %ls\n", record->pText->c_str());
        delete record->pText;
        delete record->pText2;
        delete record;
    }
    return 0;
}

bool OpenLink() {
    g_link.module = LoadLibraryW(L"" ZX_BIN_DIR "/simboard.ctc");
    g_link.api = g_pAPI;
    g_pAPI = nullptr;
    if (!g_link.module || !g_link.api)
        return false;
    g_link.window = zx::CreateWindowHandle(HostProc, nullptr);
    g_link.info.hUIWnd = g_link.window;
    g_link.api->Attach(&g_link.info, 0);
    if (!g_link.api->Open(&g_link.info))
        return false;
    g_link.api->HardwareReset(true);
    return true;
}

void CloseLink() {
    if (g_link.api) {
        g_link.api->Stop();
        g_link.api->Release();
    }
    if (g_link.window)
        DestroyWindow(g_link.window);
    if (g_link.module)
        FreeLibrary(g_link.module);
}

// ---- A plain two-thread ping-pong --------------------------------------------------

class PingPong {
public:
    PingPong()
        : m_thread([this] {
              std::unique_lock lock(m_mutex);
              for (;;) {
                  m_cv.wait(lock, [&] { return m_turn != Turn::Main; });
                  if (m_turn == Turn::Stop)
                      return;
                  m_turn = Turn::Main;
                  m_cv.notify_all();
              }
          }) {}
    ~PingPong() {
        {
            std::lock_guard lock(m_mutex);
            m_turn = Turn::Stop;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    void RoundTrip() {
        std::unique_lock lock(m_mutex);
        m_turn = Turn::Worker;
        m_cv.notify_all();
        m_cv.wait(lock, [&] { return m_turn == Turn::Main; });
    }

private:
    enum class Turn { Main, Worker, Stop };
    std::mutex m_mutex;
    std::condition_variable m_cv;
    Turn m_turn = Turn::Main;
    std::thread m_thread;
};

void SetLatencies(benchmark::State& state, std::vector<double>& ns) {
    if (ns.empty())
        return;
    std::sort(ns.begin(), ns.end());
    state.counters["median_us"] = ns[ns.size() / 2] / 1000.0;
    state.counters["p99_us"] = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)] / 1000.0;
}

// ---- 1. Round trips per second --------------------------------------------------------

void BM_AsyncReadCallback(benchmark::State& state) {
    for (auto _ : state) {
        QEventLoop loop;
        g_link.loop = &loop;
        g_link.remaining = kBatch;
        g_link.api->ReadMemory(g_link.page, 0x100, kAll, API_FLAG_CALLBACK, nullptr);
        loop.exec();
        g_link.loop = nullptr;
    }
    state.counters["round_trips_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBatch, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AsyncReadCallback)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PingPongRate(benchmark::State& state) {
    PingPong pingPong;
    for (auto _ : state)
        for (int i = 0; i < kBatch; ++i)
            pingPong.RoundTrip();
    state.counters["round_trips_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBatch, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PingPongRate)->UseRealTime()->Unit(benchmark::kMillisecond);

// ---- 2. Latency of one waiting request --------------------------------------------

void BM_WaitingRead(benchmark::State& state) {
    std::vector<double> ns;
    ns.reserve(1 << 20);
    for (auto _ : state) {
        const auto start = Clock::now();
        UWM_API_COMMAND_MESSAGE* msg =
            g_link.api->ReadMemory(g_link.app, 0x100, kAll, API_FLAG_WAIT, nullptr);
        ns.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
        delete msg;
    }
    SetLatencies(state, ns);
}
BENCHMARK(BM_WaitingRead)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_PingPongLatency(benchmark::State& state) {
    PingPong pingPong;
    std::vector<double> ns;
    ns.reserve(1 << 20);
    for (auto _ : state) {
        const auto start = Clock::now();
        pingPong.RoundTrip();
        ns.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
    }
    SetLatencies(state, ns);
}
BENCHMARK(BM_PingPongLatency)->UseRealTime()->Unit(benchmark::kMicrosecond);

// ---- 3. Burst bandwidth ---------------------------------------------------------------

void BM_BurstWrite65536(benchmark::State& state) {
    std::vector<ULONG> words(kBurstWords, 0x5A5A5A5A);
    for (auto _ : state) {
        UWM_API_COMMAND_MESSAGE* msg = g_link.api->BurstWriteMemory(
            g_link.app, 0x100000, words.data(), kBurstWords, API_FLAG_WAIT, nullptr);
        delete msg;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBurstBytes);
}
BENCHMARK(BM_BurstWrite65536)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_BurstRead65536(benchmark::State& state) {
    std::vector<ULONG> words(kBurstWords);
    for (auto _ : state) {
        UWM_API_COMMAND_MESSAGE* msg = g_link.api->BurstReadMemory(
            g_link.app, 0x100000, words.data(), kBurstWords, API_FLAG_WAIT, nullptr);
        benchmark::DoNotOptimize(words.data());
        delete msg;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBurstBytes);
}
BENCHMARK(BM_BurstRead65536)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_Memcpy256KiB(benchmark::State& state) {
    std::vector<ULONG> from(kBurstWords, 0x5A5A5A5A), to(kBurstWords);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kBurstBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBurstBytes);
}
BENCHMARK(BM_Memcpy256KiB)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!OpenLink()) {
        std::fprintf(stderr, "simboard.ctc could not be loaded and started\n");
        CloseLink();
        return 1;
    }
    zxbench::CounterReporter reporter(zxbench::ConsoleOptions());
    zxbench::RunSelected(reporter);
    CloseLink();

    auto& v = reporter.values;
    std::printf("\nCommand path against its baselines:\n");
    const double async = v["BM_AsyncReadCallback"]["round_trips_per_s"];
    const double pingRate = v["BM_PingPongRate"]["round_trips_per_s"];
    if (async > 0 && pingRate > 0) {
        std::printf("  async reads %.0f/s, ping-pong %.0f/s\n", async, pingRate);
        zxbench::Verdict("async reads / ping-pong rate (>= 0.5)", async / pingRate,
                         async / pingRate >= 0.5);
    }
    const double waitMed = v["BM_WaitingRead"]["median_us"];
    const double waitP99 = v["BM_WaitingRead"]["p99_us"];
    const double pingMed = v["BM_PingPongLatency"]["median_us"];
    const double pingP99 = v["BM_PingPongLatency"]["p99_us"];
    if (waitMed > 0 && pingMed > 0) {
        std::printf("  waiting read median %.2f us p99 %.2f us; ping-pong median %.2f us p99 "
                    "%.2f us\n",
                    waitMed, waitP99, pingMed, pingP99);
        zxbench::Verdict("waiting read / ping-pong median (<= 2)", waitMed / pingMed,
                         waitMed / pingMed <= 2.0);
        zxbench::Verdict("waiting read / ping-pong p99 (<= 2)", waitP99 / pingP99,
                         waitP99 / pingP99 <= 2.0);
    }
    const double memcpyRate = v["BM_Memcpy256KiB"]["bytes_per_second"];
    for (const char* name : {"BM_BurstWrite65536", "BM_BurstRead65536"}) {
        const double rate = v[name]["bytes_per_second"];
        if (rate > 0 && memcpyRate > 0) {
            std::printf("  %s %.2f GB/s, memcpy %.2f GB/s\n", name, rate / 1e9, memcpyRate / 1e9);
            zxbench::Verdict((std::string(name) + " / memcpy (>= 0.5)").c_str(), rate / memcpyRate,
                             rate / memcpyRate >= 0.5);
        }
    }
    return 0;
}
