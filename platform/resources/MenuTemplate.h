#pragma once
// MenuTemplate: a menu resource read into a tree, from the standard form
// (MENUITEMTEMPLATEHEADER version 0) or the extended one (MENUEX, version 1).
// Damaged menus and menus nested deeper than kMaxDepth are not read.

#include "platform/WinTypes.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zx {

struct MenuItem {
    UINT id = 0;      // zero for pop-ups of the standard form
    UINT flags = 0;   // standard: the item's MF_* option word without MF_END;
                      // extended: its MFR_* resource info word
    UINT type = 0;    // MFT_* (derived from the option word in the standard form)
    UINT state = 0;   // MFS_* (likewise)
    DWORD helpId = 0; // pop-ups of the extended form
    std::wstring text;
    std::vector<MenuItem> children;
    bool popup = false;
    bool separator = false;
};

struct MenuTemplate {
    static constexpr int kMaxDepth = 16;

    bool extended = false;
    DWORD helpId = 0; // extended form only
    std::vector<MenuItem> items;
};

std::optional<MenuTemplate> ParseMenuTemplate(std::span<const BYTE> data);

} // namespace zx
