#pragma once
// The per-thread message queue behind the message calls (internal to the
// platform layer). Anyone may post to a queue; only its owner thread takes
// messages out of it.

#include "platform/Messages.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace zx {

class MessageQueue;

// A SendMessageW from another thread, waiting in the owner's queue.
struct SentMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::shared_ptr<MessageQueue> sender;
    // Guarded by the sender queue's lock.
    LRESULT result = 0;
    bool done = false;
    bool delivered = false; // false: the window or its thread was gone
};

// Wakes the owner thread's event loop (the Qt GUI thread's) when work
// arrives. Wake is called with the queue's lock held.
class QueueWaker {
public:
    virtual void Wake() = 0;

protected:
    ~QueueWaker() = default;
};

class MessageQueue {
public:
    using Clock = std::chrono::steady_clock;

    explicit MessageQueue(DWORD threadId) : m_threadId(threadId) {}
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    DWORD ThreadId() const { return m_threadId; }

    // Any thread. All fail once the queue is closed.
    bool Post(const MSG& msg);
    bool PostQuit(int exitCode);
    bool Send(const std::shared_ptr<SentMessage>& sent);
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    void KillWindowTimers(HWND hwnd);
    bool IsTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc);
    // The owner thread ended or was abandoned: later posts fail and waiting
    // senders get their answer (0) at once.
    void Close();
    bool IsClosed();
    // Posts and sends fail from now on; queued messages stay peekable.
    void Refuse();

    // Owner thread only.
    bool Peek(MSG& msg, HWND filter, UINT first, UINT last, bool remove);
    int Get(MSG& msg, HWND filter, UINT first, UINT last);
    void ProcessSentMessages();
    // Serves messages sent to this thread until `sent` (sent by this thread
    // to another) has its answer.
    void WaitForReply(const SentMessage& sent);

    // The event-loop drain, on the owner thread: BeginDrain when the wake-up
    // event arrived (it is no longer pending), then TakeForDrain until it
    // finds nothing. Takes posted messages, then due timers; never the quit
    // request, which is left to explicit pumps.
    void BeginDrain();
    // `takeQuit`: the quit request too, for a modal loop to end on.
    bool TakeForDrain(MSG& msg, bool takeQuit);
    // A drain stopped at a quit request that is still queued: another drain
    // runs when a loop outside may want it.
    void WakeIfQuitPending();
    std::optional<Clock::time_point> NextTimerDue();

    // Wake-ups are created under the queue's lock by the posting thread.
    // Taking that lock before touching one orders the owner after the poster,
    // also for race checkers that cannot see Qt's own hand-over of events.
    void SynchroniseWithPosters() { std::lock_guard lock(m_mutex); }

    // Looks for up to kSpinBeforeSleep for something to drain; whether there is.
    bool AwaitWorkBriefly();

    // Owner thread, for MsgWaitForMultipleObjects: whether input of the QS_
    // kinds in `wakeMask` is queued that arrived since the owner last looked
    // at the queue (any such input with `anyInput`). Moves `recheckAt`
    // earlier to when the next timer falls due.
    bool HasInput(DWORD wakeMask, bool anyInput, Clock::time_point& recheckAt);

    void SetWaker(QueueWaker* waker);
    void ClearWaker(QueueWaker* waker);
    bool HasWaker();

private:
    struct Timer {
        HWND hwnd;
        UINT_PTR id;
        UINT interval;
        TIMERPROC proc;
        Clock::time_point due;
    };

    void NotifyLocked();
    // The owner looked at the queue: what is queued now is no longer new.
    void MarkLookedLocked(Clock::time_point now);
    bool FindLocked(MSG& msg, HWND filter, UINT first, UINT last, bool remove, bool quit,
                    Clock::time_point now);
    bool DrainableLocked(Clock::time_point now) const;
    std::optional<Clock::time_point> NextTimerDueLocked() const;
    static void Complete(SentMessage& sent, LRESULT result, bool delivered);

    const DWORD m_threadId;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    int m_waiting = 0;
    bool m_closed = false;
    bool m_refusing = false;
    std::deque<MSG> m_posted;
    std::deque<std::shared_ptr<SentMessage>> m_sent;
    bool m_quit = false;
    int m_quitCode = 0;
    std::vector<Timer> m_timers;
    QueueWaker* m_waker = nullptr;
    bool m_wakePending = false;
    // Arrivals are numbered, so that a wait for messages knows what is new.
    unsigned long long m_arrivals = 0;
    unsigned long long m_lastPostArrival = 0;
    unsigned long long m_arrivalsLooked = 0;
    Clock::time_point m_lookedAt{};
};

// The calling thread's queue, created on first use when `create` is set.
std::shared_ptr<MessageQueue> CallingThreadQueue(bool create);
// Null when the thread has no (open) queue.
std::shared_ptr<MessageQueue> FindThreadQueue(DWORD threadId);
// The calling thread is ending: its queue closes and its windows become invalid.
void ReleaseCallingThreadQueue();
// The same for another thread, which was abandoned.
void ReleaseThreadQueue(DWORD threadId);

} // namespace zx
