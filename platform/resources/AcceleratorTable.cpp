#include "platform/AcceleratorTable.h"

#include "platform/ResReader.h"

namespace zx {

namespace {
constexpr WORD kLastEntry = 0x80;
constexpr WORD kKnownFlags = FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT;
} // namespace

std::optional<std::vector<ACCEL>> ParseAcceleratorTable(std::span<const BYTE> data) {
    if (data.empty() || data.size() % 8 != 0)
        return std::nullopt;
    ResReader r(data);
    std::vector<ACCEL> table;
    table.reserve(data.size() / 8);
    while (!r.atEnd()) {
        const WORD flags = r.word();
        const WORD key = r.word();
        const WORD cmd = r.word();
        r.skip(2);
        if (!r.ok())
            return std::nullopt;
        table.push_back(ACCEL{static_cast<BYTE>(flags & kKnownFlags), key, cmd});
        // The end flag must mark exactly the last record.
        if ((flags & kLastEntry) != 0)
            return r.atEnd() ? std::optional(std::move(table)) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace zx
