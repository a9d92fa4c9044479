#include "zarvexapp/config/PluginProbe.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace zx {
namespace {

// Set in the child only; the child has one thread.
bool g_inChild = false;

// What the child writes to its pipe after each trial. A child that ends
// without writing did not get that far (or ended the process itself).
constexpr char kSurvived = 'S';
constexpr char kThrew = 'T';

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

// Waits up to limitMs for fd to become readable (or its writer to go).
bool WaitReadable(int fd, int limitMs) {
    pollfd entry{fd, POLLIN, 0};
    int ready;
    do
        ready = ::poll(&entry, 1, limitMs);
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Waits up to limitMs for the child to end; true when it did (its status
// is then still to be collected).
bool WaitForExit(pid_t pid, int limitMs) {
    const int pidFd = OpenPidFd(pid);
    if (pidFd >= 0) {
        const bool ended = WaitReadable(pidFd, limitMs);
        ::close(pidFd);
        return ended;
    }
    // Kernels without process descriptors: look every half millisecond.
    for (int waitedUs = 0; waitedUs <= limitMs * 1000; waitedUs += 500) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid)
            return true;
        const timespec pause{0, 500 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    return false;
}

[[noreturn]] void RunInChild(const std::function<void(std::size_t)>& trial, std::size_t first,
                             std::size_t count, int verdictFd) {
    g_inChild = true;
    for (std::size_t item = first; item < count; ++item) {
        char verdict = kSurvived;
        try {
            trial(item);
        } catch (...) {
            verdict = kThrew;
        }
        if (::write(verdictFd, &verdict, 1) != 1)
            break;
        // An exception thrown out of the loader may have left it locked:
        // the next item gets a fresh child.
        if (verdict == kThrew)
            break;
    }
    // No exit handlers, no static destructors: they belong to the host.
    ::_exit(0);
}

} // namespace

CString PluginProbe::Result::Describe() const {
    CString text;
    switch (outcome) {
    case Outcome::Survived:
    case Outcome::NotTried:
        break;
    case Outcome::Crashed: {
        const char* name = ::strsignal(detail);
        text.Format(L"crashed while loading (signal %d, %hs)", detail, name ? name : "unknown");
        break;
    }
    case Outcome::Threw:
        text = L"threw an exception while loading";
        break;
    case Outcome::Exited:
        text.Format(L"ended the process while loading (exit code %d)", detail);
        break;
    case Outcome::TimedOut:
        text.Format(L"did not finish loading within %d ms", detail);
        break;
    }
    return text;
}

PluginProbe::PluginProbe(std::function<void(std::size_t)> trial, std::size_t count, int limitMs)
    : m_trial(std::move(trial)), m_count(count), m_limitMs(limitMs) {}

PluginProbe::~PluginProbe() {
    StopChild(true);
}

bool PluginProbe::StartChild(std::size_t first) {
    int verdictPipe[2];
    if (::pipe2(verdictPipe, O_CLOEXEC) != 0)
        return false;
    // Whatever is buffered would be written twice if the child flushed it.
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(verdictPipe[0]);
        ::close(verdictPipe[1]);
        return false;
    }
    if (pid == 0) {
        ::close(verdictPipe[0]);
        RunInChild(m_trial, first, m_count, verdictPipe[1]);
    }
    ::close(verdictPipe[1]);
    m_pid = pid;
    m_verdicts = verdictPipe[0];
    m_next = first;
    return true;
}

int PluginProbe::StopChild(bool kill) {
    if (m_pid < 0)
        return 0;
    if (kill)
        ::kill(m_pid, SIGKILL);
    else if (!WaitForExit(m_pid, m_limitMs))
        ::kill(m_pid, SIGKILL); // it closed its pipe but does not end
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    ::close(m_verdicts);
    m_pid = -1;
    m_verdicts = -1;
    return status;
}

void PluginProbe::Start() {
    if (m_pid < 0 && m_count > 0)
        StartChild(0);
}

PluginProbe::Result PluginProbe::Verdict(std::size_t index) {
    if (index >= m_count)
        return {};
    if (m_pid >= 0 && m_next != index)
        StopChild(true);
    if (m_pid < 0 && !StartChild(index))
        return {};

    if (!WaitReadable(m_verdicts, m_limitMs)) {
        StopChild(true);
        return {Outcome::TimedOut, m_limitMs};
    }
    char verdict = 0;
    ssize_t got;
    do
        got = ::read(m_verdicts, &verdict, 1);
    while (got < 0 && errno == EINTR);
    if (got == 1) {
        ++m_next;
        if (verdict == kSurvived)
            return {Outcome::Survived, 0};
        StopChild(false); // it ends by itself after an exception
        return {Outcome::Threw, 0};
    }
    // The pipe closed without a verdict: the child died trying this item.
    const int status = StopChild(false);
    if (WIFSIGNALED(status))
        return {Outcome::Crashed, WTERMSIG(status)};
    return {Outcome::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

PluginProbe::Result PluginProbe::Run(const std::function<void()>& trial, int limitMs) {
    PluginProbe probe([&trial](std::size_t) { trial(); }, 1, limitMs);
    return probe.Verdict(0);
}

bool PluginProbe::InChild() {
    return g_inChild;
}

} // namespace zx
