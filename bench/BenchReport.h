#pragma once
// What the benchmark programs share: a console reporter that keeps each
// benchmark's counters (the median where there are repetitions) for the
// closing comparison, and the line that states a ratio against its target.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace zxbench {

// Keeps each benchmark's counters for the closing note.
class CounterReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    std::map<std::string, std::map<std::string, double>> values;
    std::map<std::string, double> realTimeUs;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && run.run_type != Run::RT_Iteration)
                continue;
            if (!median && m_medians.count(name))
                continue;
            if (median)
                m_medians.insert(name);
            auto& v = values[name];
            for (const auto& [key, counter] : run.counters)
                v[key] = counter.value;
            realTimeUs[name] = run.GetAdjustedRealTime() *
                               (run.time_unit == benchmark::kMillisecond ? 1000.0 : 1.0);
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::set<std::string> m_medians;
};

inline void Verdict(const char* what, double ratio, bool met, int width = 46) {
    std::printf("  %-*s ratio %6.3f  target %s\n", width, what, ratio, met ? "met" : "MISSED");
}

// Colours only on a terminal, as the library's own reporter does.
inline benchmark::ConsoleReporter::OutputOptions ConsoleOptions() {
    return isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular
                                  : benchmark::ConsoleReporter::OO_Tabular;
}

// Runs the benchmarks the command line selected into reporter.
inline void RunSelected(benchmark::BenchmarkReporter& reporter) {
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

} // namespace zxbench
