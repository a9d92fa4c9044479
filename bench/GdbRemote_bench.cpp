// The GDB remote link against QEMU's Arm "virt" machine, which this run
// starts; every measure against baselines on the same gdbstub in the same run:
//  1. 1 MiB burst reads and writes through gdbremote.ctc (waiting requests
//     from this, the user-interface thread), against gdb-multiarch's
//     "dump binary memory" and "restore", timed inside gdb so that its own
//     start-up does not count: target at least 3 times gdb's rate;
//  2. the same through a minimal protocol loop of this file (one socket, the
//     link's packet sizes and packets in flight, none of its layers): target
//     at least 0.9 of its rate;
//  3. single-word waiting reads per second, against single-word round trips
//     of the minimal loop (reported).

#include "BenchReport.h"
#include "cmnctrls/Registry.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
#include "platform/WindowHandles.h"
#include "plugins/gdbremote/GdbRemoteMap.h"
#include "plugins/qemuvirt/QemuVirtMap.h"
#include "support/QemuVirt.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/contracts/Globals.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr ULONG kWords = 1 << 18;
constexpr size_t kBytes = size_t{kWords} * 4;
constexpr ULONG kRam = QEMUVIRT_RAM;
// QEMU's packet size is 4096: the largest read and hexadecimal write that
// fit it with their frame, and the link's default packets in flight.
constexpr size_t kReadChunk = 2044, kWriteChunk = 2036;
constexpr size_t kInFlight = 8;

zxtest::QemuVirt* g_qemu = nullptr;
std::vector<ULONG> g_pattern(kWords), g_back(kWords);

// ---- The link: gdbremote.ctc as the application starts it --------------------------

struct Link {
    HMODULE module = nullptr;
    CAPI* api = nullptr;
    WORKER_THREAD_INFO info{};
    HWND window = nullptr;
    int appObject = 0;
    CZarvexAppBase* app = reinterpret_cast<CZarvexAppBase*>(&appObject);
} g_link;

LRESULT HostProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == UWM_API_PRINT) {
        auto* record = reinterpret_cast<UWM_API_PRINT_MESSAGE*>(wParam);
        std::fprintf(stderr, "%ls", record->pText2->c_str());
        delete record->pText;
        delete record->pText2;
        delete record;
    }
    return 0;
}

bool OpenLink() {
    if (g_link.api)
        return true;
    if (!g_link.module) {
        g_link.module = LoadLibraryW(L"" ZX_BIN_DIR "/gdbremote.ctc");
        g_link.api = g_pAPI;
        g_pAPI = nullptr;
        g_link.window = zx::CreateWindowHandle(HostProc, nullptr);
        g_link.info.hUIWnd = g_link.window;
    }
    if (!g_link.module || !g_link.api)
        return false;
    g_link.api->Attach(&g_link.info, QEMUVIRT_COMMS_PARAMETER);
    if (!g_link.api->Open(&g_link.info))
        return false;
    g_link.api->HardwareReset(true);
    return true;
}

// The link lets go of QEMU (its gdbstub serves one client at a time).
void CloseLink() {
    if (g_link.api)
        g_link.api->Stop();
    MSG msg;
    while (PeekMessageW(&msg, g_link.window, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

DWORD LinkBurst(bool write, ULONG* words) {
    UWM_API_COMMAND_MESSAGE* msg =
        write
            ? g_link.api->BurstWriteMemory(g_link.app, kRam, words, kWords, API_FLAG_WAIT, nullptr)
            : g_link.api->BurstReadMemory(g_link.app, kRam, words, kWords, API_FLAG_WAIT, nullptr);
    const DWORD result = msg ? msg->dwData : GDBREMOTE_LINK_ERROR;
    delete msg;
    return result;
}

// ---- A minimal protocol loop ----------------------------------------------------------

class MinimalLoop {
public:
    bool Open(unsigned port) {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(port));
        const int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            !Send(Frame("qSupported")))
            return false;
        // QEMU may first report the stop that the connection caused.
        std::string reply;
        while (Receive(reply))
            if (reply.find("PacketSize") != std::string::npos)
                return true;
        return false;
    }
    ~MinimalLoop() {
        if (m_fd >= 0) {
            std::string reply;
            Send(Frame("D"));
            Receive(reply);
            close(m_fd);
        }
    }
    // count packets of chunk bytes from the buffer, kInFlight at a time.
    bool Transfer(bool write, uint8_t* bytes, size_t size, size_t chunk, size_t inFlight) {
        static const char digits[] = "0123456789abcdef";
        size_t sent = 0, done = 0;
        std::string out, reply;
        while (done < size) {
            out.clear();
            for (; sent < size && sent - done < inFlight * chunk; sent += chunk) {
                const size_t n = std::min(chunk, size - sent);
                char head[40];
                std::snprintf(head, sizeof head, "%c%zx,%zx%s", write ? 'M' : 'm', kRam + sent, n,
                              write ? ":" : "");
                std::string data = head;
                for (size_t i = 0; write && i < n; ++i) {
                    data += digits[bytes[sent + i] >> 4];
                    data += digits[bytes[sent + i] & 15];
                }
                out += Frame(data);
            }
            if (!out.empty() && !Send(out))
                return false;
            if (!Receive(reply))
                return false;
            const size_t n = std::min(chunk, size - done);
            if (write ? reply != "OK" : reply.size() != 2 * n)
                return false;
            auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
            for (size_t i = 0; !write && i < n; ++i)
                bytes[done + i] =
                    static_cast<uint8_t>(nibble(reply[2 * i]) << 4 | nibble(reply[2 * i + 1]));
            done += n;
        }
        return true;
    }

private:
    static std::string Frame(const std::string& data) {
        unsigned sum = 0;
        for (const char c : data)
            sum += static_cast<uint8_t>(c);
        char tail[4];
        std::snprintf(tail, sizeof tail, "#%02x", sum & 0xFF);
        return "$" + data + tail;
    }
    bool Send(const std::string& s) {
        return send(m_fd, s.data(), s.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(s.size());
    }
    bool Receive(std::string& reply) {
        for (;;) {
            const size_t start = m_in.find('$'), hash = m_in.find('#', start);
            if (start != std::string::npos && hash != std::string::npos &&
                m_in.size() >= hash + 3) {
                reply = m_in.substr(start + 1, hash - start - 1);
                m_in.erase(0, hash + 3);
                return true;
            }
            char buffer[65536];
            const ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return false;
            m_in.append(buffer, static_cast<size_t>(n));
        }
    }
    int m_fd = -1;
    std::string m_in;
};

// ---- gdb ------------------------------------------------------------------------------

// Seconds gdb-multiarch spends on one command, timed by gdb's own Python
// around it; negative when gdb could not do it.
double GdbSeconds(const std::string& command) {
    QTemporaryDir dir;
    const std::string output = dir.path().toStdString() + "/gdb.txt";
    const std::string remote = "target remote 127.0.0.1:" + std::to_string(g_qemu->port);
    const std::vector<std::string> args = {
        "gdb-multiarch", "-nx",
        "-batch",        "-q",
        "-ex",           "set architecture arm",
        "-ex",           remote,
        "-ex",           "python import time; t0 = time.perf_counter()",
        "-ex",           command,
        "-ex",           "python print('ZXTIME', time.perf_counter() - t0)",
        "-ex",           "detach"};
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&files);
    std::ifstream in(output);
    std::string word;
    double seconds = -1;
    while (in >> word)
        if (word == "ZXTIME")
            in >> seconds;
    return status == 0 ? seconds : -1;
}

// ---- The measures ---------------------------------------------------------------------

void LinkBurst(benchmark::State& state, bool write) {
    if (!OpenLink()) {
        state.SkipWithError("gdbremote.ctc could not reach QEMU");
        return;
    }
    for (auto _ : state)
        if (LinkBurst(write, write ? g_pattern.data() : g_back.data()) != 0)
            state.SkipWithError("a burst failed");
    if (!write && g_back != g_pattern)
        state.SkipWithError("the data read back differs");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}
void BM_LinkWrite1MiB(benchmark::State& state) {
    LinkBurst(state, true);
}
void BM_LinkRead1MiB(benchmark::State& state) {
    LinkBurst(state, false);
}
BENCHMARK(BM_LinkWrite1MiB)->UseRealTime()->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkRead1MiB)->UseRealTime()->Repetitions(5)->Unit(benchmark::kMillisecond);

void BM_LinkWordReads(benchmark::State& state) {
    if (!OpenLink()) {
        state.SkipWithError("gdbremote.ctc could not reach QEMU");
        return;
    }
    for (auto _ : state)
        delete g_link.api->ReadMemory(g_link.app, kRam, 0xFFFFFFFFu, API_FLAG_WAIT, nullptr);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LinkWordReads)->UseRealTime()->Repetitions(5)->Unit(benchmark::kMicrosecond);

void MinimalBurst(benchmark::State& state, bool write) {
    CloseLink();
    MinimalLoop loop;
    if (!loop.Open(g_qemu->port)) {
        state.SkipWithError("no connection to QEMU");
        return;
    }
    auto* bytes = reinterpret_cast<uint8_t*>(write ? g_pattern.data() : g_back.data());
    for (auto _ : state)
        if (!loop.Transfer(write, bytes, kBytes, write ? kWriteChunk : kReadChunk, kInFlight))
            state.SkipWithError("a transfer failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}
void BM_MinimalWrite1MiB(benchmark::State& state) {
    MinimalBurst(state, true);
}
void BM_MinimalRead1MiB(benchmark::State& state) {
    MinimalBurst(state, false);
}
BENCHMARK(BM_MinimalWrite1MiB)->UseRealTime()->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimalRead1MiB)->UseRealTime()->Repetitions(5)->Unit(benchmark::kMillisecond);

void BM_MinimalWordReads(benchmark::State& state) {
    CloseLink();
    MinimalLoop loop;
    uint8_t word[4];
    if (!loop.Open(g_qemu->port)) {
        state.SkipWithError("no connection to QEMU");
        return;
    }
    for (auto _ : state)
        loop.Transfer(false, word, 4, 4, 1);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MinimalWordReads)->UseRealTime()->Repetitions(5)->Unit(benchmark::kMicrosecond);

void GdbTransfer(benchmark::State& state, const std::string& command) {
    CloseLink();
    for (auto _ : state) {
        const double seconds = GdbSeconds(command);
        if (seconds <= 0) {
            state.SkipWithError("gdb-multiarch failed; install it with scripts/install-deps.sh");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}
std::string g_dumpFile, g_patternFile;
void BM_GdbDump1MiB(benchmark::State& state) {
    char range[80];
    std::snprintf(range, sizeof range, " 0x%x 0x%zx", kRam, kRam + kBytes);
    GdbTransfer(state, "dump binary memory " + g_dumpFile + range);
}
void BM_GdbRestore1MiB(benchmark::State& state) {
    char at[40];
    std::snprintf(at, sizeof at, " binary 0x%x", kRam);
    GdbTransfer(state, "restore " + g_patternFile + at);
}
BENCHMARK(BM_GdbDump1MiB)
    ->UseManualTime()
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GdbRestore1MiB)
    ->UseManualTime()
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

void Compare(std::map<std::string, std::map<std::string, double>>& v, const char* what,
             const char* ours, const char* theirs, const char* counter, double target) {
    const double a = v[ours][counter], b = v[theirs][counter];
    if (a <= 0 || b <= 0) {
        std::printf("  %-46s not measured\n", what);
        return;
    }
    char line[120];
    std::snprintf(line, sizeof line, "%s (>= %.1f)", what, target);
    zxbench::Verdict(line, a / b, target <= 0 || a / b >= target);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // The link's settings stay out of the user's own, and name this QEMU only.
    QTemporaryDir dir;
    CRegistry::SetStorage(dir.path() + "/settings.ini");
    zxtest::QemuVirt qemu;
    g_qemu = &qemu;
    if (!qemu.port) {
        std::fprintf(stderr, "qemu-system-arm could not be started (scripts/install-deps.sh)\n");
        return 1;
    }
    setenv("ZARVEX_GDB_REMOTE", qemu.Settings().c_str(), 1);
    for (ULONG i = 0; i < kWords; ++i)
        g_pattern[i] = i * 0x9E3779B1u ^ 0x2324237Du;
    g_dumpFile = dir.path().toStdString() + "/dump.bin";
    g_patternFile = dir.path().toStdString() + "/pattern.bin";
    std::ofstream(g_patternFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(g_pattern.data()), kBytes);

    zxbench::CounterReporter reporter(zxbench::ConsoleOptions());
    zxbench::RunSelected(reporter);
    CloseLink();
    if (g_link.api)
        g_link.api->Release();
    if (g_link.module)
        FreeLibrary(g_link.module);

    auto& v = reporter.values;
    std::printf("\nThe GDB remote link against its baselines, on one QEMU:\n");
    Compare(v, "link / gdb dump, 1 MiB read", "BM_LinkRead1MiB", "BM_GdbDump1MiB",
            "bytes_per_second", 3);
    Compare(v, "link / gdb restore, 1 MiB write", "BM_LinkWrite1MiB", "BM_GdbRestore1MiB",
            "bytes_per_second", 3);
    Compare(v, "link / minimal loop, 1 MiB read", "BM_LinkRead1MiB", "BM_MinimalRead1MiB",
            "bytes_per_second", 0.9);
    Compare(v, "link / minimal loop, 1 MiB write", "BM_LinkWrite1MiB", "BM_MinimalWrite1MiB",
            "bytes_per_second", 0.9);
    Compare(v, "link / minimal loop, word reads per second", "BM_LinkWordReads",
            "BM_MinimalWordReads", "items_per_second", 0);
    return 0;
}
