// The application's start failures, on communications plug-ins that
// misbehave on purpose, and its unload. (The start/stop toggle on the
// simulated board and the shell windows: Host_test.)

#include "AppHarness.h"

#include "platform/WideText.h"
#include "platform/Wnd.h"
#include "support/Fixtures.h"
#include "support/WholeFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using zxtest::AppFixture;
using zxtest::TestPlatform;

constexpr ULONG kRed = 0x000000FF;

bool PrintedRed(const zxtest::TestApp& app, const wchar_t* text) {
    return std::ranges::any_of(
        app.prints, [&](const auto& line) { return line.text == text && line.colour == kRed; });
}

// Each start that cannot load the board link prints the red line, logs the
// handled failure, unloads what it loaded and ends stopped.
TEST(ApplicationStart, FailuresEndStoppedWithTheirLinesAndNothingLoaded) {
    struct Case {
        const char* name;
        bool platform;
        const wchar_t* entry; // communications table entry 0; null: none
        DWORD commsIndex;
        const wchar_t* printed;
        const char* logged;
        const char* extra; // a further piece of the log
    };
    QTemporaryDir dir;
    const std::string junk = dir.path().toStdString() + "/junk.ctc";
    const std::string junkText = "this is no shared object";
    zxtest::WriteWholeFile(junk, std::vector<char>(junkText.begin(), junkText.end()));
    const std::wstring junkPath = zx::Utf8ToWide(junk);
    const std::wstring noApi = zxtest::FixtureFileW("resources", "fixture_nores.ctc");
    const std::wstring initFail = zxtest::FixtureFileW("comms", "fixture_comms_initfail");
    const Case cases[] = {
        {"no platform", false, L"simboard", 0, L"ERROR : The target platform has not been loaded!",
         "Could not load the target platform", ""},
        {"missing entry", true, L"simboard", 5, L"ERROR : Could not load the API.",
         "Could not load the API", "with NULL DllName pointer!!"},
        {"no such file", true, L"fixture_nothere", 0, L"ERROR : Could not load the API.",
         "Could not load the API", "fixture_nothere.ctc"},
        {"not a shared object", true, junkPath.c_str(), 0, L"ERROR : Could not load the API.",
         "Could not load the API", "#### ERROR : Could not load target comms"},
        {"registers no API", true, noApi.c_str(), 0, L"ERROR : Could not load the API.",
         "Could not load the API", "registered no communications API"},
        {"worker fails", true, initFail.c_str(), 0, L"ERROR : Could not load the API.",
         "Could not load the API", "Target-platform communications unload Ok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture fx;
        std::unique_ptr<TestPlatform> platform(c.platform ? new TestPlatform : nullptr);
        fx.config->AddCommsDll(0, c.entry);
        fx.app->SupportPlatform(c.commsIndex);
        fx.Init();
        CWnd button;
        ASSERT_TRUE(button.Create(L"BUTTON", L"STOP", 0, CRect(0, 0, 80, 20), nullptr, 1));
        fx.app->m_pConfigureButton = &button;

        EXPECT_FALSE(fx.app->StartApplication());
        EXPECT_TRUE(PrintedRed(*fx.app, c.printed));
        EXPECT_TRUE(fx.log.Contains(std::string("### Handling Exception - ") + c.logged + "\n"));
        EXPECT_TRUE(fx.log.Contains(c.extra));
        EXPECT_FALSE(fx.log.Contains("Releasing the hardware resets"));
        EXPECT_FALSE(fx.app->m_bStarted);
        CString caption;
        button.GetWindowTextW(caption);
        EXPECT_EQ(caption, L"CONFIGURE");
        EXPECT_TRUE(button.IsWindowEnabled());
        EXPECT_EQ(fx.app->m_pAPI, nullptr);
        EXPECT_EQ(fx.app->m_hCommsModule, nullptr);
        EXPECT_TRUE(fx.app->m_strCommsDll.IsEmpty());
        EXPECT_EQ(g_pAPI, nullptr);
    }
}

// Records still queued for this thread when the link goes are freed unread.
TEST(ApplicationStart, UnloadFreesQueuedCallBacksAndCountsThem) {
    TestPlatform platform;
    AppFixture fx;
    ASSERT_TRUE(fx.StartOnSimBoard());
    zxtest::TestPage page(L"Reader");
    page.Initialise(SIMBOARD_BANK_BASE, 0);
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(page.ReadMemory(4 * i, 0xFFFFFFFFu, API_FLAG_BASE0, nullptr), nullptr);
    // Served in order: once this returns the three call-backs are queued.
    page.ReadMemoryAndWait(0, 0xFFFFFFFFu, API_FLAG_BASE0, nullptr);
    EXPECT_TRUE(fx.app->UnloadTargetPlatform());
    EXPECT_TRUE(fx.log.Contains("Removing any unprocessed API callback messages...\n"));
    EXPECT_TRUE(fx.log.Contains("Found 3 messages...\n"));
    EXPECT_TRUE(fx.log.Contains("Found 0 messages...\n"));
    EXPECT_TRUE(page.values.empty());
    // Nothing is left to unload a second time.
    EXPECT_TRUE(fx.app->UnloadTargetPlatform());
    EXPECT_EQ(fx.log.Count("Removing any unprocessed API callback messages"), 1u);
}

} // namespace
