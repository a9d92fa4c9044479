#include "platform/Sync.h"

#include "platform/KernelObjects.h"
#include "platform/LastError.h"
#include "platform/Threads.h"
#include "platform/WaitHelpers.h"

#include <condition_variable>
#include <mutex>

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
        // An auto-reset event lets exactly one waiter through per signal.
        if (!m_manualReset)
            m_signalled = false;
        return WAIT_OBJECT_0;
    }

    void Set() {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
        if (m_manualReset)
            m_cv.notify_all();
        else
            m_cv.notify_one();
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

} // namespace
} // namespace zx

HANDLE CreateEventW(void*, BOOL manualReset, BOOL initialState, const wchar_t*) {
    return zx::InsertKernelObject(
        std::make_shared<zx::EventObject>(manualReset != FALSE, initialState != FALSE));
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

BOOL CloseHandle(HANDLE handle) {
    if (handle == GetCurrentThread())
        return TRUE;
    if (!zx::CloseKernelObject(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
