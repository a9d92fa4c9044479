// Dialog list contents (DLGINIT), seeded from the test scripts' DLGINIT data.

#include "FuzzTarget.h"

#include "platform/DlgInit.h"
#include "platform/ResImage.h"

#include <cstdlib>

extern "C" int ZxFuzzSeedResourceType() {
    return zx::kRtDlgInit;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto items = zx::ParseDlgInit({data, size});
    if (!items)
        return 0;
    // Each record is an 8-byte head and its data, and the end marker follows.
    size_t claimed = 2;
    for (const auto& item : *items) {
        if (item.controlId == 0 || item.text.find('\0') != std::string::npos)
            std::abort();
        if (item.action == zx::DlgInitItem::Action::Other && !item.text.empty())
            std::abort();
        claimed += 8 + item.text.size() + (item.action == zx::DlgInitItem::Action::Other ? 0 : 1);
    }
    if (claimed > size)
        std::abort();
    return 0;
}
