// Version blocks, seeded from the version resource of the test scripts.

#include "FuzzTarget.h"

#include "platform/ResImage.h"
#include "platform/VersionBlock.h"

#include <cstdlib>

extern "C" int ZxFuzzSeedResourceType() {
    return zx::kRtVersion;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto block = zx::ParseVersionBlock({data, size});
    if (!block)
        return 0;
    if (block->fixed && block->fixed->signature != zx::FixedFileInfo::kSignature)
        std::abort();
    if (block->fixed.has_value() == block->fileVersionText().empty())
        std::abort();
    size_t chars = 0;
    for (const auto& table : block->tables) {
        chars += table.key.size();
        for (const auto& [key, value] : table.strings)
            chars += key.size() + value.size();
    }
    if (chars > size)
        std::abort();
    return 0;
}
