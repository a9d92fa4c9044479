#pragma once
// What the application tests share: a configuration whose communications
// table and application module a test sets, an application, a target
// platform and a page that record what reaches them, and a host window that
// routes the worker's messages to the application as the host does.

#include "command/HostWindow.h"
#include "command/LogCapture.h"
#include "support/BinFolder.h"

#include "cmnctrls/Registry.h"
#include "platform/Wnd.h"
#include "plugins/simboard/SimBoardMap.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/TargetPlatform.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/pages/PageBase.h"

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zxtest {

class TestConfig : public CZarvexConfig {
public:
    TestConfig() : CZarvexConfig(nullptr) {}
    using CZarvexConfig::AddCommsDll;
    void SetApplicationModule(HMODULE module) { m_hApplicationModule = module; }
};

struct Printed {
    std::wstring text;
    ULONG colour;
};

class TestApp : public CZarvexAppBase {
public:
    void AddSupportedPlatforms() override {}
    bool InitApplication(CWnd* parent, CWnd* button) override {
        return CZarvexAppBase::InitApplication(parent, button);
    }
    bool OnTargetPlatformChange() override { return true; }
    void Print(const wchar_t* text, ULONG colour) override {
        prints.push_back({text, colour});
        CZarvexAppBase::Print(text, colour);
    }
    void Print(const wchar_t* format, const wchar_t* text2, ULONG colour) override {
        prints.push_back({format, colour});
        CZarvexAppBase::Print(format, text2, colour);
    }

    // One supported platform whose link is entry commsIndex of the table.
    void SupportPlatform(DWORD commsIndex, DWORD parameter = SIMBOARD_PARAMETER(1, 1)) {
        m_pSupportedPlatforms = new t_SUPPORTED_PLATFORM[1]{
            {1, new CString(L"Sim"), new CString(L"Sim"), 0, new CString(L"None"), commsIndex,
             nullptr, nullptr, parameter}};
        m_uSupportedPlatforms = 1;
        m_iTargetPlatform = 0;
    }

    using CZarvexAppBase::BurstReadMemoryAndWait;
    using CZarvexAppBase::BurstWriteMemoryAndWait;
    using CZarvexAppBase::OnInterrupt;
    using CZarvexAppBase::PerformDmaCheck;
    using CZarvexAppBase::ReadI2CAddress;
    using CZarvexAppBase::ReadMemory;
    using CZarvexAppBase::ReadMemoryAndWait;
    using CZarvexAppBase::WriteI2CSubAddress;
    using CZarvexAppBase::WriteMemory;
    using CZarvexAppBase::WriteMemoryAndWait;

    std::vector<Printed> prints;
};

class TestPlatform : public CTargetPlatform {
public:
    TestPlatform() { g_pTargetPlatform = this; }
    bool Initialise() override { return true; }
    CString GetBoardName() override { return L"ZX-100"; }
    CString GetBoardRevision() override { return L""; }
    CString GetManufacturer() override { return L"Zarvex"; }
};

// A page that records its call-backs, ticks and interrupts; `onTimer` and
// `serviced` choose what it does.
class TestPage : public CPageBase {
public:
    explicit TestPage(const wchar_t* name) { m_strName = name; }
    TestPage(const wchar_t* name, CAPI*& api) : CPageBase(api) { m_strName = name; }
    void OnApiCallBack(UWM_API_COMMAND_MESSAGE* msg) override {
        records.push_back(*msg);
        values.push_back(msg->dwData);
    }
    void OnTimer(unsigned int) override {
        ++ticks;
        if (onTimer)
            onTimer();
    }
    ULONG OnInterrupt(ULONG parent, ULONG data) override {
        interrupts.emplace_back(parent, data);
        return serviced(data);
    }

    using CPageBase::DeRegisterTimer;
    using CPageBase::ReadMemory;
    using CPageBase::ReadMemoryAndWait;
    using CPageBase::RegisterForInterrupt;
    using CPageBase::RegisterForTimer;
    using CPageBase::WriteMemory;
    using CPageBase::WriteMemoryAndWait;

    std::vector<UWM_API_COMMAND_MESSAGE> records;
    std::vector<DWORD> values;
    int ticks = 0;
    std::function<void()> onTimer;
    std::vector<std::pair<ULONG, ULONG>> interrupts;
    std::function<ULONG(ULONG)> serviced = [](ULONG data) { return data; };
};

// A configuration with its log, settings in a private file, a host window
// routing to the application, and the application on it.
class AppFixture {
public:
    AppFixture()
        : config(new TestConfig), log(std::unique_ptr<CZarvexConfig>(config)),
          app(std::make_unique<TestApp>()) {
        CRegistry::SetStorage(m_dir.path() + "/settings.ini");
        host.application = app.get();
    }
    ~AppFixture() {
        app.reset();
        host.application = nullptr;
        CRegistry::SetStorage(QString());
    }
    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    void Init() { app->InitApplication(CWnd::FromHandle(host.Handle()), nullptr); }
    // The application on simboard.ctc, started.
    bool StartOnSimBoard() {
        config->AddCommsDll(SIMBOARD_API_INDEX, zxtest::BinPath(L"simboard"));
        app->SupportPlatform(SIMBOARD_API_INDEX);
        Init();
        return app->StartApplication();
    }

    QTemporaryDir m_dir;
    TestConfig* config;
    LogCapture log;
    HostWindow host;
    std::unique_ptr<TestApp> app;
};

} // namespace zxtest
