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

// What the child writes to its pipe once the trial is over. A child that
// ends without writing did not get that far (or ended the process itself).
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

// Waits up to limitMs for the child to end; true when it did (its status
// is then still to be collected).
bool WaitForExit(pid_t pid, int limitMs) {
    const int pidFd = OpenPidFd(pid);
    if (pidFd >= 0) {
        pollfd entry{pidFd, POLLIN, 0};
        int ready;
        do
            ready = ::poll(&entry, 1, limitMs);
        while (ready < 0 && errno == EINTR);
        ::close(pidFd);
        return ready > 0;
    }
    // Kernels without process descriptors: look every half millisecond.
    for (int waitedUs = 0; waitedUs < limitMs * 1000; waitedUs += 500) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid)
            return true;
        const timespec pause{0, 500 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    return false;
}

int ReapChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

[[noreturn]] void RunInChild(const std::function<void()>& trial, int verdictFd) {
    g_inChild = true;
    char verdict = kSurvived;
    try {
        trial();
    } catch (...) {
        verdict = kThrew;
    }
    (void)!::write(verdictFd, &verdict, 1);
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

PluginProbe::Result PluginProbe::Run(const std::function<void()>& trial, int limitMs) {
    int verdictPipe[2];
    if (::pipe2(verdictPipe, O_CLOEXEC) != 0)
        return {};
    // Whatever is buffered would be written twice if the child flushed it.
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(verdictPipe[0]);
        ::close(verdictPipe[1]);
        return {};
    }
    if (pid == 0) {
        ::close(verdictPipe[0]);
        RunInChild(trial, verdictPipe[1]);
    }
    ::close(verdictPipe[1]);

    Result result;
    int status = 0;
    if (WaitForExit(pid, limitMs)) {
        status = ReapChild(pid);
    } else {
        ::kill(pid, SIGKILL);
        ReapChild(pid);
        ::close(verdictPipe[0]);
        return {Outcome::TimedOut, limitMs};
    }
    char verdict = 0;
    const ssize_t got = ::read(verdictPipe[0], &verdict, 1);
    ::close(verdictPipe[0]);

    if (WIFSIGNALED(status))
        result = {Outcome::Crashed, WTERMSIG(status)};
    else if (got == 1 && verdict == kSurvived && WEXITSTATUS(status) == 0)
        result = {Outcome::Survived, 0};
    else if (got == 1 && verdict == kThrew)
        result = {Outcome::Threw, 0};
    else
        result = {Outcome::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    return result;
}

bool PluginProbe::InChild() {
    return g_inChild;
}

} // namespace zx
