#pragma once
// The Windows C library's pseudo-random sequence (rand/srand): 15-bit
// results from the linear congruential generator state * 214013 + 2531011,
// each thread's sequence starting from seed 1. Whatever depends on the
// numbers Windows would draw (the DMA check's test words) draws them here,
// never from the host C library, whose sequence differs.

#include <cstddef>
#include <cstdint>

namespace zx {

// The next number of the calling thread's sequence, 0 to 32767.
int WindowsRand();
// Fills words from the calling thread's sequence, each from the next two
// numbers r1, r2 as (r1 << 16) | r2; the same numbers as 2 * count calls of
// WindowsRand, without a call and a thread-local look-up per number.
void WindowsRandWords(std::uint32_t* words, std::size_t count);
// Restarts the calling thread's sequence from seed.
void WindowsSrand(unsigned int seed);

} // namespace zx
