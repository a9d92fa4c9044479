// Call-back delivery and the interrupt road on the simulated board: poll,
// vector reads, servicing pages, write-back and re-enabling.

#include "AppHarness.h"

#include <gtest/gtest.h>

namespace {

using zxtest::AppFixture;
using zxtest::TestPage;
using zxtest::TestPlatform;

constexpr ULONG kAll = 0xFFFFFFFFu;
using Calls = std::vector<std::pair<ULONG, ULONG>>;

class InterruptRoad : public ::testing::Test {
protected:
    void SetUp() override {
        for (DWORD n = 0; n < 3; ++n)
            fx.app->AddParentInterrupt(1u << n, SIMBOARD_INTC_VECTOR(n));
        ASSERT_TRUE(fx.StartOnSimBoard());
        a.RegisterForInterrupt(0, true);
        b.RegisterForInterrupt(1, true);
        b.serviced = [](ULONG) { return 0; };
    }
    void Raise(DWORD parent, DWORD sources) {
        a.WriteMemoryAndWait(SIMBOARD_INTC_RAISE(parent), sources, kAll, 0, nullptr);
    }
    ULONG Vector(DWORD parent) {
        return a.ReadMemoryAndWait(SIMBOARD_INTC_VECTOR(parent), kAll, 0, nullptr);
    }
    bool Settled() {
        return fx.host.WaitFor([&] {
            return !fx.app->m_pPollMessage && fx.app->m_uMaskRequests == 0 &&
                   fx.app->m_pParentInterrupts[0].uPending == 0 &&
                   fx.app->m_pParentInterrupts[1].uPending == 0;
        });
    }

    TestPlatform platform;
    AppFixture fx;
    TestPage a{L"A"}, b{L"B"};
};

TEST_F(InterruptRoad, PendingParentsAreServicedByTheirOwnPagesAndReEnabled) {
    Raise(0, 0x5);
    Raise(1, 0x2);
    Raise(2, 0x1);
    fx.app->m_dwParentInterruptMask &= ~4u; // parent 2 is being serviced elsewhere

    fx.app->OnPollInterrupt();
    UWM_API_COMMAND_MESSAGE* poll = fx.app->m_pPollMessage;
    ASSERT_NE(poll, nullptr);
    fx.app->OnPollInterrupt(); // one poll in flight at most
    EXPECT_EQ(fx.app->m_pPollMessage, poll);
    ASSERT_TRUE(Settled());

    EXPECT_EQ(a.interrupts, (Calls{{0, 0x5}}));
    EXPECT_EQ(b.interrupts, (Calls{{1, 0x2}}));
    EXPECT_EQ(Vector(0), 0u);   // serviced bits written back: cleared
    EXPECT_EQ(Vector(1), 0x2u); // nothing serviced, nothing written
    EXPECT_EQ(Vector(2), 0x1u); // masked: never read
    EXPECT_EQ(fx.app->m_dwParentInterruptMask & 7u, 3u);
    EXPECT_EQ(fx.log.Count("Irq Vector data from"), 2u);
    EXPECT_TRUE(fx.log.Contains("CZarvexAppBase::OnInterrupt, Parent Interrupt = 0x7 using mask "
                                "0xfffffffb\n"));

    // A parent left pending without a write-back is seen again next poll.
    fx.app->OnPollInterrupt();
    ASSERT_TRUE(Settled());
    EXPECT_EQ(b.interrupts, (Calls{{1, 0x2}, {1, 0x2}}));
    EXPECT_FALSE(fx.log.Contains("UNHANDLED"));
}

TEST_F(InterruptRoad, RecordsMatchingNothingOrOfUnknownTypeAreLoggedAndFreed) {
    auto* stray = new UWM_API_COMMAND_MESSAGE{};
    stray->eCallBackType = API_CALLBACK_APPLICATION;
    stray->pCallBackTarget = fx.app.get();
    fx.app->OnApiCallBack(reinterpret_cast<WPARAM>(stray), 0);
    EXPECT_TRUE(fx.log.Contains("###### UNHANDLED MESSAGE IN CZarvexAppBase::OnApiCallBack!"));

    auto* odd = new UWM_API_COMMAND_MESSAGE{};
    odd->eCallBackType = static_cast<t_API_MSG_CALLBACK_TYPE>(3);
    odd->pCallBackTarget = &a;
    fx.app->OnApiCallBack(reinterpret_cast<WPARAM>(odd), 0);
    EXPECT_TRUE(
        fx.log.Contains("###### UNHANDLED CALL-BACK-TYPE IN CZarvexAppBase::OnApiCallBack!"));
    EXPECT_TRUE(a.values.empty());
    EXPECT_EQ(fx.app->OnApiCallBack(0, 0), 0);
}

TEST_F(InterruptRoad, APageDestroyedWithRequestsInFlightIsNeverCalled) {
    auto doomed = std::make_unique<TestPage>(L"Doomed");
    ASSERT_NE(doomed->ReadMemory(SIMBOARD_SIM_ID, kAll, 0, nullptr), nullptr);
    ASSERT_NE(doomed->ReadMemory(SIMBOARD_SIM_ID, kAll, 0, nullptr), nullptr);
    doomed.reset();
    TestPage successor(L"Successor"); // possibly at the same address
    ASSERT_NE(successor.ReadMemory(SIMBOARD_SIM_ID, kAll, 0, nullptr), nullptr);
    ASSERT_TRUE(fx.host.WaitFor([&] { return !successor.values.empty(); }));
    EXPECT_EQ(successor.values, std::vector<DWORD>{SIMBOARD_ID});
    EXPECT_EQ(fx.log.Count("Call-back for a page that no longer exists"), 2u);
}

// A poll and vector reads in flight when the link is reloaded are freed
// unread; the next run must not be left waiting for them.
TEST_F(InterruptRoad, ARestartNeverLeavesInterruptsMaskedForGood) {
    Raise(0, 0x1);
    fx.app->OnPollInterrupt();
    fx.app->OnInterrupt(1); // a vector read in flight as well
    Vector(0);              // both have come back and wait in the queue
    EXPECT_EQ(fx.app->m_dwParentInterruptMask & 1u, 0u);
    EXPECT_TRUE(fx.app->StartApplication()); // stop
    EXPECT_TRUE(fx.app->StartApplication()); // start: the link is loaded afresh
    EXPECT_EQ(fx.app->m_pPollMessage, nullptr);
    EXPECT_EQ(fx.app->m_pParentInterrupts[0].uPending, 0u);
    EXPECT_TRUE(fx.log.Contains("Found 2 messages...\n"));

    a.interrupts.clear();
    Raise(0, 0x1);
    fx.app->OnPollInterrupt();
    ASSERT_TRUE(Settled());
    EXPECT_EQ(a.interrupts, (Calls{{0, 0x1}}));
}

} // namespace
