#include "platform/Sync.h"

#include "platform/KernelObjects.h"
#include "platform/LastError.h"
#include "platform/Threads.h"
#include "platform/WaitHelpers.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace zx {
namespace {

class EventObject final : public KernelObject {
public:
    EventObject(bool manualReset, bool signalled)
        : m_manualReset(manualReset), m_signalled(signalled) {}

    DWORD Wait(DWORD milliseconds) override {
        std::unique_lock lock(m_mutex);
        if (!WaitFor(m_cv, lock, milliseconds, [this] { return m_signalled; }))
            return WAIT_TIMEOUT;
        TakeSignalLocked();
        return WAIT_OBJECT_0;
    }

    std::mutex* StateLock() override { return &m_mutex; }
    bool SignalledLocked() const override { return m_signalled; }
    void TakeSignalLocked() override {
        // An auto-reset event lets exactly one waiter through per signal.
        if (!m_manualReset)
            m_signalled = false;
    }

    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
            if (m_manualReset)
                m_cv.notify_all();
            else
                m_cv.notify_one();
        }
        WakeObjectWaiters();
    }

    void Reset() {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    const bool m_manualReset;
    bool m_signalled;
};

// Windows' limit on object names (MAX_PATH).
constexpr size_t kMaximumNameLength = 260;

// The named events of the process. An entry lives as long as its event: a
// name whose last handle was closed names nothing any more.
struct EventNames {
    std::mutex mutex;
    std::map<std::wstring, std::weak_ptr<EventObject>> events;
};

EventNames& Names() {
    static auto* names = new EventNames;
    return *names;
}

bool ValidName(const wchar_t* name) {
    if (std::wcslen(name) <= kMaximumNameLength)
        return true;
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

// Every handle of a wait on several objects, resolved; false (with the last
// error set) when the wait cannot be made.
bool ResolveAll(DWORD count, const HANDLE* handles,
                std::vector<std::shared_ptr<KernelObject>>& objects) {
    if (count > 0 && !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (handles[i] == GetCurrentThread()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        auto object = ReferenceKernelObject(handles[i]);
        if (!object || !object->StateLock()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        // One object twice, by the same handle or by two.
        if (std::find(objects.begin(), objects.end(), object) != objects.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        objects.push_back(std::move(object));
    }
    return true;
}

// Holds the state locks of several objects, always taken in one order so that
// two waits on overlapping sets cannot deadlock.
class StateLocks {
public:
    explicit StateLocks(const std::vector<std::shared_ptr<KernelObject>>& objects) {
        for (const auto& object : objects)
            m_locks.push_back(object->StateLock());
        std::sort(m_locks.begin(), m_locks.end(), std::less<>());
        for (std::mutex* lock : m_locks)
            lock->lock();
    }
    ~StateLocks() {
        for (auto it = m_locks.rbegin(); it != m_locks.rend(); ++it)
            (*it)->unlock();
    }
    StateLocks(const StateLocks&) = delete;
    StateLocks& operator=(const StateLocks&) = delete;

private:
    std::vector<std::mutex*> m_locks;
};

// One look at the objects: the index satisfied (for waitAll, 0 once all are
// signalled), taking the signals, or -1. `inputReady` is the queue's answer
// for a wait that includes messages; a wait for all needs it as well.
long TryObjects(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll,
                bool needInput, bool inputReady) {
    StateLocks locks(objects);
    if (waitAll) {
        if (needInput && !inputReady)
            return -1;
        if (!std::all_of(objects.begin(), objects.end(),
                         [](const auto& object) { return object->SignalledLocked(); }))
            return -1;
        for (const auto& object : objects)
            object->TakeSignalLocked();
        return 0;
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->SignalledLocked()) {
            objects[i]->TakeSignalLocked();
            return static_cast<long>(i);
        }
    }
    return -1;
}

struct WaitRequest {
    DWORD count = 0;
    const HANDLE* handles = nullptr;
    bool waitAll = false;
    DWORD milliseconds = 0;
    bool messages = false;
    DWORD wakeMask = 0;
    bool anyInput = false;
};

DWORD WaitForObjects(const WaitRequest& request) {
    using Clock = std::chrono::steady_clock;
    std::vector<std::shared_ptr<KernelObject>> objects;
    if (!ResolveAll(request.count, request.handles, objects))
        return WAIT_FAILED;
    const MessageWaitHook inputHook = request.messages ? GetMessageWaitHook() : nullptr;
    const bool needInput = inputHook != nullptr;

    // A wait that only the calling thread's own end could satisfy never ends.
    const bool selfInAll = std::any_of(objects.begin(), objects.end(), [](const auto& object) {
        return object->IsCallingThread();
    });
    const bool selfOnly =
        !needInput && std::all_of(objects.begin(), objects.end(),
                                  [](const auto& o) { return o->IsCallingThread(); });
    if (request.milliseconds == INFINITE &&
        ((request.waitAll && selfInAll) || (!request.waitAll && selfOnly) ||
         (objects.empty() && !needInput))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }

    const auto deadline = request.milliseconds == INFINITE
                              ? Clock::time_point::max()
                              : Clock::now() + std::chrono::milliseconds(request.milliseconds);
    ObjectWaitScope scope;
    for (;;) {
        const auto epoch = scope.Epoch();
        auto recheckAt = deadline;
        const bool inputReady =
            needInput && inputHook(request.wakeMask, request.anyInput, recheckAt);
        const long index = TryObjects(objects, request.waitAll, needInput, inputReady);
        if (index >= 0)
            return WAIT_OBJECT_0 + static_cast<DWORD>(index);
        if (inputReady && !request.waitAll)
            return WAIT_OBJECT_0 + request.count;
        if (Clock::now() >= deadline)
            return WAIT_TIMEOUT;
        scope.SleepUnless(epoch, recheckAt);
    }
}

} // namespace
} // namespace zx

HANDLE CreateEventW(void*, BOOL manualReset, BOOL initialState, const wchar_t* name) {
    auto make = [&] {
        return std::make_shared<zx::EventObject>(manualReset != FALSE, initialState != FALSE);
    };
    if (!name || !*name) {
        HANDLE handle = zx::InsertKernelObject(make());
        if (handle)
            SetLastError(ERROR_SUCCESS);
        return handle;
    }
    if (!zx::ValidName(name))
        return nullptr;
    // Declared before the lock: if this becomes the event's last reference,
    // the event dies after the lock is released.
    std::shared_ptr<zx::EventObject> event;
    auto& names = zx::Names();
    std::lock_guard lock(names.mutex);
    auto& entry = names.events[name];
    event = entry.lock();
    const bool existed = event != nullptr;
    if (!existed) {
        std::erase_if(names.events, [](const auto& named) { return named.second.expired(); });
        event = make();
        names.events[name] = event;
    }
    HANDLE handle = zx::InsertKernelObject(event);
    if (handle)
        SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

HANDLE OpenEventW(DWORD, BOOL, const wchar_t* name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!zx::ValidName(name))
        return nullptr;
    std::shared_ptr<zx::EventObject> event;
    auto& names = zx::Names();
    std::lock_guard lock(names.mutex);
    const auto it = names.events.find(name);
    if (it != names.events.end())
        event = it->second.lock();
    if (!event) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return zx::InsertKernelObject(event);
}

BOOL SetEvent(HANDLE event) {
    auto object = zx::ReferenceKernelObjectAs<zx::EventObject>(event);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event) {
    auto object = zx::ReferenceKernelObjectAs<zx::EventObject>(event);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->Reset();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    if (handle == GetCurrentThread()) {
        // A thread waiting for its own end would never wake.
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    auto object = zx::ReferenceKernelObject(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return zx::WaitForObjects({count, handles, waitAll != FALSE, milliseconds, false, 0, false});
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask) {
    return MsgWaitForMultipleObjectsEx(count, handles, milliseconds, wakeMask,
                                       waitAll ? MWMO_WAITALL : 0);
}

DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds,
                                  DWORD wakeMask, DWORD flags) {
    if (count > MAXIMUM_WAIT_OBJECTS - 1 ||
        (flags & ~(MWMO_WAITALL | MWMO_ALERTABLE | MWMO_INPUTAVAILABLE)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return zx::WaitForObjects({count, handles, (flags & MWMO_WAITALL) != 0, milliseconds, true,
                               wakeMask, (flags & MWMO_INPUTAVAILABLE) != 0});
}

BOOL CloseHandle(HANDLE handle) {
    if (handle == GetCurrentThread())
        return TRUE;
    if (!zx::CloseKernelObject(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
