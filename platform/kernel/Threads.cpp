#include "platform/Threads.h"

#include "platform/KernelObjects.h"
#include "platform/LastError.h"
#include "platform/WaitHelpers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace zx {
namespace {

class ThreadObject final : public KernelObject, public std::enable_shared_from_this<ThreadObject> {
public:
    DWORD Wait(DWORD milliseconds) override;
    std::mutex* StateLock() override { return &mutex; }
    bool SignalledLocked() const override { return ended; }
    bool IsCallingThread() const override;

    DWORD id = 0;
    LPTHREAD_START_ROUTINE entry = nullptr;
    void* parameter = nullptr;

    std::mutex mutex;
    std::condition_variable cv;
    DWORD suspendCount = 0;
    // A resume that found the thread running; see ResumeThread.
    bool pendingResume = false;
    bool ended = false;
    bool abandoned = false;
    DWORD exitCode = STILL_ACTIVE;
};

struct LiveThreads {
    std::mutex mutex;
    std::vector<ThreadObject*> threads;
};

// Never destroyed: abandoned threads may still finish while the process exits.
LiveThreads& Live() {
    static auto* live = new LiveThreads;
    return *live;
}

void AddLive(ThreadObject* thread) {
    std::lock_guard lock(Live().mutex);
    Live().threads.push_back(thread);
}

void RemoveLive(ThreadObject* thread) {
    std::lock_guard lock(Live().mutex);
    auto& threads = Live().threads;
    threads.erase(std::remove(threads.begin(), threads.end(), thread), threads.end());
}

std::atomic<DWORD> g_lastThreadId{0};
std::atomic<ThreadExitHook> g_exitHook{nullptr};

void RunExitHook(DWORD threadId, bool callingThread) {
    if (const ThreadExitHook hook = g_exitHook.load(std::memory_order_acquire))
        hook(threadId, callingThread);
}

DWORD NewThreadId() {
    DWORD id;
    do {
        id = g_lastThreadId.fetch_add(4) + 4;
    } while (id == 0);
    return id;
}

thread_local DWORD t_threadId = 0;
// The object of a thread created by CreateThread, while its routine runs.
thread_local ThreadObject* t_thread = nullptr;

const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2));

std::shared_ptr<ThreadObject> Resolve(HANDLE handle) {
    if (handle == kCurrentThread)
        return t_thread ? t_thread->shared_from_this() : nullptr;
    return ReferenceKernelObjectAs<ThreadObject>(handle);
}

bool ThreadObject::IsCallingThread() const {
    return id == t_threadId;
}

DWORD ThreadObject::Wait(DWORD milliseconds) {
    if (id == t_threadId && milliseconds == INFINITE) {
        // A thread waiting for its own end would never wake.
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::unique_lock lock(mutex);
    return WaitFor(cv, lock, milliseconds, [this] { return ended; }) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

void* ThreadMain(void* argument) {
    std::shared_ptr<ThreadObject> self;
    {
        std::unique_ptr<std::shared_ptr<ThreadObject>> holder(
            static_cast<std::shared_ptr<ThreadObject>*>(argument));
        self = std::move(*holder);
    }
    t_threadId = self->id;
    t_thread = self.get();

    bool run;
    {
        // CREATE_SUSPENDED: wait for the first ResumeThread. A thread abandoned
        // before it ever ran never runs its routine, as on Windows.
        std::unique_lock lock(self->mutex);
        self->cv.wait(lock, [&] { return self->suspendCount == 0 || self->abandoned; });
        run = !self->abandoned;
    }
    const DWORD code = run ? self->entry(self->parameter) : 0;

    // The routine's code is no longer running: its module may be unloaded as
    // soon as anyone learns that the thread ended.
    RemoveLive(self.get());
    // Posts to an ended thread fail, as soon as a wait for it returns.
    RunExitHook(self->id, true);
    {
        std::lock_guard lock(self->mutex);
        if (!self->ended) {
            self->exitCode = code;
            self->ended = true;
        }
    }
    self->cv.notify_all();
    WakeObjectWaiters();
    t_thread = nullptr;
    return nullptr;
}

} // namespace

void SetThreadExitHook(ThreadExitHook hook) {
    g_exitHook.store(hook, std::memory_order_release);
}

std::vector<void*> LiveThreadEntryPoints() {
    std::vector<void*> entries;
    std::lock_guard lock(Live().mutex);
    for (ThreadObject* thread : Live().threads)
        entries.push_back(reinterpret_cast<void*>(thread->entry));
    return entries;
}

} // namespace zx

HANDLE CreateThread(void*, size_t stackSize, LPTHREAD_START_ROUTINE startAddress, void* parameter,
                    DWORD creationFlags, DWORD* threadId) {
    if (!startAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<zx::ThreadObject>();
    thread->id = zx::NewThreadId();
    thread->entry = startAddress;
    thread->parameter = parameter;
    thread->suspendCount = (creationFlags & CREATE_SUSPENDED) ? 1 : 0;

    HANDLE handle = zx::InsertKernelObject(thread);
    if (!handle)
        return nullptr;

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0) {
        // Windows never gives a thread less than its default megabyte: plug-ins
        // that ask for a few kilobytes would otherwise overflow here.
        const size_t minimum = size_t{1} << 20;
        pthread_attr_setstacksize(&attributes, std::max(stackSize, minimum));
    }

    zx::AddLive(thread.get());
    auto* argument = new std::shared_ptr<zx::ThreadObject>(thread);
    pthread_t native;
    const int rc = pthread_create(&native, &attributes, zx::ThreadMain, argument);
    pthread_attr_destroy(&attributes);
    if (rc != 0) {
        delete argument;
        zx::RemoveLive(thread.get());
        zx::CloseKernelObject(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId)
        *threadId = thread->id;
    return handle;
}

DWORD SuspendThread(HANDLE handle) {
    auto thread = zx::Resolve(handle);
    if (!thread) {
        // Also the pseudo-handle of a thread not created by CreateThread:
        // nothing could ever resume it.
        SetLastError(handle == zx::kCurrentThread ? ERROR_NOT_SUPPORTED : ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    if (thread->id != GetCurrentThreadId()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return static_cast<DWORD>(-1);
    }
    std::unique_lock lock(thread->mutex);
    const DWORD previous = thread->suspendCount;
    if (thread->pendingResume) {
        thread->pendingResume = false;
        return previous;
    }
    ++thread->suspendCount;
    thread->cv.wait(lock, [&] { return thread->suspendCount == 0; });
    return previous;
}

DWORD ResumeThread(HANDLE handle) {
    auto thread = zx::Resolve(handle);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    std::unique_lock lock(thread->mutex);
    if (thread->ended)
        return 0;
    if (thread->suspendCount == 0) {
        // A worker stores its start-up verdict and then suspends itself; the
        // other side may see the verdict and resume it before the suspension
        // happened. Windows would lose that resume and leave the worker
        // suspended for ever, so the resume is kept for the thread's next
        // self-suspension, which then returns at once. A thread resuming
        // itself cannot be in that race and leaves nothing behind.
        if (thread->id != GetCurrentThreadId())
            thread->pendingResume = true;
        return 0;
    }
    const DWORD previous = thread->suspendCount--;
    if (thread->suspendCount == 0) {
        lock.unlock();
        thread->cv.notify_all();
    }
    return previous;
}

BOOL GetExitCodeThread(HANDLE handle, DWORD* exitCode) {
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (handle == zx::kCurrentThread) {
        *exitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto thread = zx::ReferenceKernelObjectAs<zx::ThreadObject>(handle);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(thread->mutex);
    *exitCode = thread->exitCode;
    return TRUE;
}

BOOL TerminateThread(HANDLE handle, DWORD exitCode) {
    auto thread = zx::Resolve(handle);
    if (!thread) {
        SetLastError(handle == zx::kCurrentThread ? ERROR_NOT_SUPPORTED : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (thread->id == GetCurrentThreadId()) {
        // A thread cannot abandon itself: it would go on running its caller.
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    {
        std::lock_guard lock(thread->mutex);
        if (thread->ended)
            return TRUE;
        // The real thread is left alone: stopping it mid-way could leave any
        // lock it holds locked for ever. A self-suspended thread stays
        // suspended, so it never again runs code of the module it belongs to.
        thread->abandoned = true;
        thread->ended = true;
        thread->exitCode = exitCode;
    }
    thread->cv.notify_all();
    zx::WakeObjectWaiters();
    // Like a terminated Windows thread it has no queue and no windows any more.
    zx::RunExitHook(thread->id, false);
    return TRUE;
}

DWORD GetCurrentThreadId() {
    if (zx::t_threadId == 0)
        zx::t_threadId = zx::NewThreadId();
    return zx::t_threadId;
}

HANDLE GetCurrentThread() {
    return zx::kCurrentThread;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD GetTickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
