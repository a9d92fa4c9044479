// Accelerator tables, seeded from the accelerators of the test scripts.

#include "FuzzTarget.h"

#include "platform/AcceleratorTable.h"
#include "platform/ResImage.h"

#include <cstdlib>

extern "C" int ZxFuzzSeedResourceType() {
    return zx::kRtAccelerator;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto table = zx::ParseAcceleratorTable({data, size});
    if (!table)
        return 0;
    // One 8-byte record an entry, all of the data, and only known flags.
    if (table->empty() || table->size() * 8 != size)
        std::abort();
    for (const ACCEL& entry : *table) {
        if (entry.fVirt & ~(FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT))
            std::abort();
    }
    return 0;
}
