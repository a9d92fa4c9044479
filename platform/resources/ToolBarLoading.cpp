#include "platform/ResImage.h"
#include "platform/Resources.h"
#include "platform/ToolBarResource.h"

namespace zx {

std::optional<ToolBarResource> LoadToolBarResource(HINSTANCE module, LPCWSTR name) {
    const auto bytes = ResourceBytesInChain(module, name, MAKEINTRESOURCEW(kRtToolBar));
    if (bytes.empty())
        return std::nullopt;
    return ParseToolBarResource(bytes);
}

} // namespace zx
