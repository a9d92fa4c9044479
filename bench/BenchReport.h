#pragma once
// What the benchmark programs share: a console reporter that keeps each
// benchmark's counters (the median where there are repetitions) for the
// closing comparison, and the line that states a ratio against its target.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zxbench {

// Keeps each benchmark's counters for the closing note.
class CounterReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    std::map<std::string, std::map<std::string, double>> values;

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
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::set<std::string> m_medians;
};

inline void Verdict(const char* what, double ratio, bool met) {
    std::printf("  %-46s ratio %6.3f  target %s\n", what, ratio, met ? "met" : "MISSED");
}

} // namespace zxbench
