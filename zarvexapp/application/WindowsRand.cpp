#include "zarvexapp/application/WindowsRand.h"

#include <cstdint>

namespace {

// Per thread, as the Windows C library keeps it.
thread_local std::uint32_t t_state = 1;

} // namespace

namespace zx {

int WindowsRand() {
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFFu);
}

void WindowsSrand(unsigned int seed) {
    t_state = seed;
}

} // namespace zx
