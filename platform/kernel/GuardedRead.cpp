#include "platform/GuardedRead.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstdint>

#include <pthread.h>

namespace zx {
namespace {

// Reading a text whose pointer may be wrong, without faulting and without a
// system call per text: the text is read in place, and a fault raised by
// that read (SIGSEGV, SIGBUS) is turned by our handler into a jump back out
// of it. Faults anywhere else go on to whatever handled them before us.

// The read under way on this thread, if any. Initial-exec, so that the
// handler never has to allocate thread-local storage.
thread_local sigjmp_buf* t_reading __attribute__((tls_model("initial-exec"))) = nullptr;

struct sigaction g_previous[2]; // for SIGSEGV, SIGBUS

void OnFault(int sig, siginfo_t* info, void* context) {
    if (sigjmp_buf* reading = t_reading) {
        t_reading = nullptr;
        siglongjmp(*reading, 1);
    }
    const struct sigaction& previous = g_previous[sig == SIGBUS ? 1 : 0];
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(sig, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(sig);
    } else {
        // A fault of the program's own: it ends the process as it would have.
        signal(sig, SIG_DFL);
        raise(sig);
    }
}

bool InstallFaultHandler() {
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    // Not deferred: the jump out leaves the signal mask as it was, so a
    // later fault is caught (or ends the process) the same way.
    action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGSEGV, &action, &g_previous[0]) == 0 &&
           sigaction(SIGBUS, &action, &g_previous[1]) == 0;
}

// The read itself. Plain loads the sanitizers do not watch: a fault here is
// expected and handled, and no library call (an intercepted strlen, say)
// stands between the load and the handler.
template <class Unit>
__attribute__((noinline, no_sanitize("address", "thread", "undefined"))) size_t
LengthInPlace(const void* p, size_t maxUnits) {
    const volatile Unit* text = static_cast<const volatile Unit*>(p);
    size_t units = 0;
    while (units < maxUnits && text[units] != 0)
        ++units;
    return units;
}

} // namespace

// Length in units (1 or 4 bytes) of the text at p, up to maxUnits, or nothing
// when some of it cannot be read.
std::optional<size_t> GuardedLength(const void* p, size_t unit, size_t maxUnits) {
    if (reinterpret_cast<std::uintptr_t>(p) % unit != 0)
        return std::nullopt;
    static const bool installed = InstallFaultHandler();
    if (!installed)
        return std::nullopt;
    sigjmp_buf reading;
    // The mask is not saved, which would cost a system call per text. Our
    // handler leaves it alone, but one that wraps it (a sanitizer's) may
    // have blocked the fault signals: they are unblocked on this rare road.
    if (sigsetjmp(reading, 0) != 0) {
        sigset_t faults;
        sigemptyset(&faults);
        sigaddset(&faults, SIGSEGV);
        sigaddset(&faults, SIGBUS);
        pthread_sigmask(SIG_UNBLOCK, &faults, nullptr);
        return std::nullopt;
    }
    t_reading = &reading;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    const size_t length = unit == 1   ? LengthInPlace<std::uint8_t>(p, maxUnits)
                          : unit == 2 ? LengthInPlace<std::uint16_t>(p, maxUnits)
                                      : LengthInPlace<std::uint32_t>(p, maxUnits);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    t_reading = nullptr;
    return length;
}

} // namespace zx
