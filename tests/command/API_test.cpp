// CAPI on its own: the binary layout plug-ins rely on, registration,
// printing, progress and the start and stop of a worker thread, with a small
// API class and worker defined here. (The records its builders make travel
// through the simulated board: SimBoard_test.)

#include "HostWindow.h"
#include "LogCapture.h"

#include "fixtures/comms/FixtureApi.h"
#include "platform/Threads.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/Worker.h"
#include "zarvexapp/contracts/Globals.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <type_traits>
#include <vector>

namespace {

constexpr ULONG kAll = 0xFFFFFFFFu;
constexpr DWORD kProgressCommand = 0x77; // this test worker's own command

// ---- The binary interface ------------------------------------------------------

// The slot of a virtual operation, as a pointer to it holds it under the
// Itanium C++ ABI: its offset in the table plus one.
template <class F> std::uintptr_t Slot(F operation) {
    static_assert(sizeof operation == 2 * sizeof(std::uintptr_t));
    std::uintptr_t raw[2];
    std::memcpy(raw, &operation, sizeof raw);
    return raw[0] % sizeof(void*) == 1 ? raw[0] / sizeof(void*) : ~std::uintptr_t{0};
}

// A plug-in built elsewhere calls CAPI's virtual operations by slot number:
// each must sit in the slot documented for it.
TEST(APIBinaryInterface, VirtualOperationsSitInTheirSlots) {
    using Msg = UWM_API_COMMAND_MESSAGE;
    using Callback = t_API_MSG_CALLBACK_TYPE;
    EXPECT_FALSE(std::has_virtual_destructor_v<CAPI>);
    const std::uintptr_t inSlot[] = {
        Slot(&CAPI::SetApiInfo),
        Slot(&CAPI::Open),
        Slot(&CAPI::Attach),
        Slot(&CAPI::HardwareReset),
        Slot(&CAPI::Release),
        Slot(&CAPI::SetInterruptMask),
        Slot(&CAPI::PollInterrupt),
        Slot(&CAPI::OnTimer),
        Slot(static_cast<void (CAPI::*)(Msg*&)>(&CAPI::WriteMemory)),
        Slot(static_cast<void (CAPI::*)(Msg*&)>(&CAPI::ReadMemory)),
        Slot(static_cast<void (CAPI::*)(Msg*&)>(&CAPI::BurstWriteMemory)),
        Slot(static_cast<void (CAPI::*)(Msg*&)>(&CAPI::BurstReadMemory)),
        Slot(static_cast<Msg* (CAPI::*)(unsigned char, ULONG, unsigned int, ULONG, void*, Callback,
                                        void*)>(&CAPI::WriteI2CAddress)),
        Slot(
            static_cast<Msg* (CAPI::*)(unsigned char, unsigned int, ULONG, void*, Callback, void*)>(
                &CAPI::ReadI2CAddress)),
        Slot(static_cast<Msg* (CAPI::*)(unsigned char, unsigned char, ULONG, unsigned int, ULONG,
                                        void*, Callback, void*)>(&CAPI::WriteI2CSubAddress)),
        Slot(static_cast<Msg* (CAPI::*)(unsigned char, unsigned char, unsigned int, ULONG, void*,
                                        Callback, void*)>(&CAPI::ReadI2CSubAddress)),
        Slot(static_cast<bool (CAPI::*)(int, tagMSG*)>(&CAPI::AddMessage)),
        Slot(static_cast<bool (CAPI::*)(tagMSG*)>(&CAPI::AddMessage)),
        Slot(&CAPI::ProcessMessages)};
    for (std::uintptr_t slot = 0; slot < std::size(inSlot); ++slot)
        EXPECT_EQ(inSlot[slot], slot);
}

// ---- A small API with its worker thread ---------------------------------------

class CLocalApi final : public CFixtureApi {
public:
    bool Open(WORKER_THREAD_INFO* info) override {
        SetThreadWorkerInfo(info);
        return Create(&Run, info);
    }
    void Release() override {}
    using CAPI::ReadMemory;

    // A request of this worker's own.
    UWM_API_COMMAND_MESSAGE* Progress(ULONG flags) {
        auto* msg = new UWM_API_COMMAND_MESSAGE{};
        msg->uCommand = kProgressCommand;
        return PostRequest(msg, UWM_API_SINGLE_COMMAND, flags, nullptr, API_CALLBACK_NONE, nullptr);
    }

    static CLocalApi* s_api;

private:
    static DWORD WINAPI Run(void* parameter) {
        CWorker worker(parameter, s_api);
        worker.InitialisationComplete(true);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            auto* record = reinterpret_cast<UWM_API_COMMAND_MESSAGE*>(msg.wParam);
            if (!record)
                continue;
            if (record->uCommand == API_CMD_EXIT) {
                delete record;
                return 0;
            }
            if (record->uCommand == kProgressCommand) {
                worker.SetProgressRange(100);
                worker.SetProgressValue(5);
                for (int i = 0; i < 3; ++i)
                    worker.IncrementProgress();
                worker.Print(L"progress %s\n", L"done", 0x00123456);
                worker.Print(L"plain %s", 0);
                worker.RequestExit();
            }
            worker.WriteMemory(record);
        }
        return 0;
    }
};

CLocalApi* CLocalApi::s_api = nullptr;

class LocalLink : public ::testing::Test {
protected:
    void SetUp() override {
        g_pAPI = nullptr;
        api = std::make_unique<CLocalApi>();
        CLocalApi::s_api = api.get();
        info.hUIWnd = host.Handle();
        ASSERT_TRUE(api->Open(&info));
        api->HardwareReset(false);
    }
    void TearDown() override {
        api->Stop();
        api.reset();
        EXPECT_EQ(g_pAPI, nullptr);
    }

    zxtest::LogCapture log;
    zxtest::HostWindow host;
    WORKER_THREAD_INFO info{};
    std::unique_ptr<CLocalApi> api;
    int target = 0;
};

TEST_F(LocalLink, PrintProgressAndExitRequestCrossThreads) {
    // CAPI's members in their documented order after the table pointer.
    CAPI* self = api.get();
    auto offset = [&](const void* member) {
        return static_cast<const char*>(member) - reinterpret_cast<const char*>(self);
    };
    EXPECT_EQ(offset(&self->m_pWorkerInfo), 8);
    EXPECT_EQ(offset(&self->m_hThread), 16);
    EXPECT_EQ(offset(&self->m_dwThreadId), 24);
    EXPECT_EQ(offset(&self->m_iApiIndex), 28);
    EXPECT_EQ(offset(&self->m_Event), 32);

    EXPECT_EQ(api->GetProgressRange(), -1);
    std::unique_ptr<UWM_API_COMMAND_MESSAGE> done(api->Progress(API_FLAG_WAIT));
    ASSERT_NE(done, nullptr);
    ASSERT_TRUE(host.WaitFor([&] { return host.prints.size() == 2 && host.exitRequests == 1; }));
    // Without a second text the record still carries an empty one.
    EXPECT_EQ(host.prints, (std::vector<zxtest::PrintLine>{{0x00123456u, L"progress %s\n", L"done"},
                                                           {0, L"plain %s", L""}}));
    EXPECT_TRUE(log.Contains(" - Sending message : progress done\n\n"));
    EXPECT_TRUE(log.Contains(" - Sending message : plain (null)\n"));

    EXPECT_EQ(api->GetProgressValue(), 8u);
    EXPECT_EQ(api->GetProgressRange(), 100);
    EXPECT_EQ(api->GetProgressRange(), -1);
    api->SetProgressRange(250);
    api->SetProgressDivisor(4);
    api->IncrementProgress();
    EXPECT_EQ(api->GetProgressRange(), 250);
    EXPECT_EQ(info.lProgressDivisor, 4);
    EXPECT_EQ(api->GetProgressValue(), 9u);

    api->RequestExit();
    EXPECT_TRUE(host.WaitFor([&] { return host.exitRequests == 2; }));

    api->SetApiInfo(&target);
    EXPECT_EQ(info.pApiInfo, &target);
}

TEST(APILifecycle, RegistrationStartFailuresAndStopWithoutAThread) {
    zxtest::LogCapture log;
    g_pAPI = nullptr;
    auto first = std::make_unique<CLocalApi>();
    EXPECT_EQ(g_pAPI, first.get());
    EXPECT_FALSE(log.Contains("g_pAPI not NULL"));
    auto second = std::make_unique<CLocalApi>();
    EXPECT_EQ(g_pAPI, second.get());
    EXPECT_TRUE(log.Contains(" - ##### ERROR : g_pAPI not NULL when this API was created!\n\n"));

    // Nothing to stop, no worker record: harmless, and the getters say so.
    EXPECT_TRUE(second->Stop());
    EXPECT_TRUE(second->Terminate());
    EXPECT_EQ(second->GetProgressRange(), 0);
    EXPECT_EQ(second->GetProgressValue(), 0u);
    second->SetProgressValue(3); // no record: nothing happens
    second->RequestExit();
    second->Print(L"no window", 0);

    // Create without a worker record, and without a thread routine.
    EXPECT_FALSE(second->Create(nullptr, nullptr));
    WORKER_THREAD_INFO info{};
    second->SetThreadWorkerInfo(&info);
    EXPECT_EQ(info.lLinkCount, 1);
    info.lExitRequest = 1;
    EXPECT_FALSE(second->Create(nullptr, &info));
    EXPECT_TRUE(log.Contains(" - UI:Could not create worker thread!\n"));
    EXPECT_EQ(info.lExitRequest, 0); // cleared before the thread starts
    // No thread: requests are refused instead of being retried for ever.
    EXPECT_EQ(second->ReadMemory(static_cast<CPageBase*>(nullptr), 0, kAll, API_FLAG_WAIT, nullptr),
              nullptr);

    second.reset();
    EXPECT_EQ(g_pAPI, nullptr);
    EXPECT_TRUE(
        log.Contains(" - Target Communications Close complete\n----------------------------\n"));
    first.reset();
}

} // namespace
