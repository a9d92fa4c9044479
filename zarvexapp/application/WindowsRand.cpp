#include "zarvexapp/application/WindowsRand.h"

#include <cstdint>

namespace {

// Per thread, as the Windows C library keeps it.
thread_local std::uint32_t t_state = 1;

std::uint32_t Next(std::uint32_t& state) {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
}

} // namespace

namespace zx {

int WindowsRand() {
    return static_cast<int>(Next(t_state));
}

void WindowsRandWords(std::uint32_t* words, std::size_t count) {
    std::uint32_t state = t_state;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t high = Next(state);
        words[i] = (high << 16) | Next(state);
    }
    t_state = state;
}

void WindowsSrand(unsigned int seed) {
    t_state = seed;
}

} // namespace zx
