// String table blocks, seeded from the string tables of the test scripts.

#include "FuzzTarget.h"

#include "platform/ResImage.h"
#include "platform/StringTable.h"

#include <cstdlib>

extern "C" int ZxFuzzSeedResourceType() {
    return zx::kRtString;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    size_t chars = 0;
    for (UINT index = 0; index < 16; ++index) {
        if (auto s = zx::StringInBlock({data, size}, index)) {
            if (s->empty())
                std::abort();
            chars += s->size();
        }
    }
    if (chars > size / 2)
        std::abort();
    return 0;
}
