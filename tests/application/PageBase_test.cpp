// A page's requests on the simulated board: base addresses, flags, the API
// read at the moment of the request; the tuner's transfers routed to the
// page that asked; the platform's full description.

#include "AppHarness.h"

#include "zarvexapp/command/TunerModuleBase.h"

#include <gtest/gtest.h>

namespace {

using zxtest::AppFixture;
using zxtest::TestPage;
using zxtest::TestPlatform;

constexpr ULONG kAll = 0xFFFFFFFFu;

class TestTuner : public CTunerModuleBase {
public:
    bool Initialise() override { return true; }
    bool SetFrequency(ULONG) override { return true; }
    ULONG GetFrequency() override { return 0; }
    UWM_API_COMMAND_MESSAGE* RequestStatus() override {
        return ReadI2CSubAddress(SIMBOARD_I2C_REGFILE, 2, 1, 0, nullptr);
    }
    ULONG DecodeStatus(const UWM_API_COMMAND_MESSAGE* msg) override { return msg->dwData; }
    using CTunerModuleBase::WriteI2CSubAddress;
};

class PageOnBoard : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fx.StartOnSimBoard()); }

    TestPlatform platform;
    AppFixture fx;
};

TEST_F(PageOnBoard, RequestsAddTheSelectedBasesAndFixTheirFlags) {
    TestPage page(L"Page");
    page.Initialise(0x1000, 1.0);
    page.InitialiseChannel(CHANNEL_1, 0x2000, 0);
    page.InitialiseChannel(CHANNEL_2, 0x3000, 0);
    page.InitialiseChannel(CHANNEL_3, 0x4000, 0);
    EXPECT_EQ(page.GetBaseAddress(2), 0x3000);

    // A write that asks to wait is sent fire-and-forget; a waiting read
    // that asks for a call-back gets none.
    ASSERT_NE(page.WriteMemory(0x10, 0xCAFE, kAll, API_FLAG_BASE0 | API_FLAG_BASE2 | API_FLAG_WAIT,
                               nullptr),
              nullptr);
    EXPECT_EQ(page.ReadMemoryAndWait(0x4010, kAll, API_FLAG_CALLBACK, nullptr), 0xCAFEu);
    int tag = 0;
    ASSERT_NE(page.ReadMemory(0x10, kAll, API_FLAG_BASE0 | API_FLAG_BASE2, &tag), nullptr);
    ASSERT_TRUE(fx.host.WaitFor([&] { return !page.records.empty(); }));
    ASSERT_EQ(page.records.size(), 1u);
    EXPECT_EQ(page.records[0].dwAddress, 0x4010u);
    EXPECT_EQ(page.records[0].dwFlags, 0x29u);
    EXPECT_EQ(page.records[0].dwData, 0xCAFEu);
    EXPECT_EQ(page.records[0].pUserData, &tag);
}

TEST_F(PageOnBoard, ARequestSeesTheApiOfItsMoment) {
    CAPI* api = nullptr;
    TestPage page(L"Late", api);
    EXPECT_EQ(page.ReadMemory(0, kAll, 0, nullptr), nullptr);
    EXPECT_EQ(page.ReadMemoryAndWait(SIMBOARD_SIM_ID, kAll, 0, nullptr), 0u);
    api = fx.app->m_pAPI;
    EXPECT_EQ(page.ReadMemoryAndWait(SIMBOARD_SIM_ID, kAll, 0, nullptr), SIMBOARD_ID);
}

TEST_F(PageOnBoard, SimulationStartChecksTheBasesOfEnabledPagesOnly) {
    const char* line = "#### ERROR - BaseAddress has not been initialised in parent page \n";
    TestPage unset(L"Unset"), one(L"One"), off(L"Off");
    unset.EnablePage();
    one.InitialiseChannel(CHANNEL_3, 0x10, 0);
    one.EnablePage();
    off.OnSimulationStart();
    EXPECT_FALSE(off.m_bSimulationStarted);
    one.OnSimulationStart();
    EXPECT_EQ(fx.log.Count(line), 0u);
    unset.OnSimulationStart();
    EXPECT_EQ(fx.log.Count(line), 1u);
    EXPECT_TRUE(unset.m_bSimulationStarted);
}

TEST_F(PageOnBoard, TunerTransfersGoToTheCallingPageWithoutWait) {
    TestTuner tuner;
    CAPI* none = nullptr;
    TestPage page(L"Tuner"), apiless(L"Apiless", none);
    tuner.SetCallingPage(&apiless); // no fall-back to the application's API
    EXPECT_EQ(tuner.RequestStatus(), nullptr);

    tuner.SetCallingPage(&page);
    ASSERT_NE(tuner.WriteI2CSubAddress(SIMBOARD_I2C_REGFILE, 2, 0x5A, 1,
                                       API_FLAG_CALLBACK | API_FLAG_WAIT, nullptr),
              nullptr);
    ASSERT_NE(tuner.RequestStatus(), nullptr);
    ASSERT_TRUE(fx.host.WaitFor([&] { return page.records.size() == 2; }));
    EXPECT_EQ(page.records[0].dwFlags, API_FLAG_CALLBACK);
    EXPECT_EQ(page.records[0].eCallBackType, API_CALLBACK_PAGE);
    EXPECT_EQ(page.records[1].dwFlags, API_FLAG_CALLBACK);
    EXPECT_EQ(tuner.DecodeStatus(&page.records[1]), 0x5Au);
    EXPECT_EQ(tuner.GetTunerModuleIndex(), 0xFFFFFFFFu);
}

// Leaving a page stores its values under its key; showing one reads them.
TEST(PageSettings, KeptUnderThePagesKeyAcrossActivations) {
    AppFixture fx;
    struct Persistent : TestPage {
        using TestPage::TestPage;
        void RegistryAccess() override { m_pRegistry->RegistryAccess(L"m_iValue", m_iValue); }
        int m_iValue = 0;
    } left(L"Left"), shown(L"Shown");
    left.SetMyRegistryKey(L"Zarvex\\Fixture\\Page");
    shown.SetMyRegistryKey(left.GetMyRegistryKey());
    left.m_iValue = 7;
    left.OnSetActive();
    EXPECT_EQ(left.m_iValue, 7); // nothing stored yet: the value stays
    left.m_iValue = 9;
    left.OnKillActive();
    EXPECT_FALSE(left.m_bActive);
    shown.OnSetActive();
    EXPECT_TRUE(shown.m_bActive);
    EXPECT_EQ(shown.m_iValue, 9);
}

TEST(TargetPlatform, FullDescriptionKeepsBlanksAndParentheses) {
    TestPlatform platform;
    EXPECT_EQ(g_pTargetPlatform, &platform);
    EXPECT_EQ(platform.GetFullDescription(), L"Zarvex ZX-100 ()");
    EXPECT_EQ(platform.GetPlatformIndex(), 0xFFFFFFFFu);
    {
        TestPlatform copy(platform); // a copy's end leaves the registered one alone
    }
    EXPECT_EQ(g_pTargetPlatform, &platform);
}

} // namespace
