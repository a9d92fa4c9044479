// What the diagnostic log's argument guard costs: one entry's formatting
// with every text argument checked for readable memory first, against the
// same formatting trusting its pointers (the baseline), in the same run. For
// scale: a whole entry written and flushed to a file, and an entry whose text
// argument cannot be read (the guard's slow road). The goal is a guarded
// entry at most twice the formatting alone.

#include "BenchReport.h"
#include "platform/WideText.h"
#include "platform/WinFormat.h"
#include "zarvexapp/config/ZarvexConfig.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// An entry as the plug-in search writes them: two texts and a number.
const wchar_t* const kFormat = L"Loaded Ok : %s, %s (index %u)\n";
const CString kTitle(L"Simulated target communications");
const CString kVersion(L"1.4.0.27");

std::uintptr_t P(const wchar_t* text) {
    return reinterpret_cast<std::uintptr_t>(text);
}

void Rate(benchmark::State& state) {
    state.counters["entries_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FormatAlone(benchmark::State& state) {
    const std::uintptr_t args[3] = {P(kTitle), P(kVersion), 3};
    std::wstring out;
    for (auto _ : state) {
        out.assign(L"09:05:01 - ");
        zx::AppendFormatArgs(out, kFormat, args, 3);
        benchmark::DoNotOptimize(out.data());
    }
    Rate(state);
}
BENCHMARK(BM_FormatAlone);

void BM_GuardedFormat(benchmark::State& state) {
    const std::uintptr_t args[3] = {P(kTitle), P(kVersion), 3};
    std::wstring out;
    for (auto _ : state) {
        out.assign(L"09:05:01 - ");
        benchmark::DoNotOptimize(zx::TryAppendFormatArgs(out, kFormat, args, 3));
        benchmark::DoNotOptimize(out.data());
    }
    Rate(state);
}
BENCHMARK(BM_GuardedFormat);

// A text pointer into nothing: the entry is abandoned.
void BM_GuardedFormatBadPointer(benchmark::State& state) {
    const std::uintptr_t args[3] = {P(kTitle), 0x10, 3};
    std::wstring out;
    for (auto _ : state) {
        out.assign(L"09:05:01 - ");
        if (zx::TryAppendFormatArgs(out, kFormat, args, 3))
            state.SkipWithError("the bad pointer was read");
    }
    Rate(state);
}
BENCHMARK(BM_GuardedFormatBadPointer);

// The whole entry through the configuration, flushed to a file each time.
void BM_WholeEntryToFile(benchmark::State& state) {
    char path[] = "/tmp/zx_bench_logXXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    close(fd);
    {
        CZarvexConfig config(nullptr);
        config.EnableDebugFile(zx::Utf8ToWide(path).c_str());
        CString stamp(L"09:05:01");
        for (auto _ : state)
            config.PrintToDebugFileActual(&stamp, kFormat, kTitle, kVersion,
                                          reinterpret_cast<const wchar_t*>(std::uintptr_t{3}));
    }
    std::remove(path);
    Rate(state);
}
BENCHMARK(BM_WholeEntryToFile);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    zxbench::CounterReporter reporter(zxbench::ConsoleOptions());
    zxbench::RunSelected(reporter);

    auto& v = reporter.values;
    const double alone = v["BM_FormatAlone"]["entries_per_s"];
    const double guarded = v["BM_GuardedFormat"]["entries_per_s"];
    const double bad = v["BM_GuardedFormatBadPointer"]["entries_per_s"];
    const double whole = v["BM_WholeEntryToFile"]["entries_per_s"];
    std::printf("\nA log entry's argument guard against its formatting alone:\n");
    if (alone > 0 && guarded > 0) {
        std::printf("  formatting %.3f us, guarded %.3f us per entry\n", 1e6 / alone,
                    1e6 / guarded);
        zxbench::Verdict("guarded entry / formatting alone (<= 2)", alone / guarded,
                         alone / guarded <= 2.0);
    }
    if (alone > 0 && bad > 0)
        std::printf("  %-46s ratio %6.3f  (for scale)\n", "bad pointer entry / formatting alone",
                    alone / bad);
    if (alone > 0 && whole > 0)
        std::printf("  %-46s ratio %6.3f  (for scale)\n", "whole flushed entry / formatting alone",
                    alone / whole);
    return 0;
}
