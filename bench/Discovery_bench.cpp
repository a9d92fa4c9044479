// What the plug-in search costs per plug-in beyond its fixed pauses. The
// search looks in the folder of the running program only, so this program
// stages a folder with a copy of itself and the shipped plug-ins (each
// twice, under a second name) and runs the copy, which then measures: the
// whole search (CZarvexConfig::SearchForPlugins, with its log enabled and
// its trial child, in a process with the GUI up), and the pause that follows
// every registered module, measured alone as the baseline. Per plug-in:
// (search - registered modules x pause) / plug-ins. The goal is at most 5 ms.

#include "BenchReport.h"
#include "platform/Modules.h"
#include "platform/Threads.h"
#include "platform/WideText.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// CPU time of this process and of its ended children, in seconds: the
// search's own work, the trial child's included, whatever the load.
double CpuSeconds() {
    timespec self{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &self);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return self.tv_sec + self.tv_nsec * 1e-9 + seconds(children.ru_utime) +
           seconds(children.ru_stime);
}

const char* const kShipped[] = {"simboard.ctc",    "gdbremote.ctc", "simtuner.ctm",
                                "simplatform.ctp", "qemuvirt.ctp",  "simdemo.cap"};
constexpr int kCopies = 2;
constexpr int kPlugins = static_cast<int>(std::size(kShipped)) * kCopies;

// The part of the staged copy: searches its own folder.
void BM_Search(benchmark::State& state) {
    const fs::path log = fs::path(zx::ExecutableFolder()) / "search.log";
    double registered = 0;
    double totalSeconds = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        auto config = std::make_unique<CZarvexConfig>(nullptr);
        g_pZarvexConfig = config.get();
        config->EnableDebugFile(zx::Utf8ToWide(log.string()).c_str());
        const double cpuStart = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        config->SearchForPlugins();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        cpuSeconds += CpuSeconds() - cpuStart;
        state.SetIterationTime(took.count());
        totalSeconds += took.count();
        config.reset();
        g_pZarvexConfig = nullptr;
        // Every module that loaded and registered got its pause.
        std::ifstream in(log);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        registered = 0;
        for (auto at = text.find("Loaded Ok : "); at != std::string::npos;
             at = text.find("Loaded Ok : ", at + 1))
            ++registered;
    }
    state.counters["registered"] = registered;
    state.counters["plugins"] = kPlugins;
    state.counters["search_ms"] = totalSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = cpuSeconds * 1e3 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Search)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The pause after a registered module, as the search takes it.
void BM_PauseAfterModule(benchmark::State& state) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        Sleep(100);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    state.counters["pause_ms"] = took.count() / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PauseAfterModule)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

int RunStagedCopy(char** argv) {
    const fs::path bin = zx::ExecutableFolder();
    char pattern[] = "/tmp/zx_bench_discoveryXXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    std::error_code error;
    const fs::path copy = dir / "bench_Discovery";
    fs::copy_file("/proc/self/exe", copy, error);
    for (const char* name : kShipped)
        for (int i = 0; i < kCopies && !error; ++i) {
            const fs::path from = bin / name;
            const std::string as =
                i == 0 ? std::string(name)
                       : from.stem().string() + "_" + std::to_string(i) + from.extension().string();
            fs::copy_file(from, dir / as, error);
        }
    int status = 1;
    if (error) {
        std::fprintf(stderr, "the folder could not be staged: %s\n", error.message().c_str());
    } else if (const pid_t pid = fork(); pid == 0) {
        const char* libs = std::getenv("LD_LIBRARY_PATH");
        const std::string path = bin.string() + (libs ? ":" + std::string(libs) : "");
        setenv("LD_LIBRARY_PATH", path.c_str(), 1);
        setenv("ZX_BENCH_STAGED", "1", 1);
        execv(copy.c_str(), argv);
        _exit(127);
    } else if (pid > 0) {
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 1;
    }
    fs::remove_all(dir, error);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("ZX_BENCH_STAGED"))
        return RunStagedCopy(argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    zxbench::CounterReporter reporter(isatty(fileno(stdout))
                                          ? benchmark::ConsoleReporter::OO_ColorTabular
                                          : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto& v = reporter.values;
    const double search = v["BM_Search"]["search_ms"];
    const double registered = v["BM_Search"]["registered"];
    const double cpu = v["BM_Search"]["cpu_ms"];
    const double pause = v["BM_PauseAfterModule"]["pause_ms"];
    if (search > 0 && pause > 0) {
        const double perPlugin = (search - registered * pause) / kPlugins;
        std::printf("\nPlug-in search over %d plug-ins, %.0f registered:\n", kPlugins, registered);
        std::printf("  search %.1f ms, pause %.2f ms each, %.2f ms per plug-in beyond them\n",
                    search, pause, perPlugin);
        zxbench::Verdict("ms per plug-in beyond the pauses / 5 ms (<= 1)", perPlugin / 5.0,
                         perPlugin <= 5.0);
        std::printf("  %-46s ratio %6.3f  (CPU %.2f ms per plug-in)\n",
                    "CPU per plug-in, trial child's too / 5 ms", cpu / kPlugins / 5.0,
                    cpu / kPlugins);
    }
    return 0;
}
