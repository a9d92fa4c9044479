// What an application plug-in says about itself, read from fixture_app.cap:
// title and version from its version block, texts and the PDF brief from
// its resources, and the failures of each.

#include "AppHarness.h"

#include "fixtures/fixture_ids.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/WideText.h"
#include "support/DesktopSpy.h"
#include "support/Fixtures.h"
#include "support/WholeFiles.h"
#include "zarvexapp/application/ThisModule.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using zxtest::TestConfig;

std::string FixtureText(const char* name) {
    return zxtest::ReadWholeFile(std::string(ZX_FIXTURE_SOURCES) + "/" + name);
}

std::string Narrow(const CString& text) {
    return zx::WideToUtf8(text.str());
}

class FixtureApplication : public ::testing::Test {
protected:
    void SetUp() override {
        CRegistry::SetStorage(m_dir.path() + "/settings.ini");
        module = LoadLibraryW(zxtest::FixtureFileW("app", "fixture_app.cap").c_str());
        ASSERT_NE(module, nullptr);
        config->SetApplicationModule(module);
        app = g_pApplication;
        ASSERT_NE(app, nullptr);
    }
    void TearDown() override {
        if (module)
            FreeLibrary(module);
        CRegistry::SetStorage(QString());
    }

    QTemporaryDir m_dir;
    TestConfig* config = new TestConfig;
    zxtest::LogCapture log{std::unique_ptr<CZarvexConfig>(config)};
    HMODULE module = nullptr;
    CZarvexAppBase* app = nullptr;
};

TEST_F(FixtureApplication, TitlesKeyAndTextsComeFromItsOwnModule) {
    app->InitApplication(nullptr, nullptr);
    EXPECT_TRUE(log.Contains("Initialising Application : Fixture Demo\n"));
    EXPECT_TRUE(app->GetMyRegistryKey().str().ends_with(L"\\Fixture Demo Application"));
    EXPECT_EQ(app->GetApplicationTitle(false), L"Fixture Demo Application");
    EXPECT_EQ(app->GetApplicationVersion(), L"1.2.3.4");
    EXPECT_EQ(app->m_WorkerThreadInfo.hApplicationModule, module);
    // Each module's own code finds its own handle, not the library's.
    auto own = reinterpret_cast<HMODULE (*)()>(GetProcAddress(module, "zx_fixture_app_module"));
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own(), module);
    EXPECT_EQ(ZxThisModule(), GetModuleHandleW(nullptr));

    EXPECT_FALSE(app->ApplicationDescriptionAvailable());
    app->SetDescription(IDR_APP_DESCRIPTION);
    // Read whole although the resource carries no terminating zero.
    EXPECT_EQ(Narrow(app->GetApplicationDescription()), FixtureText("description.txt"));
    // A bit stream when there is no text; the version folder of its path.
    EXPECT_EQ(app->ExtractPlatformHwVersionText(IDR_APP_HWVERSION), L"v2_3");
    EXPECT_EQ(Narrow(app->ExtractPlatformHwFeaturesText(IDR_APP_FEATURES)),
              FixtureText("app/features.txt"));
    EXPECT_EQ(app->ExtractPlatformHwFeaturesText(IDR_APP_EMPTY), L"");

    EXPECT_EQ(app->ExtractPlatformHwVersionText(IDR_APP_MISSING), L"");
    EXPECT_TRUE(
        log.Contains("### Handling Exception - Could not find hardware version resource!\n"));
    app->SetDescription(IDR_APP_MISSING);
    EXPECT_TRUE(app->ApplicationDescriptionAvailable());
    EXPECT_EQ(app->GetApplicationDescription(), L"");
    EXPECT_TRUE(log.Contains("### Handling Exception - Could not find descripton resource!\n"));

    // It supports no platform: a start has no link to load.
    zxtest::TestPlatform platform;
    EXPECT_FALSE(app->StartApplication());
    EXPECT_TRUE(log.Contains("with NULL DllName pointer!!\n"));
    EXPECT_FALSE(app->m_bStarted);

    // Unloading the plug-in destroys its object.
    ASSERT_TRUE(FreeLibrary(module));
    module = nullptr;
    EXPECT_EQ(g_pApplication, nullptr);
    EXPECT_TRUE(log.Text().ends_with("Application Close complete\n"
                                     "----------------------------\n\n"));
}

TEST_F(FixtureApplication, ThePdfBriefIsWrittenToOneReusedPrivateFileAndOpened) {
    zxtest::DesktopSpy desktop;
    app->OpenApplicationPdf(); // no brief set
    EXPECT_TRUE(log.Contains("### Handling Exception - Could not find PDF resource!\n"));

    EXPECT_FALSE(app->ApplicationPdfAvailable());
    app->SetPdf(IDR_APP_BRIEF);
    EXPECT_TRUE(app->ApplicationPdfAvailable());
    app->OpenApplicationPdf();
    app->OpenApplicationPdf();
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(desktop.opened[0], desktop.opened[1]);
    const std::string brief = desktop.opened[0].toLocalFile().toStdString();
    EXPECT_TRUE(brief.ends_with("/NEW1.pdf"));
    EXPECT_EQ(zxtest::ReadWholeFile(brief), FixtureText("brief.pdf"));
    EXPECT_EQ(log.Count("Creating PDF : "), 2u);

    // A name that cannot be written: nothing is opened.
    ASSERT_TRUE(DeleteFileW(zx::Utf8ToWide(brief).c_str()));
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(brief)));
    app->OpenApplicationPdf();
    EXPECT_EQ(desktop.opened.size(), 2u);
    EXPECT_TRUE(log.Contains("### Handling Exception - Could not create the PDF file!\n"));
    QDir().rmdir(QString::fromStdString(brief));
}

} // namespace
