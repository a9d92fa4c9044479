#include "platform/MessageQueue.h"

#include "platform/KernelObjects.h"
#include "platform/WaitHelpers.h"

#include "platform/Threads.h"
#include "platform/WindowTable.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace zx {

namespace {

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

// Windows' USER_TIMER_MINIMUM and USER_TIMER_MAXIMUM.
constexpr UINT kMinimumElapse = 10;
constexpr UINT kMaximumElapse = 0x7FFFFFFF;

std::atomic<UINT_PTR> g_lastThreadTimerId{0x7FFF0000};

UINT_PTR NewThreadTimerId() {
    UINT_PTR id;
    do {
        id = ++g_lastThreadTimerId;
    } while (id == 0);
    return id;
}

bool MatchesWindow(HWND filter, HWND hwnd) {
    if (!filter)
        return true;
    if (filter == kThreadMessagesOnly)
        return hwnd == nullptr;
    return hwnd == filter;
}

bool InRange(UINT first, UINT last, UINT message) {
    return (first == 0 && last == 0) || (first <= message && message <= last);
}

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return MSG{hwnd, message, wParam, lParam, GetTickCount(), POINT{0, 0}};
}

} // namespace

void MessageQueue::NotifyLocked() {
    ++m_arrivals;
    if (m_waiting > 0)
        m_cv.notify_one();
    if (m_waker && !m_wakePending) {
        m_wakePending = true;
        m_waker->Wake();
    }
    // Waits for objects and messages never hold a queue's lock while they
    // sleep, so waking them here cannot deadlock.
    WakeObjectWaiters();
}

void MessageQueue::MarkLookedLocked(Clock::time_point now) {
    m_arrivalsLooked = m_arrivals;
    m_lookedAt = now;
}

bool MessageQueue::HasInput(DWORD wakeMask, bool anyInput, Clock::time_point& recheckAt) {
    std::lock_guard lock(m_mutex);
    if (m_closed)
        return false;
    if ((wakeMask & QS_SENDMESSAGE) && !m_sent.empty())
        return true;
    if ((wakeMask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) && (!m_posted.empty() || m_quit) &&
        (anyInput || m_lastPostArrival > m_arrivalsLooked))
        return true;
    if (wakeMask & QS_TIMER) {
        const auto now = Clock::now();
        for (const Timer& timer : m_timers) {
            if (timer.due <= now && (anyInput || timer.due > m_lookedAt))
                return true;
            if (timer.due > now)
                recheckAt = std::min(recheckAt, timer.due);
        }
    }
    return false;
}

bool MessageQueue::Post(const MSG& msg) {
    std::lock_guard lock(m_mutex);
    if (m_closed || m_refusing)
        return false;
    m_posted.push_back(msg);
    NotifyLocked();
    m_lastPostArrival = m_arrivals;
    return true;
}

bool MessageQueue::PostQuit(int exitCode) {
    std::lock_guard lock(m_mutex);
    if (m_closed || m_refusing)
        return false;
    m_quit = true;
    m_quitCode = exitCode;
    NotifyLocked();
    m_lastPostArrival = m_arrivals;
    return true;
}

bool MessageQueue::Send(const std::shared_ptr<SentMessage>& sent) {
    std::lock_guard lock(m_mutex);
    if (m_closed || m_refusing)
        return false;
    m_sent.push_back(sent);
    NotifyLocked();
    return true;
}

UINT_PTR MessageQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    elapse = std::clamp(elapse, kMinimumElapse, kMaximumElapse);
    std::lock_guard lock(m_mutex);
    if (m_closed)
        return 0;
    auto timer = std::find_if(m_timers.begin(), m_timers.end(),
                              [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    // A thread timer is only replaced when its id is given; otherwise it is new.
    if (!hwnd && (id == 0 || timer == m_timers.end())) {
        id = NewThreadTimerId();
        timer = m_timers.end();
    }
    const auto due = Clock::now() + std::chrono::milliseconds(elapse);
    if (timer != m_timers.end()) {
        timer->interval = elapse;
        timer->proc = proc;
        timer->due = due;
    } else {
        m_timers.push_back(Timer{hwnd, id, elapse, proc, due});
    }
    NotifyLocked();
    // A window timer keeps the id it was given; 0 is valid but the call must
    // report success with a non-zero value.
    return id != 0 ? id : 1;
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id) {
    std::lock_guard lock(m_mutex);
    const auto before = m_timers.size();
    std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    return m_timers.size() != before;
}

void MessageQueue::KillWindowTimers(HWND hwnd) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd; });
}

bool MessageQueue::IsTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc) {
    if (!proc)
        return false;
    std::lock_guard lock(m_mutex);
    return std::any_of(m_timers.begin(), m_timers.end(), [&](const Timer& t) {
        return t.hwnd == hwnd && t.id == id && t.proc == proc;
    });
}

void MessageQueue::Close() {
    std::deque<std::shared_ptr<SentMessage>> orphans;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return;
        m_closed = true;
        orphans.swap(m_sent);
        m_timers.clear();
    }
    for (auto& sent : orphans)
        Complete(*sent, 0, false);
}

void MessageQueue::Refuse() {
    std::lock_guard lock(m_mutex);
    m_refusing = true;
}

bool MessageQueue::IsClosed() {
    std::lock_guard lock(m_mutex);
    return m_closed;
}

void MessageQueue::Complete(SentMessage& sent, LRESULT result, bool delivered) {
    {
        std::lock_guard lock(sent.sender->m_mutex);
        sent.result = result;
        sent.delivered = delivered;
        sent.done = true;
    }
    sent.sender->m_cv.notify_all();
}

bool MessageQueue::FindLocked(MSG& msg, HWND filter, UINT first, UINT last, bool remove, bool quit,
                              Clock::time_point now) {
    // Posted messages first, in order. WM_QUIT passes every filter, so that a
    // filtered loop still ends.
    for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
        if (it->message == WM_QUIT ||
            (MatchesWindow(filter, it->hwnd) && InRange(first, last, it->message))) {
            msg = *it;
            if (remove)
                m_posted.erase(it);
            return true;
        }
    }
    // Then the quit request, then timers: the lowest priorities, as on Windows.
    if (quit && m_quit) {
        msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(m_quitCode), 0);
        if (remove)
            m_quit = false;
        return true;
    }
    if (!InRange(first, last, WM_TIMER))
        return false;
    Timer* next = nullptr;
    for (Timer& timer : m_timers) {
        if (timer.due <= now && MatchesWindow(filter, timer.hwnd) &&
            (!next || timer.due < next->due))
            next = &timer;
    }
    if (!next)
        return false;
    msg = MakeMessage(next->hwnd, WM_TIMER, next->id, reinterpret_cast<LPARAM>(next->proc));
    // A timer has at most one WM_TIMER pending: the next is due only one
    // interval after this one was taken.
    if (remove)
        next->due = now + std::chrono::milliseconds(next->interval);
    return true;
}

bool MessageQueue::Peek(MSG& msg, HWND filter, UINT first, UINT last, bool remove) {
    ProcessSentMessages();
    std::lock_guard lock(m_mutex);
    if (m_closed)
        return false;
    const auto now = Clock::now();
    MarkLookedLocked(now);
    return FindLocked(msg, filter, first, last, remove, true, now);
}

int MessageQueue::Get(MSG& msg, HWND filter, UINT first, UINT last) {
    // Looks again for a short while before sleeping (see kSpinBeforeSleep).
    const auto spinEnd = Clock::now() + kSpinBeforeSleep;
    for (;;) {
        ProcessSentMessages();
        std::unique_lock lock(m_mutex);
        if (m_closed) {
            // Only an abandoned thread gets here: it counts as ended, so it
            // must not go on to run its caller's code.
            for (;;)
                m_cv.wait(lock);
        }
        if (!m_sent.empty())
            continue;
        const auto now = Clock::now();
        MarkLookedLocked(now);
        if (FindLocked(msg, filter, first, last, true, true, now))
            return msg.message == WM_QUIT ? 0 : 1;
        if (Clock::now() < spinEnd) {
            lock.unlock();
            std::this_thread::yield();
            continue;
        }
        const auto due = NextTimerDueLocked();
        ++m_waiting;
        if (due)
            m_cv.wait_until(lock, *due);
        else
            m_cv.wait(lock);
        --m_waiting;
    }
}

void MessageQueue::ProcessSentMessages() {
    for (;;) {
        std::shared_ptr<SentMessage> sent;
        {
            std::lock_guard lock(m_mutex);
            if (m_sent.empty())
                return;
            sent = std::move(m_sent.front());
            m_sent.pop_front();
        }
        LRESULT result = 0;
        const bool delivered =
            CallWindowProcedure(sent->hwnd, sent->message, sent->wParam, sent->lParam, result);
        Complete(*sent, result, delivered);
    }
}

void MessageQueue::WaitForReply(const SentMessage& sent) {
    for (;;) {
        ProcessSentMessages();
        std::unique_lock lock(m_mutex);
        if (sent.done)
            return;
        if (!m_sent.empty())
            continue;
        ++m_waiting;
        m_cv.wait(lock);
        --m_waiting;
    }
}

void MessageQueue::BeginDrain() {
    std::lock_guard lock(m_mutex);
    m_wakePending = false;
}

bool MessageQueue::DrainableLocked(Clock::time_point now) const {
    if (!m_posted.empty() || !m_sent.empty())
        return true;
    return std::any_of(m_timers.begin(), m_timers.end(),
                       [&](const Timer& t) { return t.due <= now; });
}

bool MessageQueue::TakeForDrain(MSG& msg, bool takeQuit) {
    std::lock_guard lock(m_mutex);
    if (m_closed)
        return false;
    const auto now = Clock::now();
    MarkLookedLocked(now);
    if (!FindLocked(msg, nullptr, 0, 0, true, takeQuit, now))
        return false;
    // The message about to be delivered may run a nested event loop; it must
    // find a wake-up waiting for the rest, or the rest would wait for the
    // next post.
    if (m_waker && !m_wakePending && DrainableLocked(now)) {
        m_wakePending = true;
        m_waker->Wake();
    }
    return true;
}

void MessageQueue::WakeIfQuitPending() {
    std::lock_guard lock(m_mutex);
    if (m_quit && m_waker && !m_wakePending) {
        m_wakePending = true;
        m_waker->Wake();
    }
}

std::optional<MessageQueue::Clock::time_point> MessageQueue::NextTimerDueLocked() const {
    std::optional<Clock::time_point> due;
    for (const Timer& timer : m_timers) {
        if (!due || timer.due < *due)
            due = timer.due;
    }
    return due;
}

std::optional<MessageQueue::Clock::time_point> MessageQueue::NextTimerDue() {
    std::lock_guard lock(m_mutex);
    return NextTimerDueLocked();
}

bool MessageQueue::AwaitWorkBriefly() {
    std::unique_lock lock(m_mutex);
    auto work = [this] { return !m_closed && DrainableLocked(Clock::now()); };
    return SpinFor(lock, INFINITE, work);
}

void MessageQueue::SetWaker(QueueWaker* waker) {
    std::lock_guard lock(m_mutex);
    m_waker = waker;
    m_wakePending = false;
    // Whatever arrived before the event loop was attached still needs a drain.
    if (m_waker && (DrainableLocked(Clock::now()) || !m_timers.empty())) {
        m_wakePending = true;
        m_waker->Wake();
    }
}

void MessageQueue::ClearWaker(QueueWaker* waker) {
    std::lock_guard lock(m_mutex);
    if (m_waker == waker) {
        m_waker = nullptr;
        m_wakePending = false;
    }
}

bool MessageQueue::HasWaker() {
    std::lock_guard lock(m_mutex);
    return m_waker != nullptr;
}

} // namespace zx
