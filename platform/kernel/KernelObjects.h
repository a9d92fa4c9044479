#pragma once
// The table behind HANDLE values. A handle is an index with a generation
// count, never an object address, so a closed or made-up handle is simply not
// found instead of reaching freed memory. An object lives as long as a handle
// or the platform layer itself holds a reference.

#include "platform/Sync.h"
#include "platform/WinTypes.h"

#include <memory>

namespace zx {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Waits until the object is signalled: WAIT_OBJECT_0, WAIT_TIMEOUT or,
    // for objects one cannot wait on, WAIT_FAILED.
    virtual DWORD Wait(DWORD milliseconds);
};

HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object);
// Null for a handle that is not (or no longer) in the table.
std::shared_ptr<KernelObject> ReferenceKernelObject(HANDLE handle);
// Removes the handle; the object dies with its last reference.
bool CloseKernelObject(HANDLE handle);

template <class T> std::shared_ptr<T> ReferenceKernelObjectAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(ReferenceKernelObject(handle));
}

} // namespace zx
