// Dialog templates of both forms, seeded from the dialogs of the test scripts.

#include "FuzzTarget.h"

#include "platform/DialogTemplate.h"
#include "platform/ResImage.h"

#include <cstdlib>

extern "C" int ZxFuzzSeedResourceType() {
    return zx::kRtDialog;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto dlg = zx::ParseDialogTemplate({data, size});
    if (!dlg)
        return 0;
    // Every item takes at least 24 bytes of the template, its texts and
    // creation data no more than the template holds.
    size_t claimed = 0;
    for (const auto& item : dlg->items) {
        claimed += item.creationData.size() + 2 * item.title.text.size();
        if (item.kind() != zx::DialogItemClass::Other && item.className().empty())
            std::abort();
    }
    if (dlg->items.size() * 24 > size || claimed > size)
        std::abort();
    if (dlg->font.has_value() != ((dlg->style & zx::DialogTemplate::kSetFont) != 0))
        std::abort();
    return 0;
}
