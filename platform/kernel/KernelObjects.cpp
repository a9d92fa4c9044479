#include "platform/KernelObjects.h"

#include "platform/SlotHandle.h"

#include "platform/LastError.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace zx {

namespace {

struct Slot {
    std::shared_ptr<KernelObject> object;
    std::uint32_t generation = 1;
};

struct HandleTable {
    std::mutex mutex;
    std::vector<Slot> slots;
    std::vector<std::uint32_t> freeSlots;
};

// Never destroyed: threads that were abandoned may still close handles while
// the process exits.
HandleTable& Table() {
    static auto* table = new HandleTable;
    return *table;
}

HANDLE Encode(std::uint32_t index, std::uint32_t generation) {
    return reinterpret_cast<HANDLE>(EncodeSlotHandle(index, generation));
}

bool Decode(HANDLE handle, std::uint32_t& index, std::uint32_t& generation) {
    const auto decoded = DecodeSlotHandle(handle);
    if (!decoded)
        return false;
    index = decoded->index;
    generation = decoded->generation;
    return true;
}

} // namespace

DWORD KernelObject::Wait(DWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object) {
    if (!object)
        return nullptr;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    const auto allocated = AllocateSlot(table.slots, table.freeSlots);
    if (!allocated) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const std::uint32_t index = *allocated;
    Slot& slot = table.slots[index];
    slot.object = std::move(object);
    return Encode(index, slot.generation);
}

std::shared_ptr<KernelObject> ReferenceKernelObject(HANDLE handle) {
    std::uint32_t index, generation;
    if (!Decode(handle, index, generation))
        return nullptr;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    if (index >= table.slots.size())
        return nullptr;
    const Slot& slot = table.slots[index];
    if (slot.generation != generation)
        return nullptr;
    return slot.object;
}

bool CloseKernelObject(HANDLE handle) {
    std::uint32_t index, generation;
    if (!Decode(handle, index, generation))
        return false;
    std::shared_ptr<KernelObject> dying;
    auto& table = Table();
    {
        std::lock_guard lock(table.mutex);
        if (index >= table.slots.size())
            return false;
        Slot& slot = table.slots[index];
        if (slot.generation != generation || !slot.object)
            return false;
        dying = std::move(slot.object);
        slot.object.reset();
        // Generation 0 is never handed out, so a wrapped counter skips it.
        if (++slot.generation == 0)
            slot.generation = 1;
        table.freeSlots.push_back(index);
    }
    // The object's destructor runs outside the table's lock.
    return true;
}

} // namespace zx
