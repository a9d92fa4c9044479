// Menu templates of both forms, seeded from the menus of the test scripts.

#include "FuzzTarget.h"

#include "platform/MenuTemplate.h"
#include "platform/ResImage.h"

#include <cstdlib>

extern "C" int ZxFuzzSeedResourceType() {
    return zx::kRtMenu;
}

namespace {

// Items at `depth` (the top level is 1). Only a level that holds items can
// be too deep: the items of the deepest level have empty lists below them.
size_t count(const std::vector<zx::MenuItem>& items, int depth) {
    if (!items.empty() && depth > zx::MenuTemplate::kMaxDepth)
        std::abort();
    size_t n = items.size();
    for (const auto& item : items) {
        if (!item.popup && !item.children.empty())
            std::abort();
        n += count(item.children, depth + 1);
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto menu = zx::ParseMenuTemplate({data, size});
    // Each item takes at least four bytes of the template.
    if (menu && count(menu->items, 1) * 4 > size)
        std::abort();
    return 0;
}
