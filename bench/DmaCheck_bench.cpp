// The application's DMA check through simboard.ctc against memcpy of the same
// bytes, both in each iteration so that they meet the same load:
//  - burst rate: the words moved by the check's write and read phases over
//    the times the check itself prints for them (millisecond ticks, summed
//    over many checks), against memcpy of the block there and back;
//  - the whole check (test words drawn, both phases, verify), for scale.
// Target (reported, not enforced): the burst rate at least half of memcpy's.

#include "BenchReport.h"
#include "platform/Modules.h"
#include "platform/WindowHandles.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/contracts/Globals.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <unistd.h>
#include <vector>

namespace {

// 64 pieces of 65536 words: 16 MiB each way, inside the board's 16 MiB RAM
// (the check's addresses advance by one per word).
constexpr unsigned int kWords = 64 * 65536;
constexpr double kBytes = kWords * 4.0;

// An application that keeps the seconds its check prints.
class BenchApp final : public CZarvexAppBase {
public:
    void AddSupportedPlatforms() override {}
    bool InitApplication(CWnd*, CWnd*) override { return true; }
    bool OnTargetPlatformChange() override { return true; }
    void Print(const wchar_t* text, ULONG colour) override { Print(text, nullptr, colour); }
    void Print(const wchar_t* text, const wchar_t*, ULONG colour) override {
        const wchar_t* at = std::wcsstr(text, L" = ");
        if (at && std::wcsncmp(text, L"Time taken to ", 14) == 0)
            seconds += std::wcstod(at + 3, nullptr);
        else if (colour != 0)
            ++errors;
    }
    using CZarvexAppBase::PerformDmaCheck;

    double seconds = 0;
    int errors = 0;
};

BenchApp* g_app = nullptr;
HMODULE g_module = nullptr;

LRESULT HostProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UWM_API_PRINT && g_app)
        g_app->OnPrint(wParam, lParam);
    return 0;
}

bool OpenLink() {
    g_module = LoadLibraryW(L"" ZX_BIN_DIR "/simboard.ctc");
    CAPI* api = g_pAPI;
    g_pAPI = nullptr;
    if (!g_module || !api)
        return false;
    g_app->m_pAPI = api;
    g_app->m_WorkerThreadInfo.hUIWnd = zx::CreateWindowHandle(HostProc, nullptr);
    api->Attach(&g_app->m_WorkerThreadInfo, 0);
    if (!api->Open(&g_app->m_WorkerThreadInfo))
        return false;
    api->HardwareReset(false);
    return true;
}

void CloseLink() {
    if (CAPI* api = g_app->m_pAPI) {
        api->Stop();
        api->Release();
        g_app->m_pAPI = nullptr;
    }
    if (g_app->m_WorkerThreadInfo.hUIWnd)
        DestroyWindow(g_app->m_WorkerThreadInfo.hUIWnd);
    if (g_module)
        FreeLibrary(g_module);
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_DmaCheck(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    std::vector<DWORD> from(kWords, 0x5A5A5A5A), board(kWords, 1), back(kWords, 2);
    g_app->seconds = 0;
    g_app->errors = 0;
    Clock::duration check{}, copy{};
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!g_app->PerformDmaCheck(kWords, 0, 0)) // mask 0: the rates, not the words
            state.SkipWithError("the DMA check failed");
        const auto checked = Clock::now();
        std::memcpy(board.data(), from.data(), kWords * sizeof(DWORD));
        benchmark::ClobberMemory();
        std::memcpy(back.data(), board.data(), kWords * sizeof(DWORD));
        benchmark::DoNotOptimize(back.data());
        benchmark::ClobberMemory();
        copy += Clock::now() - checked;
        check += checked - start;
    }
    const double moved = 2.0 * kBytes * static_cast<double>(state.iterations());
    if (g_app->seconds > 0) {
        state.counters["burst_bytes_per_s"] = moved / g_app->seconds;
        state.counters["burst_ratio"] = Seconds(copy) / g_app->seconds;
    }
    state.counters["check_bytes_per_s"] = moved / Seconds(check);
    state.counters["check_ratio"] = Seconds(copy) / Seconds(check);
    state.counters["memcpy_bytes_per_s"] = moved / Seconds(copy);
    state.counters["errors"] = g_app->errors;
}
BENCHMARK(BM_DmaCheck)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    BenchApp app;
    g_app = &app;
    if (!OpenLink()) {
        std::fprintf(stderr, "simboard.ctc could not be loaded and started\n");
        CloseLink();
        return 1;
    }
    zxbench::CounterReporter reporter(zxbench::ConsoleOptions());
    zxbench::RunSelected(reporter);
    CloseLink();
    g_app = nullptr;

    auto& v = reporter.values;
    const double burst = v["BM_DmaCheck"]["burst_bytes_per_s"];
    const double check = v["BM_DmaCheck"]["check_bytes_per_s"];
    const double copy = v["BM_DmaCheck"]["memcpy_bytes_per_s"];
    std::printf("\nDMA check against memcpy of the same bytes:\n");
    if (burst > 0 && copy > 0) {
        std::printf("  bursts %.2f GB/s, whole check %.2f GB/s, memcpy %.2f GB/s (medians)\n",
                    burst / 1e9, check / 1e9, copy / 1e9);
        // Each repetition's own ratio, its median: the check and its memcpy
        // met the same load.
        const double ratio = v["BM_DmaCheck"]["burst_ratio"];
        zxbench::Verdict("DMA check bursts / memcpy (>= 0.5)", ratio, ratio >= 0.5);
        std::printf("  %-46s ratio %6.3f  (for scale)\n", "whole DMA check / memcpy",
                    v["BM_DmaCheck"]["check_ratio"]);
    }
    return 0;
}
