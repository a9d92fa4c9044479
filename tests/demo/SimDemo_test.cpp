// simdemo.cap end to end, as the host runs it: the Qt event loop is the
// user-interface thread, a host window routes messages 1025/1029/1031/1036
// to the application, the plug-ins come from the build's bin folder through
// the configuration's tables, and the application runs on simboard.ctc.

#include "command/HostWindow.h"
#include "command/LogCapture.h"

#include "cmnctrls/Registry.h"
#include "platform/Wnd.h"
#include "plugins/simdemo/SimDemoMap.h"
#include "plugins/simplatform/SimPlatform.h"
#include "plugins/simtuner/SimTuner.h"
#include "support/BinFolder.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/TargetPlatform.h"
#include "zarvexapp/command/TunerModuleBase.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/shell/PrintWindowBase.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr ULONG kAllBits = 0xFFFFFFFFu;
constexpr unsigned int kTick = 1;

class DemoConfig : public CZarvexConfig {
public:
    DemoConfig() : CZarvexConfig(nullptr) {}
    using CZarvexConfig::AddCommsDll;
    using CZarvexConfig::AddPlatformDll;
    using CZarvexConfig::AddTunerModuleDll;
    void SetApplicationModule(HMODULE module) { m_hApplicationModule = module; }
};

// The print window the host would hand over; the application deletes it, the
// lines stay with the test.
class RecordingPrintWindow : public CPrintWindowBase {
public:
    explicit RecordingPrintWindow(std::vector<std::wstring>* lines) : m_lines(lines) {}
    void Print(const wchar_t* text, ULONG colour) override { Print(text, nullptr, colour); }
    void Print(const wchar_t* format, const wchar_t* text2, ULONG colour) override {
        CString line(format);
        if (text2)
            line.Format(format, text2);
        m_lines->push_back((colour ? L"RED " : L"") + line.str());
    }

private:
    std::vector<std::wstring>* m_lines;
};

template <class... Args> std::wstring Text(const wchar_t* format, const Args&... args) {
    CString text;
    text.Format(format, args...);
    return text.str();
}

class SimDemo : public ::testing::Test {
protected:
    SimDemo() : config(new DemoConfig), log(std::unique_ptr<CZarvexConfig>(config)) {
        CRegistry::SetStorage(dir.path() + "/settings.ini");
        config->AddCommsDll(SIMBOARD_API_INDEX, zxtest::BinPath(L"simboard.ctc"));
        config->AddPlatformDll(SIMPLATFORM_INDEX, zxtest::BinPath(L"simplatform.ctp"));
        config->AddTunerModuleDll(SIMTUNER_INDEX, zxtest::BinPath(L"simtuner.ctm"));
    }
    ~SimDemo() override {
        host.application = nullptr;
        if (module)
            FreeLibrary(module);
        CRegistry::SetStorage(QString());
    }

    // Where `line` was printed, from position `from` on; -1 when it was not.
    long Printed(const std::wstring& line, long from = 0) const {
        auto it = std::find(printed.begin() + from, printed.end(), line);
        return it == printed.end() ? -1 : it - printed.begin();
    }
    bool WaitForLine(const std::wstring& line, long from = 0) {
        return host.WaitFor([&] { return Printed(line, from) >= 0; });
    }
    // What the board's interrupt controller is told by a test: raise sources.
    void Raise(ULONG sources) {
        app->m_pAPI->WriteMemory(app, SIMBOARD_INTC_RAISE(SIMDEMO_PARENT), sources, kAllBits, 0,
                                 nullptr);
    }
    ULONG ReadBoard(ULONG address) {
        UWM_API_COMMAND_MESSAGE* msg =
            app->m_pAPI->ReadMemory(app, address, kAllBits, API_FLAG_WAIT, nullptr);
        const ULONG value = msg ? msg->dwData : SIMBOARD_BUS_ERROR;
        delete msg;
        return value;
    }
    bool ParentEnabled() const {
        return app->m_uMaskRequests == 0 && (app->m_dwParentInterruptMask & (1u << SIMDEMO_PARENT));
    }
    // Polls as the host's timer does until the interrupt page reports its
    // n-th servicing.
    bool PollUntilServiced(unsigned int n) {
        const std::wstring tail = L"(" + std::to_wstring(n) + L" so far)";
        const auto serviced = [&] {
            return std::any_of(printed.begin(), printed.end(),
                               [&](const std::wstring& line) { return line.ends_with(tail); });
        };
        for (int polls = 0; polls < 1000 && !serviced(); ++polls) {
            app->OnPollInterrupt();
            host.WaitFor([&] { return serviced() || !app->m_pPollMessage; });
        }
        return serviced();
    }

    QTemporaryDir dir;
    DemoConfig* config;
    zxtest::LogCapture log;
    zxtest::HostWindow host;
    HMODULE module = nullptr;
    CZarvexAppBase* app = nullptr;
    std::vector<std::wstring> printed;
};

TEST_F(SimDemo, RunsEndToEndOnTheSimulatedBoard) {
    module = LoadLibraryW(zxtest::BinPath(L"simdemo.cap"));
    ASSERT_NE(module, nullptr);
    app = g_pApplication;
    ASSERT_NE(app, nullptr);
    config->SetApplicationModule(module);
    host.application = app;
    app->m_pPrintWindow = new RecordingPrintWindow(&printed);

    // Initialised: its resources, two platforms, the platform and tuner
    // modules loaded for the run.
    ASSERT_TRUE(app->InitApplication(CWnd::FromHandle(host.Handle()), nullptr));
    EXPECT_EQ(app->GetApplicationTitle(true), CString(L"Simulated Board Demo"));
    EXPECT_TRUE(app->ApplicationPdfAvailable());
    EXPECT_NE(app->GetApplicationDescription().Find(L"simulated board"), -1);
    ASSERT_EQ(app->GetNumberOfSupportedPlatforms(), 2u);
    for (unsigned int i = 0; i < 2; ++i) {
        const t_SUPPORTED_PLATFORM& platform = app->m_pSupportedPlatforms[i];
        EXPECT_EQ(platform.uPlatformIndex, SIMPLATFORM_INDEX);
        EXPECT_EQ(platform.uCommsIndex, static_cast<DWORD>(SIMBOARD_API_INDEX));
        // The features text holds a section under the platform's title whose
        // first item names the daughter card.
        const CString& features = *platform.pHwFeaturesText;
        EXPECT_EQ(features.Find(L"Features of the Pelmarin"), 0);
        EXPECT_NE(features.Find(*platform.pPlatformTitle + L"\n" +
                                CString(L'-', platform.pPlatformTitle->GetLength()) + L"\n1. " +
                                *platform.pPlatformDcName),
                  -1);
    }
    EXPECT_EQ(*app->m_pSupportedPlatforms[0].pHwVersionText, CString(L"v2.1"));
    EXPECT_EQ(*app->m_pSupportedPlatforms[1].pHwVersionText, CString(L"v2.3"));
    EXPECT_EQ(app->m_iTargetPlatform, 0);
    ASSERT_NE(g_pTargetPlatform, nullptr);
    EXPECT_EQ(g_pTargetPlatform->GetPlatformIndex(), SIMPLATFORM_INDEX);
    ASSERT_NE(g_pTunerModuleBase, nullptr);
    EXPECT_EQ(g_pTunerModuleBase->GetTunerModuleIndex(), SIMTUNER_INDEX);

    // Started through the communications table: the start lines in order,
    // the register page's waiting read among them.
    const ULONG scratch = SIMBOARD_BANK_BASE + SIMDEMO_REG_SCRATCH;
    const std::wstring waited = Text(L"Registers: waiting read of 0x%08X returned 0x%08X", scratch,
                                     SIMDEMO_SCRATCH_PATTERN);
    ASSERT_TRUE(app->StartApplication());
    EXPECT_TRUE(log.Contains("Target-platform comms load Ok : "));
    const long releasing = Printed(L"Releasing the hardware resets ...");
    const long configuring = Printed(L"Configuring the target application register banks ...");
    const long waitedAt = Printed(waited);
    const long complete = Printed(L"... initial application register bank configuration complete.");
    EXPECT_EQ(releasing, 0);
    EXPECT_GT(configuring, releasing);
    EXPECT_GT(waitedAt, configuring);
    EXPECT_GT(complete, waitedAt);

    // The timer stays held while the register page's call-back read is out;
    // the gate opens on the first tick after it came back, and pages get
    // ticks from the next one on.
    app->OnTimer(kTick);
    EXPECT_FALSE(app->m_bTimerPagesReady);
    EXPECT_TRUE(WaitForLine(Text(L"Registers: call-back read of 0x%08X returned 0x%08X", scratch,
                                 SIMDEMO_SCRATCH_PATTERN)));
    EXPECT_TRUE(WaitForLine(Text(L"I2C: EEPROM 0x%02X written with 0x%08X", SIMDEMO_EEPROM_ADDRESS,
                                 SIMDEMO_EEPROM_PATTERN)));
    EXPECT_TRUE(WaitForLine(Text(L"I2C: EEPROM 0x%02X reads back 0x%08X", SIMDEMO_EEPROM_ADDRESS,
                                 SIMDEMO_EEPROM_PATTERN)));
    const std::wstring tuned = Text(L"I2C: tuner at %u kHz", SIMDEMO_TUNER_KHZ);
    EXPECT_TRUE(WaitForLine(tuned));
    app->OnTimer(kTick);
    EXPECT_TRUE(app->m_bTimerPagesReady);
    EXPECT_EQ(Printed(L"Registers: timer running"), -1);
    app->OnTimer(kTick);
    EXPECT_GE(Printed(L"Registers: timer running"), 0);

    // A raised interrupt is serviced by the interrupt page, its source
    // cleared and its parent enabled again; then a second one.
    Raise(SIMDEMO_SOURCE_DATA_READY);
    ASSERT_TRUE(PollUntilServiced(1));
    EXPECT_TRUE(host.WaitFor([&] { return ParentEnabled(); }));
    EXPECT_EQ(ReadBoard(SIMBOARD_INTC_VECTOR(SIMDEMO_PARENT)), 0u);
    Raise(SIMDEMO_SOURCE_DATA_READY);
    ASSERT_TRUE(PollUntilServiced(2));
    EXPECT_TRUE(host.WaitFor([&] { return ParentEnabled(); }));
    EXPECT_GE(Printed(Text(L"Interrupts: parent 0 vector 0x%X serviced, data ready (2 so far)",
                           SIMDEMO_SOURCE_DATA_READY)),
              0);

    // Closed down and unloaded: the link, the platform and the tuner go,
    // then the application object with its close banner.
    EXPECT_TRUE(app->CloseDownApplication());
    EXPECT_EQ(log.Count("Target-platform communications unload Ok\n"), 1u);
    EXPECT_TRUE(log.Contains("Attempting to unload target comms Simulated Board\n"));
    EXPECT_EQ(g_pTargetPlatform, nullptr);
    EXPECT_EQ(g_pTunerModuleBase, nullptr);
    host.application = nullptr;
    EXPECT_TRUE(FreeLibrary(module));
    module = nullptr;
    EXPECT_EQ(g_pApplication, nullptr);
    const std::string closing = log.Text();
    EXPECT_TRUE(closing.ends_with("Application Close complete\n----------------------------\n\n"));
    for (const std::wstring& line : printed)
        EXPECT_FALSE(line.starts_with(L"RED ")) << zx::WideToUtf8(line);
}

} // namespace
