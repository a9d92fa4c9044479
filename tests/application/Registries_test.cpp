// The page registries: the timer gate, pages that leave during a tick,
// duplicates, interrupt positions and the software-reset notice.

#include "AppHarness.h"

#include <gtest/gtest.h>

namespace {

using zxtest::AppFixture;
using zxtest::TestPage;

class Blocker : public TestPage {
public:
    using TestPage::TestPage;
    void Block(bool block) { m_bBlockTimer = block; }
};

TEST(PageRegistries, TimerGateOpensOnceWithoutCallingAndNeverCloses) {
    AppFixture gated;
    gated.app->OnTimer(1); // no timer pages: the gate opens, nothing to call
    EXPECT_TRUE(gated.app->m_bTimerPagesReady);
    gated.app->m_bTimerPagesReady = false;

    Blocker page(L"Blocker");
    page.Block(true);
    page.RegisterForTimer();
    page.RegisterForTimer(); // twice: two calls per tick
    gated.app->OnTimer(1);
    gated.app->OnTimer(1);
    EXPECT_FALSE(gated.app->m_bTimerPagesReady);
    page.Block(false);
    gated.app->OnTimer(1); // opens the gate, still calls nobody
    EXPECT_TRUE(gated.app->m_bTimerPagesReady);
    EXPECT_EQ(page.ticks, 0);
    gated.app->OnTimer(1);
    EXPECT_EQ(page.ticks, 2);
    page.Block(true);
    page.DeRegisterTimer(); // only the first entry goes
    gated.app->OnTimer(1);
    EXPECT_EQ(page.ticks, 3);
    EXPECT_TRUE(gated.log.Contains("Registering for timer(Blocker) - Total timer-pages = 2\n"));
    EXPECT_TRUE(gated.log.Contains("DeRegistering for timer(Blocker) - Total timer-pages = 1\n"));
}

TEST(PageRegistries, PagesLeavingDuringATickAreSafeAndSkipTheirSuccessor) {
    AppFixture fx;
    TestPage a(L"A"), b(L"B"), c(L"C");
    auto d = std::make_unique<TestPage>(L"D");
    for (TestPage* page : {&a, &b, &c, d.get()})
        page->RegisterForTimer();
    fx.app->OnTimer(1); // gate
    // A leaves by itself, so B moves into its place and misses this pass; C
    // destroys D, which leaves the registry with its object.
    a.onTimer = [&] { a.DeRegisterTimer(); };
    c.onTimer = [&] { d.reset(); };
    fx.app->OnTimer(1);
    EXPECT_EQ(a.ticks, 1);
    EXPECT_EQ(b.ticks, 0);
    EXPECT_EQ(c.ticks, 1);
    EXPECT_EQ(fx.app->m_uTimerPages, 2u);
    fx.app->OnTimer(1);
    EXPECT_EQ(b.ticks, 1);
    EXPECT_EQ(c.ticks, 2);
}

// The worker is suspended while the start opens it: a page must not be able
// to wait for it from a tick that the opening's message pump dispatches.
TEST(PageRegistries, NoPageTicksWhileTheStartOpensTheLink) {
    zxtest::TestPlatform platform;
    AppFixture fx;
    TestPage page(L"Ticker");
    page.RegisterForTimer();
    fx.app->OnTimer(1); // gate
    PostMessageW(fx.host.Handle(), WM_TIMER, 1, 0);
    ASSERT_TRUE(fx.StartOnSimBoard());
    EXPECT_EQ(page.ticks, 0);
    fx.app->OnTimer(1);
    EXPECT_EQ(page.ticks, 1);
}

TEST(PageRegistries, InterruptAndResetRegistrations) {
    AppFixture fx;
    TestPage page(L"Irq"), other(L"Other");
    EXPECT_EQ(page.RegisterForInterrupt(0, false), -1); // disabled, not forced
    EXPECT_EQ(page.RegisterForInterrupt(0, true), 0);
    page.EnablePage();
    EXPECT_EQ(page.RegisterForInterrupt(3, false), 1);
    EXPECT_EQ(fx.app->m_pInterruptPages[1].lParentInterrupt, 3);

    // A page in no registry leaves no line.
    const size_t lines = fx.log.Count("DeRegistering");
    fx.app->DeRegisterPage(&other);
    EXPECT_EQ(fx.log.Count("DeRegistering"), lines);
    fx.app->DeRegisterInterrupt(&page); // the first of its two entries
    EXPECT_EQ(fx.app->m_uInterruptPages, 1u);
    EXPECT_EQ(fx.app->m_pInterruptPages[0].lParentInterrupt, 3);

    struct ResetPage : TestPage {
        using TestPage::TestPage;
        void OnSoftwareReset(bool reset) override { resets.push_back(reset); }
        std::vector<bool> resets;
    } resetPage(L"Reset");
    fx.app->RegisterForSoftwareReset(&resetPage);
    fx.app->SoftwareResetNotify(true); // stopped: nobody hears it
    fx.app->m_bStarted = true;
    fx.app->SoftwareResetNotify(false);
    fx.app->m_bStarted = false;
    EXPECT_EQ(resetPage.resets, std::vector<bool>{false});

    // Destroying the application empties every registry, one line each.
    fx.app.reset();
    EXPECT_TRUE(fx.log.Contains("DeRegistering for interrupt(Irq) - Total interrupt-pages = 0\n"));
    EXPECT_TRUE(fx.log.Contains(
        "DeRegistering for SoftwareReset(Reset) - Total SoftwareReset-pages = 0\n"));
}

} // namespace
