#include "platform/ResImage.h"
#include "platform/Resources.h"
#include "platform/ToolBarResource.h"

namespace zx {

std::optional<ToolBarResource> LoadToolBarResource(HINSTANCE module, LPCWSTR name) {
    const HINSTANCE chain[] = {module ? module : AfxGetResourceHandle(), nullptr};
    for (size_t i = 0; i < (module ? 1u : 2u); ++i) {
        const auto bytes = ResourceBytes(chain[i], name, MAKEINTRESOURCEW(kRtToolBar));
        if (!bytes.empty())
            return ParseToolBarResource(bytes);
    }
    return std::nullopt;
}

} // namespace zx
