// What trying a plug-in in a child process adds to the plug-in search: a
// load and unload of simplatform.ctp in the process (what the search did
// before, the baseline), against the same preceded by its trial, in a
// process with the GUI up as the host has it: a list of ten tried by one
// child running ahead (as the search does it, here without the search's
// pauses, which would hide the child's work entirely), and one file tried by
// a child of its own (as an application chosen later is). Times are per
// plug-in. The goal is at most 5 ms more per plug-in.

#include "platform/Modules.h"
#include "platform/Threads.h"
#include "zarvexapp/config/PluginProbe.h"

#include "BenchReport.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring PluginPath() {
    return L"" ZX_BIN_DIR "/simplatform.ctp";
}

void LoadAndUnload(const std::wstring& path) {
    if (HMODULE module = LoadLibraryW(path.c_str()))
        FreeLibrary(module);
}

void BM_LoadInProcess(benchmark::State& state) {
    const std::wstring path = PluginPath();
    for (auto _ : state)
        LoadAndUnload(path);
}
BENCHMARK(BM_LoadInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TryInChildThenLoad(benchmark::State& state) {
    const std::wstring path = PluginPath();
    for (auto _ : state) {
        const auto result = zx::PluginProbe::Run([&] { LoadAndUnload(path); });
        if (!result.Safe())
            state.SkipWithError("the trial failed");
        LoadAndUnload(path);
    }
}
BENCHMARK(BM_TryInChildThenLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr std::size_t kList = 10;

void BM_TryListInOneChildThenLoad(benchmark::State& state) {
    const std::wstring path = PluginPath();
    for (auto _ : state) {
        zx::PluginProbe probe([&](std::size_t) { LoadAndUnload(path); }, kList);
        for (std::size_t i = 0; i < kList; ++i) {
            if (!probe.Verdict(i).Safe())
                state.SkipWithError("the trial failed");
            LoadAndUnload(path);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kList));
}
BENCHMARK(BM_TryListInOneChildThenLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

// As the search runs: the child starts with the splash, which waits 100 ms
// before its timer starts the search, and each registered module is
// followed by the 100 ms pause, in which the child tries the next files.
void SearchLike(benchmark::State& state, bool tried) {
    const std::wstring path = PluginPath();
    for (auto _ : state) {
        zx::PluginProbe probe([&](std::size_t) { LoadAndUnload(path); }, tried ? kList : 0);
        probe.Start();
        Sleep(100);
        for (std::size_t i = 0; i < kList; ++i) {
            if (tried && !probe.Verdict(i).Safe())
                state.SkipWithError("the trial failed");
            LoadAndUnload(path);
            Sleep(100);
        }
    }
}
void BM_SearchWithPauses(benchmark::State& state) {
    SearchLike(state, false);
}
void BM_SearchWithPausesTried(benchmark::State& state) {
    SearchLike(state, true);
}
BENCHMARK(BM_SearchWithPauses)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SearchWithPausesTried)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    // A window on screen, as the splash is while the search runs.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    for (int i = 0; i < 20; ++i)
        layout->addWidget(new QLabel(QStringLiteral("line %1").arg(i)));
    window.show();
    QApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    zxbench::CounterReporter reporter(zxbench::ConsoleOptions());
    zxbench::RunSelected(reporter);

    auto ms = [&](const char* name) { return reporter.realTimeUs[name] / 1000.0; };
    const double plain = ms("BM_LoadInProcess");
    const double list = ms("BM_TryListInOneChildThenLoad") / kList;
    const double alone = ms("BM_TryInChildThenLoad");
    // Per plug-in, the splash's wait shared out.
    const double search = ms("BM_SearchWithPauses") / kList;
    const double searchTried = ms("BM_SearchWithPausesTried") / kList;
    if (search > 0 && searchTried > 0)
        std::printf("\nper plug-in in a search with its pauses: %.3f ms, tried first %.3f ms "
                    "(adds %.3f ms, ratio %.3f)\n",
                    search, searchTried, searchTried - search, searchTried / search);
    if (plain > 0 && list > 0 && alone > 0) {
        std::printf("\nper plug-in: loaded in process %.3f ms; tried first in a list %.3f ms "
                    "(adds %.3f ms, ratio %.2f); tried first alone %.3f ms (adds %.3f ms, "
                    "ratio %.2f); goal: at most 5 ms added\n",
                    plain, list, list - plain, list / plain, alone, alone - plain, alone / plain);
    }
    return 0;
}
