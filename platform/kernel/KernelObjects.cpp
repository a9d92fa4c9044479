#include "platform/KernelObjects.h"

#include "platform/LastError.h"
#include "platform/SlotTable.h"

#include <atomic>
#include <condition_variable>
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

struct ObjectWaiters {
    std::mutex mutex;
    std::condition_variable cv;
    unsigned long long epoch = 0;
    // Lets a signal skip the lock when nobody waits on several objects.
    std::atomic<int> count{0};
};

// Never destroyed, like the table.
ObjectWaiters& Waiters() {
    static auto* waiters = new ObjectWaiters;
    return *waiters;
}

std::atomic<MessageWaitHook> g_messageWaitHook{nullptr};

} // namespace

void WakeObjectWaiters() {
    auto& waiters = Waiters();
    if (waiters.count.load() == 0)
        return;
    {
        std::lock_guard lock(waiters.mutex);
        ++waiters.epoch;
    }
    waiters.cv.notify_all();
}

ObjectWaitScope::ObjectWaitScope() {
    // Counted before the waiter first looks: a change it then misses comes
    // after this and wakes it.
    Waiters().count.fetch_add(1);
}

ObjectWaitScope::~ObjectWaitScope() {
    Waiters().count.fetch_sub(1);
}

unsigned long long ObjectWaitScope::Epoch() const {
    std::lock_guard lock(Waiters().mutex);
    return Waiters().epoch;
}

void ObjectWaitScope::SleepUnless(unsigned long long epoch,
                                  std::chrono::steady_clock::time_point deadline) {
    auto& waiters = Waiters();
    std::unique_lock lock(waiters.mutex);
    auto woken = [&] { return waiters.epoch != epoch; };
    if (deadline == std::chrono::steady_clock::time_point::max())
        waiters.cv.wait(lock, woken);
    else
        waiters.cv.wait_until(lock, deadline, woken);
}

void SetMessageWaitHook(MessageWaitHook hook) {
    g_messageWaitHook.store(hook, std::memory_order_release);
}

MessageWaitHook GetMessageWaitHook() {
    return g_messageWaitHook.load(std::memory_order_acquire);
}

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
