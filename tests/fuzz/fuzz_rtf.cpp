// The RTF reader on damaged documents, seeded from the RTF resources of the
// test scripts.

#include "FuzzTarget.h"

#include "platform/ResImage.h"
#include "platform/RtfReader.h"

#include <cstdlib>
#include <string_view>

extern "C" int ZxFuzzSeedResourceType() {
    return zx::kRtRcData;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto doc = zx::ParseRtf(bytes);
    if (doc.has_value() != zx::LooksLikeRtf(bytes))
        std::abort();
    if (doc) {
        // Every character shown and every paragraph end costs at least one byte.
        if (doc->paragraphs.empty() || doc->text().size() > size)
            std::abort();
    }
    return 0;
}
