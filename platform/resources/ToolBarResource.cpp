#include "platform/ToolBarResource.h"

#include "platform/ResReader.h"

namespace zx {

namespace {

std::optional<ToolBarResource> ReadMfcForm(std::span<const BYTE> data) {
    ResReader r(data);
    const WORD version = r.word();
    ToolBarResource bar;
    bar.width = r.word();
    bar.height = r.word();
    const WORD count = r.word();
    // A zero width also keeps the windres form, whose first WORD is the low
    // half of the width, from being read as this one.
    if (!r.ok() || version != 1 || bar.width == 0 || bar.height == 0 ||
        r.remaining() != size_t{count} * 2)
        return std::nullopt;
    for (WORD i = 0; i < count; ++i)
        bar.ids.push_back(r.word());
    return bar;
}

std::optional<ToolBarResource> ReadWindresForm(std::span<const BYTE> data) {
    ResReader r(data);
    ToolBarResource bar;
    bar.width = r.dword();
    bar.height = r.dword();
    const DWORD count = r.dword();
    if (!r.ok() || bar.width == 0 || bar.width > 0xFFFF || bar.height == 0 || bar.height > 0xFFFF ||
        r.remaining() / 4 != count || r.remaining() % 4 != 0)
        return std::nullopt;
    for (DWORD i = 0; i < count; ++i) {
        const DWORD id = r.dword();
        if (id > 0xFFFF)
            return std::nullopt; // command ids are WORDs
        bar.ids.push_back(id);
    }
    return bar;
}

} // namespace

std::optional<ToolBarResource> ParseToolBarResource(std::span<const BYTE> data) {
    if (auto bar = ReadMfcForm(data))
        return bar;
    return ReadWindresForm(data);
}

} // namespace zx
