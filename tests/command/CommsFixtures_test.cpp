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

// A fixture plug-in loaded as the application loads one, its records coming
// back to a host window stand-in.
class CommsFixtures : public ::testing::Test {
protected:
    void Load(const char* fixture) {
        module = LoadLibraryW(zxtest::FixtureFileW("comms", fixture).c_str());
        api = g_pAPI;
        g_pAPI = nullptr;
        info.hUIWnd = host.Handle();
        ASSERT_NE(module, nullptr);
        ASSERT_NE(api, nullptr);
    }
    template <class F> F Export(const char* name) {
        return reinterpret_cast<F>(GetProcAddress(module, name));
    }

    zxtest::LogCapture log;
    zxtest::HostWindow host;
    WORKER_THREAD_INFO info{};
    HMODULE module = nullptr;
    CAPI* api = nullptr;
};

TEST_F(CommsFixtures, FailedAndSilentStartsReturnFalseWithoutHanging) {
    ASSERT_NO_FATAL_FAILURE(Load("fixture_comms_initfail.ctc"));
    auto silent = Export<void (*)(bool)>("zx_fixture_comms_silent");
    ASSERT_NE(silent, nullptr);

    silent(false);
    EXPECT_FALSE(api->Open(&info));
    EXPECT_EQ(info.lFlags, WORKER_INIT_DONE);
    EXPECT_TRUE(log.Contains(" - UI:Worker Thread returned BAD CreationOK flag.\n"));
    // No exit record for a worker that failed; it ended by itself.
    EXPECT_TRUE(api->Stop());
    EXPECT_EQ(info.lExitRequest, 1);
    EXPECT_EQ(api->m_hThread, nullptr);

    // A worker whose thread ends without a verdict: the handshake notices.
    silent(true);
    EXPECT_FALSE(api->Open(&info));
    EXPECT_EQ(info.lFlags, 0);
    EXPECT_TRUE(log.Contains(" - ##### ERROR : worker thread ended without reporting\n"));
    EXPECT_EQ(log.Count("UI:Worker Thread returned BAD CreationOK flag.\n"), 2u);
    EXPECT_TRUE(api->Stop());
    silent(false);

    api->Release();
    EXPECT_TRUE(FreeLibrary(module));
}

// The one test of the 10 s limit.
TEST_F(CommsFixtures, StopGivesUpOnAWorkerThatDoesNotEndAndKeepsItsModuleMapped) {
    ASSERT_NO_FATAL_FAILURE(Load("fixture_comms_hang.ctc"));
    auto release = Export<void (*)()>("zx_fixture_comms_release");
    auto exitRecords = Export<int (*)()>("zx_fixture_comms_exit_records_seen");
    auto entryPoint = Export<void* (*)()>("zx_fixture_comms_entry_point");
    ASSERT_TRUE(release && exitRecords && entryPoint);

    ASSERT_TRUE(api->Open(&info));
    api->HardwareReset(true);
    EXPECT_TRUE(api->Stop());
    EXPECT_EQ(api->m_hThread, nullptr);
    EXPECT_EQ(api->m_dwThreadId, 0u);
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
    api->Release();
    EXPECT_TRUE(FreeLibrary(module));
    ASSERT_EQ(Export<void (*)()>("zx_fixture_comms_release"), release);

    // Let it end, and wait until it has.
    release();
    const DWORD start = GetTickCount();
    while (live() && GetTickCount() - start < 20000)
        Sleep(1);
    EXPECT_FALSE(live());
    g_pAPI = nullptr; // the unmapped-never object stays registered otherwise
}

} // namespace
