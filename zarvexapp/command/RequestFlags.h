#pragma once
// How a requester's wrappers shape a request before handing it to the API:
// the wait and call-back bits fixed by the form of the wrapper (every other
// bit passes unchanged), and the base addresses selected by the
// API_FLAG_BASEn bits added to the address. Pages and the application share
// these, so both address their hardware by the same rules.

#include "platform/WinTypes.h"
#include "zarvexapp/command/ApiCommandMessage.h"

namespace zx {

// Answered later, or never: no waiting.
constexpr unsigned int AsyncFlags(unsigned int flags) {
    return flags & ~API_FLAG_WAIT;
}
// Answered later through a call-back.
constexpr unsigned int AsyncCallBackFlags(unsigned int flags) {
    return (flags & ~API_FLAG_WAIT) | API_FLAG_CALLBACK;
}
// Waited for: the requester keeps the record, so no call-back.
constexpr unsigned int WaitFlags(unsigned int flags) {
    return (flags & ~API_FLAG_CALLBACK) | API_FLAG_WAIT;
}

// address plus base n for each API_FLAG_BASEn bit of flags, in 32-bit
// arithmetic that wraps (a base may be kept signed or unsigned).
template <class Base>
constexpr ULONG AddBaseAddresses(ULONG address, unsigned int flags, const Base (&bases)[4]) {
    constexpr unsigned int kBaseBits[4] = {API_FLAG_BASE0, API_FLAG_BASE1, API_FLAG_BASE2,
                                           API_FLAG_BASE3};
    for (int i = 0; i < 4; ++i)
        if (flags & kBaseBits[i])
            address += static_cast<ULONG>(bases[i]);
    return address;
}

} // namespace zx
