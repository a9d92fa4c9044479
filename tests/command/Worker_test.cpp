// CWorker's own duties: the start-up verdict, progress through the API's
// worker record, the exit request, and forwarding to the API's slots.

#include "HostWindow.h"
#include "LogCapture.h"

#include "fixtures/comms/FixtureApi.h"
#include "platform/Sync.h"
#include "platform/Threads.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/Worker.h"
#include "zarvexapp/contracts/Globals.h"

#include <gtest/gtest.h>

namespace {

class CForwardApi final : public CFixtureApi {
public:
    int lastSlot = -1;
    bool Open(WORKER_THREAD_INFO*) override { return false; }
    void Release() override {}
    void WriteMemory(UWM_API_COMMAND_MESSAGE*& msg) override {
        lastSlot = 8, CAPI::WriteMemory(msg);
    }
    void ReadMemory(UWM_API_COMMAND_MESSAGE*& msg) override { lastSlot = 9, CAPI::ReadMemory(msg); }
    void BurstWriteMemory(UWM_API_COMMAND_MESSAGE*& msg) override {
        lastSlot = 10, CAPI::BurstWriteMemory(msg);
    }
    void BurstReadMemory(UWM_API_COMMAND_MESSAGE*& msg) override {
        lastSlot = 11, CAPI::BurstReadMemory(msg);
    }
    bool AddMessage(int id, tagMSG*) override { return lastSlot = 16, id == 5; }
    bool AddMessage(tagMSG* msg) override { return lastSlot = 17, msg != nullptr; }
    bool ProcessMessages() override { return lastSlot = 18, true; }
};

TEST(Worker, VerdictProgressExitRequestAndForwarding) {
    zxtest::LogCapture log;
    zxtest::HostWindow host;
    g_pAPI = nullptr;
    CForwardApi api;
    WORKER_THREAD_INFO info{};
    CWorker worker(&info, &api);
    EXPECT_TRUE(log.Contains(" - Worker:Connection established\n"));

    // Failure: 1 is stored and the call returns without suspending.
    worker.InitialisationComplete(false);
    EXPECT_EQ(info.lFlags, WORKER_INIT_DONE);
    EXPECT_FALSE(log.Contains("Suspending Worker Thread"));

    // Progress goes through the API's record, which is not set yet.
    worker.SetProgressRange(10);
    EXPECT_EQ(info.lProgressRange, 0);
    api.SetThreadWorkerInfo(&info);
    worker.SetProgressRange(-1);
    EXPECT_EQ(static_cast<DWORD>(info.lProgressRange), 0xFFFFFFFFu);
    EXPECT_EQ(info.lProgressRangeChanged, 1);
    worker.SetProgressValue(-2);
    worker.IncrementProgress();
    EXPECT_EQ(info.lProgressValue, -1);

    // No window: the exit request goes nowhere; with one it arrives.
    worker.RequestExit();
    info.hUIWnd = host.Handle();
    worker.RequestExit();
    EXPECT_TRUE(host.WaitFor([&] { return host.exitRequests == 1; }));

    // Completion and message hooks reach the API's slots.
    UWM_API_COMMAND_MESSAGE* msg = new UWM_API_COMMAND_MESSAGE{};
    worker.BurstReadMemory(msg);
    EXPECT_EQ(api.lastSlot, 11);
    EXPECT_EQ(msg, nullptr); // flags 0: freed, pointer cleared
    MSG m{};
    EXPECT_TRUE(worker.AddMessage(5, &m));
    EXPECT_EQ(api.lastSlot, 16);
    EXPECT_TRUE(worker.AddMessage(&m));
    EXPECT_EQ(api.lastSlot, 17);
    EXPECT_TRUE(worker.ProcessMessages());
    EXPECT_EQ(api.lastSlot, 18);
    EXPECT_TRUE(worker.CreateUILink());
    EXPECT_EQ(log.Count("Worker:Connection established\n"), 2u);

    // A waiting record is signalled and stays the requester's.
    auto* waiting = new UWM_API_COMMAND_MESSAGE{};
    waiting->dwFlags = API_FLAG_WAIT;
    waiting->pEvent = api.m_Event;
    UWM_API_COMMAND_MESSAGE* held = waiting;
    worker.ReadMemory(held);
    EXPECT_EQ(held, waiting);
    EXPECT_EQ(WaitForSingleObject(api.m_Event, 0), WAIT_OBJECT_0);
    delete waiting;
}

} // namespace
