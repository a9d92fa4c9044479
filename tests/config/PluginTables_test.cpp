// The tuner-module and target-platform tables of CZarvexConfig with the
// shipped simtuner.ctm and simplatform.ctp: entries by declared index, growth
// on queries, one module of each kind loaded at a time, and unloading.

#include "plugins/simplatform/SimPlatform.h"
#include "plugins/simtuner/SimTuner.h"
#include "support/BinFolder.h"
#include "zarvexapp/command/TargetPlatform.h"
#include "zarvexapp/command/TunerModuleBase.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"

#include <gtest/gtest.h>

namespace {

class TablesConfig : public CZarvexConfig {
public:
    TablesConfig() : CZarvexConfig(nullptr) {}
    using CZarvexConfig::AddPlatformDll;
    using CZarvexConfig::AddTunerModuleDll;
};

TEST(PluginTables, PlatformModuleIsLoadedByItsIndexOneAtATime) {
    TablesConfig config;
    config.AddPlatformDll(SIMPLATFORM_INDEX, zxtest::BinPath(L"simplatform.ctp"));
    config.AddPlatformDll(SIMPLATFORM_INDEX + 1, L"/nonexistent/other.ctp");
    EXPECT_FALSE(config.IsPlatformDllSupported(0));
    EXPECT_TRUE(config.IsPlatformDllSupported(SIMPLATFORM_INDEX));

    ASSERT_TRUE(config.LoadPlatformDll(SIMPLATFORM_INDEX));
    ASSERT_NE(g_pTargetPlatform, nullptr);
    EXPECT_EQ(g_pTargetPlatform->GetPlatformIndex(), SIMPLATFORM_INDEX);
    EXPECT_EQ(g_pTargetPlatform->GetFullDescription(), CString(L"Pelmarin SimBoard (Rev A)"));
    // A second load releases the first: the module's one object stays registered.
    EXPECT_TRUE(config.LoadPlatformDll(SIMPLATFORM_INDEX));
    EXPECT_EQ(g_pTargetPlatform->GetPlatformIndex(), SIMPLATFORM_INDEX);
    // A file that does not load leaves nothing loaded.
    EXPECT_FALSE(config.LoadPlatformDll(SIMPLATFORM_INDEX + 1));
    EXPECT_EQ(g_pTargetPlatform, nullptr);

    // An index beyond the table grows it, and finds nothing to load.
    EXPECT_FALSE(config.LoadPlatformDll(6));
    EXPECT_EQ(config.GetPlatformDllName(6), nullptr);
    EXPECT_NE(config.GetPlatformDllName(SIMPLATFORM_INDEX), nullptr);

    ASSERT_TRUE(config.LoadPlatformDll(SIMPLATFORM_INDEX));
    config.UnloadPlatformDll();
    EXPECT_EQ(g_pTargetPlatform, nullptr);
}

TEST(PluginTables, TunerModuleLoadNeverGrowsTheTableAndGoesWithTheConfiguration) {
    {
        TablesConfig config;
        config.AddTunerModuleDll(SIMTUNER_INDEX, zxtest::BinPath(L"simtuner.ctm"));
        EXPECT_EQ(config.GetNumberOfTunerModules(), SIMTUNER_INDEX + 1u);
        EXPECT_FALSE(config.LoadTunerModuleDll(3));
        EXPECT_EQ(config.GetNumberOfTunerModules(), SIMTUNER_INDEX + 1u);
        EXPECT_FALSE(config.IsTunerModuleDllSupported(3));
        EXPECT_EQ(config.GetNumberOfTunerModules(), 4u);

        ASSERT_TRUE(config.LoadTunerModuleDll(SIMTUNER_INDEX));
        ASSERT_NE(g_pTunerModuleBase, nullptr);
        EXPECT_EQ(g_pTunerModuleBase->GetTunerModuleIndex(), SIMTUNER_INDEX);
        EXPECT_EQ(g_pTunerModuleBase->GetDescription(), CString(L"Simulated tuner"));
        // No application, no API: the tuner sends nothing and says so.
        EXPECT_FALSE(g_pTunerModuleBase->SetFrequency(SIMTUNER_MIN_KHZ));
        EXPECT_EQ(g_pTunerModuleBase->RequestStatus(), nullptr);
    }
    EXPECT_EQ(g_pTunerModuleBase, nullptr);
}

} // namespace
