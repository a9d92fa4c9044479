#include "platform/WindowHandles.h"

#include "platform/SlotHandle.h"

#include "platform/LastError.h"
#include "platform/Threads.h"
#include "platform/WindowTable.h"

#include <cstdint>
#include <cwctype>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

namespace zx {
namespace {

struct WindowSlot {
    std::uint32_t generation = 1;
    bool alive = false;
    bool destroying = false;
    WNDPROC proc = nullptr;
    void* context = nullptr;
    DWORD ownerThreadId = 0;
    std::shared_ptr<MessageQueue> queue;
};

struct WindowTableData {
    std::shared_mutex mutex;
    std::vector<WindowSlot> slots;
    std::vector<std::uint32_t> freeSlots;
};

// Never destroyed: abandoned threads may still post while the process exits.
WindowTableData& Table() {
    static auto* table = new WindowTableData;
    return *table;
}

// Never null, never (HWND)-1, never a small constant such as HWND_BROADCAST.
HWND Encode(std::uint32_t index, std::uint32_t generation) {
    return reinterpret_cast<HWND>(EncodeSlotHandle(index, generation));
}

// The live slot a handle names, or null. Call with the table's lock held.
WindowSlot* Find(WindowTableData& table, HWND hwnd) {
    const auto handle = DecodeSlotHandle(hwnd);
    if (!handle || handle->index >= table.slots.size())
        return nullptr;
    WindowSlot& slot = table.slots[handle->index];
    if (!slot.alive || slot.generation != handle->generation)
        return nullptr;
    return &slot;
}

void FreeSlot(WindowTableData& table, WindowSlot& slot) {
    slot.alive = false;
    slot.destroying = false;
    slot.proc = nullptr;
    slot.context = nullptr;
    slot.queue.reset();
    if (++slot.generation == 0)
        slot.generation = 1;
    table.freeSlots.push_back(static_cast<std::uint32_t>(&slot - table.slots.data()));
}

} // namespace

bool LookupWindow(HWND hwnd, WindowInfo& info) {
    auto& table = Table();
    std::shared_lock lock(table.mutex);
    const WindowSlot* slot = Find(table, hwnd);
    if (!slot)
        return false;
    info.proc = slot->proc;
    info.context = slot->context;
    info.ownerThreadId = slot->ownerThreadId;
    info.queue = slot->queue;
    return true;
}

bool CallWindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    WindowInfo info;
    if (!LookupWindow(hwnd, info) || info.ownerThreadId != GetCurrentThreadId())
        return false;
    result = info.proc ? info.proc(hwnd, msg, wParam, lParam)
                       : DefWindowProcW(hwnd, msg, wParam, lParam);
    return true;
}

void InvalidateThreadWindows(DWORD threadId) {
    auto& table = Table();
    std::unique_lock lock(table.mutex);
    for (WindowSlot& slot : table.slots) {
        if (slot.alive && slot.ownerThreadId == threadId)
            FreeSlot(table, slot);
    }
}

HWND CreateWindowHandle(WNDPROC proc, void* context) {
    // A window gives its thread a queue, as on Windows.
    auto queue = CallingThreadQueue(true);
    if (queue->IsClosed()) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return nullptr;
    }
    auto& table = Table();
    std::unique_lock lock(table.mutex);
    const auto allocated = AllocateSlot(table.slots, table.freeSlots);
    if (!allocated) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const std::uint32_t index = *allocated;
    WindowSlot& slot = table.slots[index];
    slot.alive = true;
    slot.proc = proc;
    slot.context = context;
    slot.ownerThreadId = queue->ThreadId();
    slot.queue = std::move(queue);
    return Encode(index, slot.generation);
}

void* GetWindowContext(HWND hwnd) {
    WindowInfo info;
    return LookupWindow(hwnd, info) ? info.context : nullptr;
}

BOOL SetWindowContext(HWND hwnd, void* context) {
    auto& table = Table();
    std::unique_lock lock(table.mutex);
    WindowSlot* slot = Find(table, hwnd);
    if (!slot) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    slot->context = context;
    return TRUE;
}

WNDPROC SetWindowProcedure(HWND hwnd, WNDPROC proc) {
    auto& table = Table();
    std::unique_lock lock(table.mutex);
    WindowSlot* slot = Find(table, hwnd);
    if (!slot) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    WNDPROC previous = slot->proc;
    slot->proc = proc;
    return previous;
}

} // namespace zx

BOOL DestroyWindow(HWND hWnd) {
    auto& table = zx::Table();
    std::shared_ptr<zx::MessageQueue> queue;
    {
        std::unique_lock lock(table.mutex);
        zx::WindowSlot* slot = zx::Find(table, hWnd);
        if (!slot) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (slot->ownerThreadId != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        // Destroying again from inside WM_DESTROY is a no-op.
        if (slot->destroying)
            return TRUE;
        slot->destroying = true;
        queue = slot->queue;
    }
    queue->KillWindowTimers(hWnd);
    // The window stays valid while its procedure hears of its end.
    LRESULT ignored;
    zx::CallWindowProcedure(hWnd, WM_DESTROY, 0, 0, ignored);
    zx::CallWindowProcedure(hWnd, WM_NCDESTROY, 0, 0, ignored);
    {
        std::unique_lock lock(table.mutex);
        if (zx::WindowSlot* slot = zx::Find(table, hWnd))
            zx::FreeSlot(table, *slot);
    }
    // Messages still queued for it are dropped when they come up; posts to it
    // fail from now on.
    return TRUE;
}

BOOL IsWindow(HWND hWnd) {
    zx::WindowInfo info;
    return zx::LookupWindow(hWnd, info) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* processId) {
    zx::WindowInfo info;
    if (!zx::LookupWindow(hWnd, info)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (processId)
        *processId = GetCurrentProcessId();
    return info.ownerThreadId;
}

LRESULT DefWindowProcW(HWND hWnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_CLOSE)
        DestroyWindow(hWnd);
    return 0;
}

UINT RegisterWindowMessageW(const wchar_t* name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring key(name);
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));

    // Never destroyed, like the other tables.
    static auto* mutex = new std::mutex;
    static auto* ids = new std::map<std::wstring, UINT>;
    std::lock_guard lock(*mutex);
    if (auto it = ids->find(key); it != ids->end())
        return it->second;
    const UINT id = 0xC000u + static_cast<UINT>(ids->size());
    if (id > 0xFFFFu) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    ids->emplace(std::move(key), id);
    return id;
}
