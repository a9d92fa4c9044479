#include "platform/KernelObjects.h"

#include "platform/LastError.h"
#include "platform/SlotTable.h"

#include <mutex>

namespace zx {

namespace {

struct HandleTable {
    std::mutex mutex;
    SlotTable<std::shared_ptr<KernelObject>> objects;
};

// Never destroyed: threads that were abandoned may still close handles while
// the process exits.
HandleTable& Table() {
    static auto* table = new HandleTable;
    return *table;
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
    const auto handle = table.objects.Insert(std::move(object));
    if (!handle) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(*handle);
}

std::shared_ptr<KernelObject> ReferenceKernelObject(HANDLE handle) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    const auto* object = table.objects.Find(handle);
    return object ? *object : nullptr;
}

bool CloseKernelObject(HANDLE handle) {
    std::optional<std::shared_ptr<KernelObject>> dying;
    auto& table = Table();
    {
        std::lock_guard lock(table.mutex);
        dying = table.objects.Remove(handle);
    }
    // The object's destructor runs outside the table's lock.
    return dying.has_value();
}

} // namespace zx
