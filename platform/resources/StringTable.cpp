#include "platform/StringTable.h"

#include "platform/ResReader.h"

namespace zx {

std::optional<std::wstring> StringInBlock(std::span<const BYTE> block, UINT index) {
    if (index > 15)
        return std::nullopt;
    ResReader r(block);
    for (UINT i = 0; i < index; ++i)
        r.skip(size_t{r.word()} * 2);
    auto text = r.counted();
    if (!r.ok() || text.empty())
        return std::nullopt;
    return text;
}

std::optional<std::wstring> FindStringInTable(const ResImage& image, UINT id,
                                              std::optional<WORD> language) {
    const WORD low = LOWORD(id);
    const auto block =
        image.find(ResId(kRtString), ResId(static_cast<WORD>((low >> 4) + 1)), language);
    if (!block)
        return std::nullopt;
    return StringInBlock(*block, low & 15u);
}

} // namespace zx
