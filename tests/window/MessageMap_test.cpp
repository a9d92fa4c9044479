#include "platform/Wnd.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

const UINT g_uPing = RegisterWindowMessageW(L"ZX_WINDOW_TEST_PING");

class CBaseWnd : public CWnd {
public:
    std::vector<UINT> m_calls;
    std::vector<UINT_PTR> m_timers;
    int m_nDestroy = 0;
    int m_nPostNcDestroy = 0;
    UINT m_notifyCode = 0;

protected:
    afx_msg LRESULT OnOne(WPARAM wParam, LPARAM lParam) {
        m_calls.push_back(1);
        return static_cast<LRESULT>(wParam + static_cast<WPARAM>(lParam));
    }
    afx_msg LRESULT OnPing(WPARAM, LPARAM) {
        m_calls.push_back(100);
        return 7;
    }
    afx_msg void OnTimer(UINT_PTR nIDEvent) {
        m_timers.push_back(nIDEvent);
        KillTimer(nIDEvent);
    }
    afx_msg void OnDestroy() {
        ++m_nDestroy;
        CWnd::OnDestroy();
    }
    afx_msg void OnApply() { m_calls.push_back(50); }
    afx_msg void OnItemNotify(NMHDR* header, LRESULT* result) {
        m_notifyCode = header->code;
        *result = 9;
    }
    void PostNcDestroy() override { ++m_nPostNcDestroy; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_MESSAGE(WM_USER + 1, &CBaseWnd::OnOne)
ON_MESSAGE(WM_USER + 3, &CBaseWnd::OnOne)
ON_REGISTERED_MESSAGE(g_uPing, &CBaseWnd::OnPing)
ON_WM_TIMER()
ON_WM_DESTROY()
ON_COMMAND(1234, &CBaseWnd::OnApply)
ON_NOTIFY(TCN_SELCHANGE, 77, &CBaseWnd::OnItemNotify)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
protected:
    // Replaces the base class's entry for the same message.
    afx_msg LRESULT OnOneAgain(WPARAM, LPARAM) {
        m_calls.push_back(2);
        return -5;
    }
    afx_msg LRESULT OnTwo(WPARAM, LPARAM) {
        m_calls.push_back(22);
        return 22;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
ON_MESSAGE(WM_USER + 1, &CDerivedWnd::OnOneAgain)
ON_MESSAGE(WM_USER + 2, &CDerivedWnd::OnTwo)
END_MESSAGE_MAP()

// Runs the Qt event loop until `done` holds; the bound ends the wait if
// nothing comes, so that a fault fails instead of hanging.
void RunLoopUntil(const std::function<bool()>& done) {
    for (QDeadlineTimer limit(5000); !done() && !limit.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

class CFilterWnd : public CWnd {
public:
    std::vector<MSG> m_seen;
    bool m_take = true;
    BOOL PreTranslateMessage(MSG* pMsg) override {
        m_seen.push_back(*pMsg);
        return m_take ? TRUE : FALSE;
    }
};

} // namespace

TEST(MessageMap, LookupWalksTheBaseClassChain) {
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, L"Test", L"Test", WS_POPUP, CRect(0, 0, 100, 80), nullptr, 0));
    EXPECT_EQ(wnd.SendMessageW(WM_USER + 1, 3, 4), -5); // the derived entry wins
    EXPECT_EQ(wnd.SendMessageW(WM_USER + 2), 22);
    EXPECT_EQ(wnd.SendMessageW(WM_USER + 3, 3, 4), 7); // found in the base
    EXPECT_EQ(wnd.SendMessageW(g_uPing), 7);
    EXPECT_EQ(wnd.SendMessageW(WM_USER + 9), 0); // nobody's: the default answer
    EXPECT_EQ(wnd.m_calls, (std::vector<UINT>{2, 22, 1, 100}));

    // A different registered message does not reach the ping handler.
    const UINT other = RegisterWindowMessageW(L"ZX_WINDOW_TEST_OTHER");
    ASSERT_NE(other, g_uPing);
    EXPECT_EQ(wnd.SendMessageW(other), 0);
    EXPECT_EQ(RegisterWindowMessageW(L"zx_window_test_ping"), g_uPing);

    // Commands: ON_COMMAND also takes a button's click; other codes do not.
    wnd.SendMessageW(WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0);
    wnd.SendMessageW(WM_COMMAND, MAKEWPARAM(1234, EN_CHANGE), 0);
    EXPECT_EQ(wnd.m_calls.back(), 50u);
    EXPECT_EQ(std::count(wnd.m_calls.begin(), wnd.m_calls.end(), 50u), 1);

    NMHDR header{wnd.GetSafeHwnd(), 77, TCN_SELCHANGE};
    EXPECT_EQ(wnd.SendMessageW(WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&header)), 9);
    EXPECT_EQ(wnd.m_notifyCode, static_cast<UINT>(-551));
    NMHDR otherId{wnd.GetSafeHwnd(), 78, TCN_SELCHANGE};
    EXPECT_EQ(wnd.SendMessageW(WM_NOTIFY, 78, reinterpret_cast<LPARAM>(&otherId)), 0);
}

TEST(MessageMap, DestroyAndPreTranslate) {
    CFilterWnd outer;
    ASSERT_TRUE(outer.CreateEx(0, L"Outer", L"Outer", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100),
                               nullptr, 0));
    auto* inner = new CDerivedWnd;
    ASSERT_TRUE(
        inner->Create(L"Inner", L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 40), &outer, 5));
    EXPECT_EQ(inner->GetParent(), &outer);
    EXPECT_EQ(inner->GetDlgCtrlID(), 5);
    EXPECT_EQ(outer.GetDlgItem(5), inner);
    wchar_t cls[32];
    GetClassNameW(inner->GetSafeHwnd(), cls, 32);
    EXPECT_STREQ(cls, L"Inner");

    // A key pressed in the inner window is offered to the outer one's
    // PreTranslateMessage (the inner one has none of its own).
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(inner->GetWidget(), &press);
    ASSERT_EQ(outer.m_seen.size(), 1u);
    EXPECT_EQ(outer.m_seen[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(outer.m_seen[0].wParam, static_cast<WPARAM>(VK_ESCAPE));
    EXPECT_EQ(outer.m_seen[0].hwnd, inner->GetSafeHwnd());

    // So is a message posted to the inner window and drained by the Qt event
    // loop; taken there, it never reaches the inner window's map.
    ASSERT_TRUE(inner->PostMessageW(g_uPing));
    RunLoopUntil([&] { return outer.m_seen.size() >= 2; });
    ASSERT_EQ(outer.m_seen.size(), 2u);
    EXPECT_EQ(outer.m_seen[1].message, g_uPing);
    EXPECT_TRUE(inner->m_calls.empty());
    outer.m_take = false;
    ASSERT_TRUE(inner->PostMessageW(g_uPing));
    RunLoopUntil([&] { return !inner->m_calls.empty(); });
    EXPECT_EQ(inner->m_calls, (std::vector<UINT>{100}));

    HWND hInner = inner->GetSafeHwnd();
    ASSERT_TRUE(outer.DestroyWindow());
    EXPECT_FALSE(IsWindow(hInner));
    EXPECT_EQ(inner->GetSafeHwnd(), nullptr);
    EXPECT_EQ(inner->m_nDestroy, 1);
    EXPECT_EQ(inner->m_nPostNcDestroy, 1);
    delete inner;
}

TEST(MessageMap, WindowCallsActOnTheWidget) {
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, L"Test", L"Title", WS_POPUP, CRect(0, 0, 120, 90), nullptr, 0));
    EXPECT_FALSE(wnd.IsWindowVisible());
    wnd.ShowWindow(SW_SHOW);
    EXPECT_TRUE(wnd.IsWindowVisible());
    EXPECT_TRUE(wnd.GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(wnd.ModifyStyle(WS_VISIBLE, 0));
    EXPECT_FALSE(wnd.IsWindowVisible());
    wnd.EnableWindow(FALSE);
    EXPECT_FALSE(wnd.IsWindowEnabled());
    EXPECT_TRUE(wnd.GetStyle() & WS_DISABLED);
    wnd.EnableWindow(TRUE);
    EXPECT_TRUE(wnd.ModifyStyleEx(0, WS_EX_CONTROLPARENT));
    EXPECT_EQ(wnd.GetExStyle(), static_cast<DWORD>(WS_EX_CONTROLPARENT));
    EXPECT_FALSE(wnd.ModifyStyleEx(0, WS_EX_CONTROLPARENT)); // nothing changed

    CWnd child;
    ASSERT_TRUE(child.Create(L"Child", L"", WS_CHILD | WS_VISIBLE, CRect(5, 6, 25, 36), &wnd, 3));
    child.MoveWindow(10, 20, 30, 40);
    CRect rect;
    child.GetWindowRect(&rect);
    wnd.ScreenToClient(&rect);
    EXPECT_EQ(rect, CRect(10, 20, 40, 60));
    child.SetWindowPos(nullptr, 1, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    child.GetClientRect(&rect);
    EXPECT_EQ(rect, CRect(0, 0, 30, 40));
    CPoint p(0, 0);
    child.ClientToScreen(&p);
    wnd.ScreenToClient(&p);
    EXPECT_EQ(p, CPoint(1, 2));

    wnd.SetWindowTextW(L"New title");
    CString title;
    wnd.GetWindowTextW(title);
    EXPECT_EQ(title, L"New title");
    wchar_t small[4];
    EXPECT_EQ(wnd.GetWindowTextW(small, 4), 3);
    EXPECT_STREQ(small, L"New");
    EXPECT_EQ(wnd.GetWindowTextLengthW(), 9);
}

// Another thread's post, and a timer, reach the window's handlers on the
// window's thread through the queue.
TEST(MessageMap, TimersAndPostsFromAnotherThreadRunOnTheWindowThread) {
    struct CRecorder : CBaseWnd {
        std::thread::id m_handledOn;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == g_uPing)
                m_handledOn = std::this_thread::get_id();
            return CBaseWnd::WindowProc(message, wParam, lParam);
        }
    } wnd;
    ASSERT_TRUE(wnd.CreateEx(0, L"Test", L"Test", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    ASSERT_NE(wnd.SetTimer(7, 1), 0u);
    HWND hwnd = wnd.GetSafeHwnd();
    std::thread poster([hwnd] {
        for (int i = 0; i < 3; ++i)
            PostMessageW(hwnd, g_uPing, static_cast<WPARAM>(i), 0);
    });
    poster.join();
    RunLoopUntil([&] { return wnd.m_calls.size() >= 3 && !wnd.m_timers.empty(); });
    EXPECT_EQ(wnd.m_calls, (std::vector<UINT>{100, 100, 100}));
    EXPECT_EQ(wnd.m_timers, (std::vector<UINT_PTR>{7})); // killed in its handler
    EXPECT_EQ(wnd.m_handledOn, std::this_thread::get_id());
}

// A widget made outside the window layer becomes a window an object can
// subclass; the widget stays its maker's.
TEST(MessageMap, ForeignWidgetBecomesAWindow) {
    auto widget = std::make_unique<QWidget>();
    HWND hwnd = zx::CreateWindowForWidget(widget.get(), L"HostMain", WS_POPUP, 0, false);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(zx::CreateWindowForWidget(widget.get(), L"Again", WS_POPUP, 0, false), nullptr);
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandle(hwnd), &wnd);
    EXPECT_EQ(wnd.SendMessageW(WM_USER + 2), 22);
    wnd.SetWindowTextW(L"Host");
    EXPECT_EQ(widget->windowTitle(), QStringLiteral("Host"));
    ASSERT_TRUE(wnd.DestroyWindow());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(wnd.m_nPostNcDestroy, 1);
    EXPECT_EQ(zx::HandleFromWidget(widget.get()), nullptr); // unbound, not deleted
}

// The close box of a window without a handler of its own destroys it.
TEST(MessageMap, CloseDestroysAWindow) {
    CDerivedWnd wnd;
    ASSERT_TRUE(
        wnd.CreateEx(0, L"Test", L"Test", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0));
    HWND hwnd = wnd.GetSafeHwnd();
    wnd.GetWidget()->close();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(wnd.m_nDestroy, 1);
    EXPECT_EQ(wnd.m_nPostNcDestroy, 1);
}
