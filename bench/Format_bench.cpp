// Formatting cost of a diagnostic-log entry and of CString::Format, against
// glibc's swprintf on the equivalent format in the same run. Compare the
// zx_ and glibc_ rows of one case: a ratio near or below 1 is the goal.

#include "platform/String.h"
#include "platform/WinFormat.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cwchar>

namespace {

const wchar_t* const kName = L"SimBoard.ctc";

void zx_LogEntry(benchmark::State& state) {
    const std::uintptr_t args[3] = {reinterpret_cast<std::uintptr_t>(kName), 42, 0};
    std::wstring out;
    for (auto _ : state) {
        out.clear();
        zx::AppendFormatArgs(out, L"CZarvexConfig::DiscoverPlugins loaded %s as index %u\n", args,
                             3);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(zx_LogEntry);

void zx_LogEntryGuarded(benchmark::State& state) {
    const std::uintptr_t args[3] = {reinterpret_cast<std::uintptr_t>(kName), 42, 0};
    std::wstring out;
    for (auto _ : state) {
        out.clear();
        zx::TryAppendFormatArgs(out, L"CZarvexConfig::DiscoverPlugins loaded %s as index %u\n",
                                args, 3);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(zx_LogEntryGuarded);

void glibc_LogEntry(benchmark::State& state) {
    wchar_t buf[256];
    for (auto _ : state) {
        std::swprintf(buf, 256, L"CZarvexConfig::DiscoverPlugins loaded %ls as index %u\n", kName,
                      42u);
        benchmark::DoNotOptimize(buf);
    }
}
BENCHMARK(glibc_LogEntry);

void zx_CStringFormatNumbers(benchmark::State& state) {
    CString s;
    for (auto _ : state) {
        s.Format(L"0x%08X %2u % 6.3f %-5d|", 0xBEEFu, 7u, 3.14159, -42);
        benchmark::DoNotOptimize(s.GetString());
    }
}
BENCHMARK(zx_CStringFormatNumbers);

void glibc_FormatNumbers(benchmark::State& state) {
    wchar_t buf[256];
    for (auto _ : state) {
        std::swprintf(buf, 256, L"0x%08X %2u % 6.3f %-5d|", 0xBEEFu, 7u, 3.14159, -42);
        benchmark::DoNotOptimize(buf);
    }
}
BENCHMARK(glibc_FormatNumbers);

} // namespace

BENCHMARK_MAIN();
