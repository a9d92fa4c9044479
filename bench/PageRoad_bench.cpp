// The application core's roads on simboard.ctc, each against a baseline of
// the same run, with the Qt event loop as the user-interface thread and a
// host window routing 1025/1029 to the application as the host does:
//  1. page-level asynchronous reads (page -> worker -> application dispatch
//     -> page call-back, the next read issued from the call-back) against the
//     raw CAPI road (the host window takes the record itself);
//  2. one call-back round trip of a page against one waiting read of a page;
//  3. 64 reads in flight from one page against the worker's own service rate
//     (fire-and-forget reads closed by one waiting read);
//  4. interrupts serviced through the whole road (poll -> status -> vector
//     read -> page -> write-back -> re-enable), polled again after every
//     call-back, against the sequential call-back round trip rate: an
//     interrupt needs at least three call-back round trips one after another.
// Targets (reported, not enforced): 1 at least 0.8, 2 at most 2, 3 at least
// 0.5. For the share of time spent in the library and in the board, run the
// interrupt benchmark under perf (docs/simdemo.md, Measuring).

#include "BenchReport.h"
#include "cmnctrls/Registry.h"
#include "platform/Messages.h"
#include "platform/WindowHandles.h"
#include "platform/Wnd.h"
#include "plugins/simboard/SimBoardMap.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/TargetPlatform.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/pages/PageBase.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kBatch = 1000;
constexpr int kServiceBatch = 20000;
constexpr int kInFlight = 64;
constexpr ULONG kAll = 0xFFFFFFFFu;
constexpr ULONG kRegister = SIMBOARD_BANK_BASE + 0x100;

using Clock = std::chrono::steady_clock;

double Median(std::vector<double>& values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// ---- The application, its platform and the host ------------------------------------

class BenchConfig : public CZarvexConfig {
public:
    BenchConfig() : CZarvexConfig(nullptr) {}
    using CZarvexConfig::AddCommsDll;
};

class BenchApp : public CZarvexAppBase {
public:
    BenchApp() {
        m_pSupportedPlatforms = new t_SUPPORTED_PLATFORM[1]{
            {1, new CString(L"SimBoard"), new CString(L"SimBoard"), 0, new CString(L"None"),
             SIMBOARD_API_INDEX, nullptr, nullptr, SIMBOARD_PARAMETER(16, 4)}};
        m_uSupportedPlatforms = 1;
        m_iTargetPlatform = 0;
    }
    void AddSupportedPlatforms() override {}
    bool InitApplication(CWnd* parent, CWnd* button) override {
        return CZarvexAppBase::InitApplication(parent, button);
    }
    bool OnTargetPlatformChange() override { return true; }
};

class BenchPlatform : public CTargetPlatform {
public:
    BenchPlatform() { g_pTargetPlatform = this; }
    bool Initialise() override { return true; }
    CString GetBoardName() override { return L"SimBoard"; }
    CString GetBoardRevision() override { return L""; }
    CString GetManufacturer() override { return L"Bench"; }
};

// A page whose call-backs keep `inFlight` reads going until `remaining`
// have been issued, and that services interrupts by raising the next one.
class BenchPage : public CPageBase {
public:
    void Start(int total, int inFlight) {
        remaining = total;
        outstanding = 0;
        for (int i = 0; i < inFlight && remaining > 0; ++i)
            Issue();
    }
    void OnApiCallBack(UWM_API_COMMAND_MESSAGE*) override {
        --outstanding;
        const auto now = Clock::now();
        trips.push_back(std::chrono::duration<double, std::micro>(now - last).count());
        if (remaining > 0)
            Issue();
        else if (outstanding == 0 && loop)
            loop->quit();
    }
    ULONG OnInterrupt(ULONG, ULONG data) override {
        // Sources 0 and 1 take turns: the lowest pending one is serviced and
        // the other raised, so that the write-back never clears a source
        // just raised and one is always pending.
        const ULONG source = data & (~data + 1);
        WriteMemory(SIMBOARD_INTC_RAISE(0), source ^ 3u, kAll, 0, nullptr);
        if (++serviced >= target && loop)
            loop->quit();
        return source;
    }

    ULONG Wait() { return ReadMemoryAndWait(kRegister, kAll, 0, nullptr); }
    using CPageBase::RegisterForInterrupt;

    int remaining = 0;
    int outstanding = 0;
    int serviced = 0;
    int target = 0;
    QEventLoop* loop = nullptr;
    Clock::time_point last;
    std::vector<double> trips;

private:
    void Issue() {
        --remaining;
        ++outstanding;
        last = Clock::now();
        ReadMemory(kRegister, kAll, 0, nullptr);
    }
};

struct Bench {
    std::unique_ptr<QTemporaryDir> settings;
    BenchConfig* config = nullptr;
    std::unique_ptr<BenchApp> app;
    std::unique_ptr<BenchPlatform> platform;
    std::unique_ptr<BenchPage> page;
    HWND window = nullptr;
    // Raw road: the host window takes 1029 itself and issues the next read.
    bool raw = false;
    bool pollAfterCallBacks = false;
    int rawRemaining = 0;
    QEventLoop* loop = nullptr;
};

Bench g_bench;

LRESULT HostProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    CZarvexAppBase* app = g_bench.app.get();
    if (message == UWM_API_CALLBACK && g_bench.raw) {
        delete reinterpret_cast<UWM_API_COMMAND_MESSAGE*>(wParam);
        if (--g_bench.rawRemaining > 0)
            app->m_pAPI->ReadMemory(g_bench.page.get(), kRegister, kAll, API_FLAG_CALLBACK,
                                    nullptr);
        else if (g_bench.loop)
            g_bench.loop->quit();
    } else if (message == UWM_API_CALLBACK) {
        app->OnApiCallBack(wParam, lParam);
        if (g_bench.pollAfterCallBacks)
            app->OnPollInterrupt();
    } else if (message == UWM_API_PRINT) {
        app->OnPrint(wParam, lParam);
    } else if (message == UWM_API_DISPLAY_CALLBACK) {
        app->OnApiDisplayCallBack(wParam, lParam);
    }
    return 0;
}

bool StartBench() {
    g_bench.settings = std::make_unique<QTemporaryDir>();
    CRegistry::SetStorage(g_bench.settings->path() + "/settings.ini");
    g_bench.config = new BenchConfig;
    g_pZarvexConfig = g_bench.config;
    g_bench.config->SetRegistryBaseKey(L"Software\\Zarvex\\Bench");
    g_bench.config->AddCommsDll(SIMBOARD_API_INDEX, L"" ZX_BIN_DIR "/simboard.ctc");
    g_bench.app = std::make_unique<BenchApp>();
    g_bench.platform = std::make_unique<BenchPlatform>();
    g_bench.page = std::make_unique<BenchPage>();
    g_bench.page->Initialise(0, 0.0);
    const ULONG parent = g_bench.app->AddParentInterrupt(1u, SIMBOARD_INTC_VECTOR(0));
    g_bench.page->RegisterForInterrupt(static_cast<LONG>(parent), false);
    g_bench.window = zx::CreateWindowHandle(HostProc, nullptr);
    g_bench.app->InitApplication(CWnd::FromHandle(g_bench.window), nullptr);
    return g_bench.app->StartApplication();
}

void StopBench() {
    if (g_bench.app)
        g_bench.app->CloseDownApplication();
    g_bench.page.reset();
    g_bench.app.reset();
    g_bench.platform.reset();
    if (g_bench.window)
        DestroyWindow(g_bench.window);
    g_pZarvexConfig = nullptr;
    delete g_bench.config;
    CRegistry::SetStorage(QString());
}

// ---- 1. and 2. Call-back reads, page-level and raw ------------------------------------

void RunPageReads(benchmark::State& state, int inFlight) {
    BenchPage& page = *g_bench.page;
    page.trips.clear();
    for (auto _ : state) {
        QEventLoop loop;
        page.loop = &loop;
        page.Start(kBatch, inFlight);
        loop.exec();
        page.loop = nullptr;
    }
    state.counters["reads_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBatch, benchmark::Counter::kIsRate);
    if (inFlight == 1)
        state.counters["median_trip_us"] = Median(page.trips);
}

void BM_PageCallbackReads(benchmark::State& state) {
    RunPageReads(state, 1);
}
BENCHMARK(BM_PageCallbackReads)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_RawApiCallbackReads(benchmark::State& state) {
    g_bench.raw = true;
    for (auto _ : state) {
        QEventLoop loop;
        g_bench.loop = &loop;
        g_bench.rawRemaining = kBatch;
        g_bench.app->m_pAPI->ReadMemory(g_bench.page.get(), kRegister, kAll, API_FLAG_CALLBACK,
                                        nullptr);
        loop.exec();
        g_bench.loop = nullptr;
    }
    g_bench.raw = false;
    state.counters["reads_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBatch, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RawApiCallbackReads)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PageWaitingRead(benchmark::State& state) {
    std::vector<double> us;
    us.reserve(1 << 20);
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(g_bench.page->Wait());
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    state.counters["median_us"] = Median(us);
}
BENCHMARK(BM_PageWaitingRead)->UseRealTime()->Unit(benchmark::kMicrosecond);

// ---- 3. Many requests in flight against the worker's service rate ---------------------

void BM_PageReads64InFlight(benchmark::State& state) {
    RunPageReads(state, kInFlight);
}
BENCHMARK(BM_PageReads64InFlight)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_WorkerServiceRate(benchmark::State& state) {
    CAPI* api = g_bench.app->m_pAPI;
    for (auto _ : state) {
        for (int i = 0; i < kServiceBatch; ++i)
            api->ReadMemory(g_bench.app.get(), kRegister, kAll, 0, nullptr);
        delete api->ReadMemory(g_bench.app.get(), kRegister, kAll, API_FLAG_WAIT, nullptr);
    }
    state.counters["reads_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * (kServiceBatch + 1), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WorkerServiceRate)->UseRealTime()->Unit(benchmark::kMillisecond);

// ---- 4. Interrupts through the whole road -------------------------------------------

void BM_InterruptsServiced(benchmark::State& state) {
    BenchPage& page = *g_bench.page;
    CZarvexAppBase& app = *g_bench.app;
    g_bench.pollAfterCallBacks = true;
    app.m_pAPI->WriteMemory(&app, SIMBOARD_INTC_RAISE(0), 1u, kAll, 0, nullptr);
    for (auto _ : state) {
        QEventLoop loop;
        page.loop = &loop;
        page.serviced = 0;
        page.target = kBatch;
        app.OnPollInterrupt();
        loop.exec();
        page.loop = nullptr;
    }
    g_bench.pollAfterCallBacks = false;
    // Let the last pass finish, so that no parent interrupt stays masked.
    QEventLoop settle;
    while (app.m_pPollMessage || app.m_uMaskRequests || app.m_pParentInterrupts[0].uPending)
        settle.processEvents(QEventLoop::WaitForMoreEvents);
    state.counters["interrupts_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBatch, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_InterruptsServiced)->UseRealTime()->Unit(benchmark::kMillisecond);

// ---- The closing note -------------------------------------------------------------------

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!StartBench()) {
        std::fprintf(stderr, "the application could not be started on simboard.ctc\n");
        StopBench();
        return 1;
    }
    zxbench::CounterReporter reporter(zxbench::ConsoleOptions());
    zxbench::RunSelected(reporter);
    StopBench();

    auto& v = reporter.values;
    std::printf("\nApplication roads against their baselines:\n");
    const double page = v["BM_PageCallbackReads"]["reads_per_s"];
    const double raw = v["BM_RawApiCallbackReads"]["reads_per_s"];
    if (page > 0 && raw > 0) {
        std::printf("  page call-back reads %.0f/s, raw CAPI call-back reads %.0f/s\n", page, raw);
        zxbench::Verdict("page reads / raw CAPI reads (>= 0.8)", page / raw, page / raw >= 0.8, 52);
    }
    const double waitMean = reporter.realTimeUs["BM_PageWaitingRead"];
    const double waitMedian = v["BM_PageWaitingRead"]["median_us"];
    const double tripMedian = v["BM_PageCallbackReads"]["median_trip_us"];
    if (page > 0 && waitMean > 0 && waitMedian > 0) {
        const double tripMean = 1e6 / page;
        std::printf("  call-back round trip mean %.2f us median %.2f us; waiting read mean %.2f us "
                    "median %.2f us\n",
                    tripMean, tripMedian, waitMean, waitMedian);
        zxbench::Verdict("round trip / waiting read, means (<= 2)", tripMean / waitMean,
                         tripMean / waitMean <= 2.0, 52);
        zxbench::Verdict("round trip / waiting read, medians (<= 2)", tripMedian / waitMedian,
                         tripMedian / waitMedian <= 2.0, 52);
    }
    const double inFlight = v["BM_PageReads64InFlight"]["reads_per_s"];
    const double service = v["BM_WorkerServiceRate"]["reads_per_s"];
    if (inFlight > 0 && service > 0) {
        std::printf("  64 in flight %.0f reads/s, worker service rate %.0f reads/s\n", inFlight,
                    service);
        zxbench::Verdict("64 in flight / worker service rate (>= 0.5)", inFlight / service,
                         inFlight / service >= 0.5, 52);
    }
    const double irqs = v["BM_InterruptsServiced"]["interrupts_per_s"];
    if (irqs > 0 && page > 0) {
        std::printf("  interrupts serviced %.0f/s (%.1f us each)\n", irqs, 1e6 / irqs);
        std::printf("  %-52s ratio %6.3f  (1.0: no cost beyond three round trips)\n",
                    "interrupts x 3 / call-back round trips", 3 * irqs / page);
    }
    return 0;
}
