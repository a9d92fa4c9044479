#include "cmnctrls/VersionInfo.h"
#include "platform/LastError.h"
#include "platform/Modules.h"
#include "platform/WideText.h"
#include "support/Fixtures.h"
#include "support/WholeFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::wstring wide(const std::string& path) {
    return zx::Utf8ToWide(path);
}

// Whether the object holds no value at all.
bool empty(const CVersionInfo& info) {
    const wchar_t* keys[] = {L"FileDescription", L"FileVersion", L"ProductName", L"FILEVERSION",
                             L"CompanyName"};
    return std::ranges::all_of(keys,
                               [&](const wchar_t* key) { return info.GetValue(key).IsEmpty(); });
}

} // namespace

// The version block is read from the path a module handle gives, as the
// library reads an application's title and version.
TEST(VersionInfo, ReadsPluginVersionFromItsPath) {
    HMODULE module =
        LoadLibraryW(zxtest::FixtureFileW("resources", "fixture_resources.cap").c_str());
    ASSERT_NE(module, nullptr) << zx::LastLoadErrorText();
    wchar_t path[520];
    ASSERT_GT(GetModuleFileNameW(module, path, 520), 0u);
    ASSERT_TRUE(FreeLibrary(module));

    CVersionInfo info;
    ASSERT_TRUE(info.GetFileVersionInfoW(path));
    EXPECT_EQ(info.GetValue(L"FileDescription").str(), L"Resource Fixture Application");
    EXPECT_EQ(info.GetValue(L"FileVersion").str(), L"2.3.4.5");
    EXPECT_EQ(info.GetValue(L"ProductName").str(), L"ZarvexApp Fixtures");
    EXPECT_EQ(info.GetValue(L"CompanyName").str(), L"Zarvex");
    EXPECT_EQ(info.GetValue(L"FILEVERSION").str(), L"2.3.4.5");
    EXPECT_EQ(info.GetValue(L"PRODUCTVERSION").str(), L"2.3.0.0");
    EXPECT_TRUE(info.GetValue(L"Comments").IsEmpty());
    EXPECT_TRUE(info.GetValue(L"filedescription").IsEmpty());
    EXPECT_TRUE(info.GetValue(nullptr).IsEmpty());

    // Reading the file did not load it.
    EXPECT_EQ(GetModuleHandleW(L"fixture_resources.cap"), nullptr);
}

// Truncated, corrupt, foreign or missing files give FALSE and no values,
// also to an object that held values before.
TEST(VersionInfo, DamagedOrForeignFilesGiveNoValues) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    const std::string good = zxtest::FixtureFile("resources", "fixture_resources.cap");
    const std::vector<char> plugin = zxtest::ReadWholeFile<std::vector<char>>(good);
    ASSERT_GT(plugin.size(), 4096u);

    CVersionInfo info;
    auto refuses = [&](const std::string& path) {
        EXPECT_TRUE(info.GetFileVersionInfoW(wide(good).c_str()));
        EXPECT_FALSE(info.GetFileVersionInfoW(wide(path).c_str())) << path;
        EXPECT_TRUE(empty(info)) << path;
    };

    // Cut short, the file loses its section headers. (Damaged ELF headers:
    // ElfResources_test.)
    const std::string cut = folder + "cut.cap";
    zxtest::WriteWholeFile(cut, std::vector<char>(plugin.begin(), plugin.end() - 1));
    refuses(cut);

    // A version block whose length overruns its resource.
    const std::u16string key = u"VS_VERSION_INFO";
    const std::string keyBytes(reinterpret_cast<const char*>(key.data()), key.size() * 2);
    const auto at = std::search(plugin.begin(), plugin.end(), keyBytes.begin(), keyBytes.end());
    ASSERT_NE(at, plugin.end());
    std::vector<char> corrupt = plugin;
    const auto lengthField = static_cast<size_t>(at - plugin.begin()) - 6;
    corrupt[lengthField] = '\xFF';
    corrupt[lengthField + 1] = '\x7F';
    zxtest::WriteWholeFile(folder + "corrupt.cap", corrupt);
    refuses(folder + "corrupt.cap");
    ASSERT_EQ(mkfifo((folder + "pipe.cap").c_str(), 0600), 0);
    refuses(folder + "pipe.cap");
    refuses(folder + "missing.cap");
    refuses(zxtest::FixtureFile("resources", "fixture_nores.ctc"));    // no resources
    refuses(zxtest::FixtureFile("resources", "libfixture_reslib.so")); // no version

    EXPECT_FALSE(info.GetFileVersionInfoW(nullptr));
    EXPECT_FALSE(info.GetFileVersionInfoW(L""));
    EXPECT_TRUE(empty(info));
}
