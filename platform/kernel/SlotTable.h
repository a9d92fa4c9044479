#pragma once
// SlotTable: the table behind handle values of objects (kernel objects,
// windows). A handle is the slot's index and a generation count, never an
// object's address: low 32 bits (index + 1) * 4, like Windows handle values;
// high 32 bits the slot's generation, which changes every time the slot is
// reused, so a stale or made-up handle never names the slot's next object.
// Never null, never (HANDLE)-1. Not synchronised: its owner locks it.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace zx {

template <class Value> class SlotTable {
public:
    // Stores the value in a free slot (reused first, else appended) and
    // returns the handle naming it; nothing when the table has as many slots
    // as handle values can name.
    std::optional<std::uintptr_t> Insert(Value value) {
        std::uint32_t index;
        if (!m_free.empty()) {
            index = m_free.back();
            m_free.pop_back();
        } else {
            if (m_slots.size() >= 0x3FFFFFFFu)
                return std::nullopt;
            m_slots.emplace_back();
            index = static_cast<std::uint32_t>(m_slots.size() - 1);
        }
        Slot& slot = m_slots[index];
        slot.value = std::move(value);
        return Encode(index, slot.generation);
    }

    // The value the handle names while it is stored; null otherwise.
    Value* Find(const void* handle) {
        Slot* slot = SlotOf(handle);
        return slot ? &*slot->value : nullptr;
    }

    // Takes the value out; the handle (and any copy of it) names nothing from
    // now on. Nothing when the handle named nothing.
    std::optional<Value> Remove(const void* handle) {
        Slot* slot = SlotOf(handle);
        if (!slot)
            return std::nullopt;
        return Free(*slot);
    }

    // Takes out every value for which remove(value) is true.
    template <class Predicate> void RemoveIf(Predicate remove) {
        for (Slot& slot : m_slots) {
            if (slot.value && remove(*slot.value))
                Free(slot);
        }
    }

private:
    struct Slot {
        std::optional<Value> value;
        std::uint32_t generation = 1;
    };

    static std::uintptr_t Encode(std::uint32_t index, std::uint32_t generation) {
        return static_cast<std::uintptr_t>((static_cast<std::uint64_t>(generation) << 32) |
                                           (static_cast<std::uint64_t>(index + 1) << 2));
    }

    Slot* SlotOf(const void* handle) {
        const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
        const auto low = static_cast<std::uint32_t>(value);
        if (low == 0 || (low & 3u) != 0)
            return nullptr;
        const std::uint32_t index = (low >> 2) - 1;
        if (index >= m_slots.size())
            return nullptr;
        Slot& slot = m_slots[index];
        if (!slot.value || slot.generation != static_cast<std::uint32_t>(value >> 32))
            return nullptr;
        return &slot;
    }

    std::optional<Value> Free(Slot& slot) {
        std::optional<Value> value = std::move(slot.value);
        slot.value.reset();
        // Generation 0 is never handed out, so a wrapped counter skips it.
        if (++slot.generation == 0)
            slot.generation = 1;
        m_free.push_back(static_cast<std::uint32_t>(&slot - m_slots.data()));
        return value;
    }

    std::vector<Slot> m_slots;
    std::vector<std::uint32_t> m_free;
};

} // namespace zx
