#pragma once
// ToolBarResource: an RT_TOOLBAR resource (241), the button size and the
// command id of each button of a toolbar bitmap, 0 for a separator. Two forms
// exist: MFC's (WORD version 1, width, height, count, then a WORD id each)
// and the one GNU windres writes (DWORD width, height, count, then a DWORD id
// each). Both must fill their data exactly; anything else is not read.

#include "platform/WinTypes.h"

#include <optional>
#include <span>
#include <vector>

namespace zx {

struct ToolBarResource {
    UINT width = 0;
    UINT height = 0;
    std::vector<UINT> ids;
};

std::optional<ToolBarResource> ParseToolBarResource(std::span<const BYTE> data);

// The toolbar resource of module (the resource chain when null: the
// resource module, then the program); nothing when missing or damaged.
std::optional<ToolBarResource> LoadToolBarResource(HINSTANCE module, LPCWSTR name);

} // namespace zx
