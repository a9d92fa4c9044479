#pragma once
// Handle values for objects kept in slot tables (kernel objects, windows):
// low 32 bits (index + 1) * 4, like Windows handle values; high 32 bits the
// slot's generation, which changes every time the slot is reused, so a stale
// handle never names the slot's next object. Never null, never (HANDLE)-1.

#include <cstdint>
#include <optional>
#include <vector>

namespace zx {

struct SlotHandle {
    std::uint32_t index;
    std::uint32_t generation;
};

inline std::uintptr_t EncodeSlotHandle(std::uint32_t index, std::uint32_t generation) {
    return static_cast<std::uintptr_t>((static_cast<std::uint64_t>(generation) << 32) |
                                       (static_cast<std::uint64_t>(index + 1) << 2));
}

inline std::optional<SlotHandle> DecodeSlotHandle(const void* handle) {
    const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
    const auto low = static_cast<std::uint32_t>(value);
    if (low == 0 || (low & 3u) != 0)
        return std::nullopt;
    return SlotHandle{(low >> 2) - 1, static_cast<std::uint32_t>(value >> 32)};
}

// A free slot of a table (reused first, else appended), or nothing when the
// table has as many slots as handle values can name.
template <class Slot>
std::optional<std::uint32_t> AllocateSlot(std::vector<Slot>& slots,
                                          std::vector<std::uint32_t>& freeSlots) {
    if (!freeSlots.empty()) {
        const std::uint32_t index = freeSlots.back();
        freeSlots.pop_back();
        return index;
    }
    if (slots.size() >= 0x3FFFFFFFu)
        return std::nullopt;
    slots.emplace_back();
    return static_cast<std::uint32_t>(slots.size() - 1);
}

} // namespace zx
