#include "platform/GuardedRead.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace zx {
namespace {

// Reading a text whose pointer may be wrong, without faulting: the bytes are
// copied by the kernel (process_vm_readv on our own process), one page at a
// time, which fails with EFAULT instead of raising a signal.

std::atomic<bool> g_vmReadDenied{false}; // process_vm_readv refused by a filter

size_t PageSize() {
    static const size_t size = [] {
        const long s = sysconf(_SC_PAGESIZE);
        return s > 0 ? static_cast<size_t>(s) : size_t{4096};
    }();
    return size;
}

// Copies n bytes of our own memory, false where they cannot be read.
// Where the kernel copy is not permitted (a seccomp filter), the bytes take a
// pipe instead: write() reports EFAULT as well.
bool CopyThroughPipe(void* dst, std::uintptr_t src, size_t n) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const ssize_t put = write(fds[1], reinterpret_cast<const void*>(src), n);
    const ssize_t got = put == static_cast<ssize_t>(n) ? read(fds[0], dst, n) : -1;
    close(fds[0]);
    close(fds[1]);
    return got == static_cast<ssize_t>(n);
}

bool CopyFromSelf(void* dst, std::uintptr_t src, size_t n) {
    if (g_vmReadDenied.load(std::memory_order_relaxed))
        return CopyThroughPipe(dst, src, n);
    iovec local{dst, n};
    iovec remote{reinterpret_cast<void*>(src), n};
    const ssize_t got = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
    if (got == static_cast<ssize_t>(n))
        return true;
    if (got < 0 && (errno == ENOSYS || errno == EPERM)) {
        g_vmReadDenied.store(true, std::memory_order_relaxed);
        return CopyThroughPipe(dst, src, n);
    }
    return false;
}

} // namespace

// Length in units (1 or 4 bytes) of the text at p, up to maxUnits, or nothing
// when some of it cannot be read.
std::optional<size_t> GuardedLength(const void* p, size_t unit, size_t maxUnits) {
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    if (start % unit != 0)
        return std::nullopt;
    const size_t page = PageSize();
    alignas(8) unsigned char buf[1024];
    std::uintptr_t at = start;
    size_t units = 0;
    size_t want = 128; // most texts are short: copy little first
    while (units < maxUnits) {
        size_t chunk = std::min(want, page - at % page);
        want = sizeof buf;
        if (maxUnits - units < chunk / unit)
            chunk = (maxUnits - units) * unit;
        if (!CopyFromSelf(buf, at, chunk))
            return std::nullopt;
        // Chunks start aligned and hold whole units: the page size and the
        // buffer are multiples of the unit.
        for (size_t k = 0; k < chunk / unit; ++k) {
            bool zero = true;
            for (size_t b = 0; b < unit; ++b)
                zero = zero && buf[k * unit + b] == 0;
            if (zero)
                return units + k;
        }
        units += chunk / unit;
        at += chunk;
    }
    return maxUnits;
}

} // namespace zx
