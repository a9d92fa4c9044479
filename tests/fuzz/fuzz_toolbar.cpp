// Toolbar resources of both forms, seeded from the test scripts' toolbars.

#include "FuzzTarget.h"

#include "platform/ResImage.h"
#include "platform/ToolBarResource.h"

#include <cstdlib>

extern "C" int ZxFuzzSeedResourceType() {
    return zx::kRtToolBar;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto bar = zx::ParseToolBarResource({data, size});
    if (!bar)
        return 0;
    // The ids fill the data exactly in one of the two forms.
    const size_t n = bar->ids.size();
    if (size != 8 + 2 * n && size != 12 + 4 * n)
        std::abort();
    if (bar->width == 0 || bar->height == 0 || bar->width > 0xFFFF || bar->height > 0xFFFF)
        std::abort();
    for (UINT id : bar->ids) {
        if (id > 0xFFFF)
            std::abort();
    }
    return 0;
}
