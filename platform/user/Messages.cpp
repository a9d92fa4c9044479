#include "platform/Messages.h"

#include "platform/KernelObjects.h"
#include "platform/LastError.h"
#include "platform/MessageQueue.h"
#include "platform/Threads.h"
#include "platform/WindowTable.h"

#include <QBasicTimer>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <QTimerEvent>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace zx {
namespace {

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

// ---- Which thread has which queue ----------------------------------------

struct QueueRegistry {
    std::mutex mutex;
    std::unordered_map<DWORD, std::shared_ptr<MessageQueue>> queues;
};

// Never destroyed: abandoned threads may still post while the process exits.
QueueRegistry& Registry() {
    static auto* registry = new QueueRegistry;
    return *registry;
}

void Release(const std::shared_ptr<MessageQueue>& queue) {
    {
        std::lock_guard lock(Registry().mutex);
        auto it = Registry().queues.find(queue->ThreadId());
        if (it != Registry().queues.end() && it->second == queue)
            Registry().queues.erase(it);
    }
    queue->Close();
    InvalidateThreadWindows(queue->ThreadId());
}

// Closes the queue of a thread that ends without going through CreateThread's
// routine (the main thread, threads started by other means).
struct CallingThreadState {
    std::shared_ptr<MessageQueue> queue;
    ~CallingThreadState() {
        if (queue)
            Release(queue);
    }
};

thread_local CallingThreadState t_state;
// -1 not known yet, else whether this is the Qt GUI thread.
thread_local int t_isGuiThread = -1;

bool IsGuiThread() {
    if (t_isGuiThread < 0) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return false; // not cached: the application may come later
        t_isGuiThread = app->thread() == QThread::currentThread() ? 1 : 0;
    }
    return t_isGuiThread == 1;
}

// ---- The Qt event loop drains the GUI thread's queue -----------------------

QEvent::Type WakeEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Messages delivered per wake-up before Qt gets its turn again (painting,
// input, its own timers); the rest follow with the next wake-up.
constexpr int kDrainBudget = 512;

struct HookHolder {
    std::mutex mutex;
    std::function<bool(MSG&)> hook;
};

HookHolder& Hook() {
    static auto* holder = new HookHolder;
    return *holder;
}

std::atomic<bool (*)(MSG*)> g_preTranslate{nullptr};

// The modal loops running on this thread, innermost last.
thread_local std::vector<ModalLoopScope*> t_modalLoops;

// The innermost modal loop, unless it is already ending.
ModalLoopScope* ModalLoopAwaitingQuit() {
    if (t_modalLoops.empty() || t_modalLoops.back()->ending)
        return nullptr;
    return t_modalLoops.back();
}

void Deliver(MSG& msg) {
    if (msg.hwnd || (msg.message == WM_TIMER && msg.lParam)) {
        // As a message pump does: the window and its parents may take the
        // message first.
        if (auto preTranslate = g_preTranslate.load(std::memory_order_acquire);
            msg.hwnd && preTranslate && preTranslate(&msg))
            return;
        DispatchMessageW(&msg);
        return;
    }
    std::function<bool(MSG&)> hook;
    {
        std::lock_guard lock(Hook().mutex);
        hook = Hook().hook;
    }
    if (hook)
        hook(msg);
}

// Lives on the GUI thread as a child of the application. One wake-up event is
// pending at a time however many messages arrive; a drain takes the messages
// one by one, so a procedure that pumps or runs a nested event loop while
// being dispatched simply continues with the next message in order.
class GuiPump final : public QObject, public QueueWaker {
public:
    explicit GuiPump(std::shared_ptr<MessageQueue> queue)
        : QObject(QCoreApplication::instance()), m_queue(std::move(queue)) {
        m_queue->SetWaker(this);
    }
    ~GuiPump() override { m_queue->ClearWaker(this); }

    void Wake() override { QCoreApplication::postEvent(this, new QEvent(WakeEventType())); }

protected:
    bool event(QEvent* event) override {
        m_queue->SynchroniseWithPosters();
        if (event->type() == WakeEventType()) {
            Drain(true);
            return true;
        }
        return QObject::event(event);
    }

    void timerEvent(QTimerEvent* event) override {
        if (event->timerId() == m_timer.timerId()) {
            m_timer.stop();
            Drain(false);
            return;
        }
        QObject::timerEvent(event);
    }

private:
    // `woken`: run by the wake-up event, which is no longer pending. A drain
    // for a due timer leaves a pending wake-up pending, so that there is
    // never more than one.
    void Drain(bool woken) {
        if (woken)
            m_queue->BeginDrain();
        bool delivered = false;
        for (int budget = kDrainBudget; budget > 0; --budget) {
            m_queue->ProcessSentMessages();
            MSG msg;
            // The messages delivered have often sent requests whose answers
            // come back within microseconds, while a trip through the event
            // loop, let alone waking it from its sleep, costs tens of them:
            // what arrives within a short look is taken in this drain.
            ModalLoopScope* modal = ModalLoopAwaitingQuit();
            const bool takeQuit = modal != nullptr;
            if (!m_queue->TakeForDrain(msg, takeQuit) &&
                !(delivered && m_queue->AwaitWorkBriefly() && m_queue->TakeForDrain(msg, takeQuit)))
                break;
            if (msg.message == WM_QUIT) {
                // Never a window's message: it stays queued as the quit
                // request, for the modal loop it ends and the loops outside.
                m_queue->PostQuit(static_cast<int>(msg.wParam));
                if (!modal)
                    continue;
                modal->ending = true;
                modal->end();
                break;
            }
            delivered = true;
            Deliver(msg);
        }
        ArmTimer();
    }

    // Wakes the drain when the next timer is due.
    void ArmTimer() {
        const auto due = m_queue->NextTimerDue();
        if (!due) {
            m_timer.stop();
            return;
        }
        const auto left = *due - MessageQueue::Clock::now();
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        m_timer.start(static_cast<int>(std::clamp<long long>(ms, 0, 0x7FFFFFFF)), Qt::PreciseTimer,
                      this);
    }

    std::shared_ptr<MessageQueue> m_queue;
    QBasicTimer m_timer;
};

// MsgWaitForMultipleObjects looks at the calling thread's queue through this;
// like GetMessageW, it gives the thread a queue if it had none.
bool HasQueuedInput(DWORD wakeMask, bool anyInput, MessageQueue::Clock::time_point& recheckAt) {
    return CallingThreadQueue(true)->HasInput(wakeMask, anyInput, recheckAt);
}

[[maybe_unused]] const bool g_messageWaitRegistered = (SetMessageWaitHook(&HasQueuedInput), true);

void ReleaseQueueOfEndedThread(DWORD threadId, bool callingThread) {
    if (callingThread)
        ReleaseCallingThreadQueue();
    else
        ReleaseThreadQueue(threadId);
}

} // namespace

std::shared_ptr<MessageQueue> CallingThreadQueue(bool create) {
    auto& queue = t_state.queue;
    if (!queue) {
        if (!create)
            return nullptr;
        // A thread that never had a queue leaves nothing to free when it ends.
        SetThreadExitHook(&ReleaseQueueOfEndedThread);
        queue = std::make_shared<MessageQueue>(GetCurrentThreadId());
        std::lock_guard lock(Registry().mutex);
        Registry().queues[queue->ThreadId()] = queue;
    }
    // The pump is attached as soon as both the GUI thread's queue and the
    // application exist, in whichever order they come.
    if (IsGuiThread() && !queue->HasWaker() && !queue->IsClosed() && QCoreApplication::instance())
        new GuiPump(queue);
    return queue;
}

std::shared_ptr<MessageQueue> FindThreadQueue(DWORD threadId) {
    std::lock_guard lock(Registry().mutex);
    auto it = Registry().queues.find(threadId);
    return it != Registry().queues.end() ? it->second : nullptr;
}

void ReleaseCallingThreadQueue() {
    if (t_state.queue)
        Release(t_state.queue);
}

void ReleaseThreadQueue(DWORD threadId) {
    if (auto queue = FindThreadQueue(threadId))
        Release(queue);
    else
        InvalidateThreadWindows(threadId);
}

ModalLoopScope::ModalLoopScope(std::function<void()> endLoop) : end(std::move(endLoop)) {
    t_modalLoops.push_back(this);
}

ModalLoopScope::~ModalLoopScope() {
    std::erase(t_modalLoops, this);
    // A quit that ended this loop now ends the one outside it.
    if (!t_modalLoops.empty())
        if (auto queue = CallingThreadQueue(false))
            queue->WakeIfQuitPending();
}

void RefuseThreadMessages() {
    CallingThreadQueue(true)->Refuse();
}

void SetThreadMessageHook(std::function<bool(MSG&)> hook) {
    std::lock_guard lock(Hook().mutex);
    Hook().hook = std::move(hook);
}

void SetPreTranslateHook(bool (*hook)(MSG*)) {
    g_preTranslate.store(hook, std::memory_order_release);
}

} // namespace zx

namespace {

// A window filter names a window of the calling thread (or is null or -1).
bool ValidFilter(HWND hWnd) {
    if (!hWnd || hWnd == zx::kThreadMessagesOnly)
        return true;
    zx::WindowInfo info;
    return zx::LookupWindow(hWnd, info) && info.ownerThreadId == GetCurrentThreadId();
}

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return MSG{hwnd, message, wParam, lParam, GetTickCount(), POINT{0, 0}};
}

} // namespace

BOOL PeekMessageW(MSG* msg, HWND hWnd, UINT msgFilterMin, UINT msgFilterMax, UINT removeMsg) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ValidFilter(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    auto queue = zx::CallingThreadQueue(true);
    return queue->Peek(*msg, hWnd, msgFilterMin, msgFilterMax, (removeMsg & PM_REMOVE) != 0);
}

BOOL GetMessageW(MSG* msg, HWND hWnd, UINT msgFilterMin, UINT msgFilterMax) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!ValidFilter(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    auto queue = zx::CallingThreadQueue(true);
    return queue->Get(*msg, hWnd, msgFilterMin, msgFilterMax);
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        // Only a procedure registered with SetTimer is called: lParam may have
        // been posted by anyone.
        const auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        std::shared_ptr<zx::MessageQueue> queue;
        zx::WindowInfo info;
        if (!msg->hwnd)
            queue = zx::CallingThreadQueue(false);
        else if (zx::LookupWindow(msg->hwnd, info) && info.ownerThreadId == GetCurrentThreadId())
            queue = info.queue;
        if (queue && queue->IsTimerProc(msg->hwnd, msg->wParam, proc)) {
            proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
            return 0;
        }
    }
    if (!msg->hwnd)
        return 0;
    LRESULT result = 0;
    if (!zx::CallWindowProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam, result)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return result;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto queue = zx::FindThreadQueue(threadId);
    if (!queue || !queue->Post(MakeMessage(nullptr, msg, wParam, lParam))) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return TRUE;
}

BOOL PostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!hWnd)
        return PostThreadMessageW(GetCurrentThreadId(), msg, wParam, lParam);
    zx::WindowInfo info;
    if (!zx::LookupWindow(hWnd, info) ||
        !info.queue->Post(MakeMessage(hWnd, msg, wParam, lParam))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

LRESULT SendMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    zx::WindowInfo info;
    if (!zx::LookupWindow(hWnd, info)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LRESULT result = 0;
    if (info.ownerThreadId == GetCurrentThreadId()) {
        if (!zx::CallWindowProcedure(hWnd, msg, wParam, lParam, result))
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return result;
    }
    auto self = zx::CallingThreadQueue(true);
    auto sent = std::make_shared<zx::SentMessage>();
    sent->hwnd = hWnd;
    sent->message = msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = self;
    if (!info.queue->Send(sent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    self->WaitForReply(*sent);
    if (!sent->delivered)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return sent->result;
}

void PostQuitMessage(int exitCode) {
    zx::CallingThreadQueue(true)->PostQuit(exitCode);
}
