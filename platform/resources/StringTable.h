#pragma once
// String tables: RT_STRING resources hold the strings in blocks of sixteen;
// block (id >> 4) + 1 holds string id at index id & 15, each a WORD length
// followed by that many UTF-16 units. An empty string is no string, as
// LoadStringW treats it.

#include "platform/ResImage.h"
#include "platform/WinTypes.h"

#include <optional>
#include <span>
#include <string>

namespace zx {

// The string at index (0..15) of one block's data.
std::optional<std::wstring> StringInBlock(std::span<const BYTE> block, UINT index);

// The string with that id (only its low 16 bits count, as on Windows).
std::optional<std::wstring> FindStringInTable(const ResImage& image, UINT id,
                                              std::optional<WORD> language = std::nullopt);

} // namespace zx
