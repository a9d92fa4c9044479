// Communications plug-ins that misbehave: a worker that fails its start-up,
// one that ends without reporting, and one that ignores the exit request.

#include "HostWindow.h"
#include "LogCapture.h"

#include "platform/Modules.h"
#include "platform/Threads.h"
#include "support/Fixtures.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/contracts/Globals.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct LoadedComms {
    explicit LoadedComms(const char* fixture)
        : module(LoadLibraryW(zxtest::FixtureFileW("comms", fixture).c_str())) {
        api = g_pAPI;
        g_pAPI = nullptr;
    }
    template <class F> F Export(const char* name) {
        return reinterpret_cast<F>(GetProcAddress(module, name));
    }
    HMODULE module;
    CAPI* api;
};

TEST(CommsFixtures, FailedAndSilentStartsReturnFalseWithoutHanging) {
    zxtest::LogCapture log;
    zxtest::HostWindow host;
    LoadedComms comms("fixture_comms_initfail.ctc");
    ASSERT_NE(comms.module, nullptr);
    ASSERT_NE(comms.api, nullptr);
    auto silent = comms.Export<void (*)(bool)>("zx_fixture_comms_silent");
    ASSERT_NE(silent, nullptr);
    WORKER_THREAD_INFO info{};
    info.hUIWnd = host.Handle();

    silent(false);
    EXPECT_FALSE(comms.api->Open(&info));
    EXPECT_EQ(info.lFlags, WORKER_INIT_DONE);
    EXPECT_TRUE(log.Contains(" - UI:Worker Thread returned BAD CreationOK flag.\n"));
    // No exit record for a worker that failed; it ended by itself.
    EXPECT_TRUE(comms.api->Stop());
    EXPECT_EQ(info.lExitRequest, 1);
    EXPECT_EQ(comms.api->m_hThread, nullptr);

    // A worker whose thread ends without a verdict: the handshake notices.
    silent(true);
    EXPECT_FALSE(comms.api->Open(&info));
    EXPECT_EQ(info.lFlags, 0);
    EXPECT_TRUE(log.Contains(" - ##### ERROR : worker thread ended without reporting\n"));
    EXPECT_EQ(log.Count("UI:Worker Thread returned BAD CreationOK flag.\n"), 2u);
    EXPECT_TRUE(comms.api->Stop());
    silent(false);

    comms.api->Release();
    EXPECT_TRUE(FreeLibrary(comms.module));
}

// The one test of the 10 s limit.
TEST(CommsFixtures, StopGivesUpOnAWorkerThatDoesNotEndAndKeepsItsModuleMapped) {
    zxtest::LogCapture log;
    zxtest::HostWindow host;
    LoadedComms comms("fixture_comms_hang.ctc");
    ASSERT_NE(comms.module, nullptr);
    ASSERT_NE(comms.api, nullptr);
    auto release = comms.Export<void (*)()>("zx_fixture_comms_release");
    auto exitRecords = comms.Export<int (*)()>("zx_fixture_comms_exit_records_seen");
    auto entryPoint = comms.Export<void* (*)()>("zx_fixture_comms_entry_point");
    ASSERT_TRUE(release && exitRecords && entryPoint);
    WORKER_THREAD_INFO info{};
    info.hUIWnd = host.Handle();

    ASSERT_TRUE(comms.api->Open(&info));
    comms.api->HardwareReset(true);
    EXPECT_TRUE(comms.api->Stop());
    EXPECT_EQ(comms.api->m_hThread, nullptr);
    EXPECT_EQ(comms.api->m_dwThreadId, 0u);
    EXPECT_TRUE(log.Contains("worker thread did not end within 10000 ms, terminating it\n"));
    // The exit record was sent and taken (and freed) by the worker.
    EXPECT_EQ(exitRecords(), 1);

    // Its thread still runs the module's code: unloading leaves it mapped.
    void* entry = entryPoint();
    auto live = [&] {
        auto points = zx::LiveThreadEntryPoints();
        return std::find(points.begin(), points.end(), entry) != points.end();
    };
    EXPECT_TRUE(live());
    comms.api->Release();
    EXPECT_TRUE(FreeLibrary(comms.module));
    ASSERT_EQ(comms.Export<void (*)()>("zx_fixture_comms_release"), release);

    // Let it end, and wait until it has.
    release();
    const DWORD start = GetTickCount();
    while (live() && GetTickCount() - start < 20000)
        Sleep(1);
    EXPECT_FALSE(live());
    g_pAPI = nullptr; // the unmapped-never object stays registered otherwise
}

} // namespace
