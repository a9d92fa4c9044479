#include "fixtures/fixture_ids.h"
#include "platform/ElfResources.h"
#include "platform/LastError.h"
#include "platform/Modules.h"
#include "platform/Resources.h"
#include "support/BinFolder.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

constexpr std::string_view kDescription =
    "Resource fixture application: describes itself through a TEXT resource without a "
    "terminating zero byte.";

const std::wstring kPlugin = zxtest::FixtureFileW("resources", "fixture_resources.cap");

std::string_view bytesOf(HMODULE module, HRSRC resource) {
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* data = static_cast<const char*>(LockResource(loaded));
    return data ? std::string_view(data, SizeofResource(module, resource)) : std::string_view();
}

// Loads a plug-in for the length of a test.
using Loaded = std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)>;
Loaded Load(const char* fixture) {
    return {LoadLibraryW(zxtest::FixtureFileW("resources", fixture).c_str()), &FreeLibrary};
}

} // namespace

// The kinds of resources an application plug-in carries, looked up the way
// the library does: "#id" names, named types in any case, integer ids.
TEST(Resources, FindsEveryKindOfPluginResource) {
    const Loaded plugin = Load("fixture_resources.cap");
    HMODULE module = plugin.get();
    ASSERT_NE(module, nullptr) << zx::LastLoadErrorText();

    HRSRC text = FindResourceW(module, L"#100", L"TEXT");
    EXPECT_EQ(bytesOf(module, text), kDescription);
    EXPECT_EQ(SizeofResource(module, text), kDescription.size());
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(IDR_FIXTURE_DESCRIPTION), L"text"), text);

    // The library tries "TEXT" first, then "BITSTREAM".
    SetLastError(0);
    EXPECT_EQ(FindResourceW(module, L"#101", L"TEXT"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    HRSRC bits = FindResourceW(module, L"#101", L"BITSTREAM");
    EXPECT_EQ(bytesOf(module, bits), "Board image D:\\boards\\zx100\\v2_3\\fpga.bit");

    HRSRC pdf = FindResourceW(module, L"#102", L"PDF");
    const std::string_view brief = bytesOf(module, pdf);
    EXPECT_TRUE(brief.starts_with("%PDF-1.4\n")) << brief.substr(0, 16);
    EXPECT_TRUE(brief.ends_with("%%EOF\n"));

    HRSRC doc = FindResourceW(module, MAKEINTRESOURCEW(IDR_FIXTURE_NAMED_TYPE), L"DOCFILE");
    EXPECT_EQ(bytesOf(module, doc), kDescription);

    // A handle found in a plug-in also works with a null module.
    EXPECT_EQ(LoadResource(nullptr, text), LoadResource(module, text));
    EXPECT_EQ(SizeofResource(nullptr, pdf), brief.size());

    SetLastError(0);
    EXPECT_EQ(FindResourceW(module, L"#100", L"NOSUCHTYPE"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_EQ(FindResourceW(module, L"#99999", L"TEXT"), nullptr);
    EXPECT_EQ(FindResourceW(module, L"#", L"TEXT"), nullptr);
    EXPECT_EQ(FindResourceW(module, nullptr, L"TEXT"), nullptr);
    EXPECT_EQ(FindResourceW(module, L"#100", nullptr), nullptr);

    // Addresses that are no resource's.
    const auto* inside = reinterpret_cast<const char*>(text) + 1;
    EXPECT_EQ(LoadResource(module, reinterpret_cast<HRSRC>(const_cast<char*>(inside))), nullptr);
    int notAResource = 0;
    EXPECT_EQ(SizeofResource(module, reinterpret_cast<HRSRC>(&notAResource)), 0u);
    EXPECT_EQ(LoadResource(module, nullptr), nullptr);
    EXPECT_EQ(LockResource(nullptr), nullptr);
}

// The resource bytes read from the file on disk are the ones in the loaded
// image.
TEST(Resources, FileAndLoadedImageAgree) {
    const Loaded plugin = Load("fixture_resources.cap");
    ASSERT_NE(plugin.get(), nullptr);
    const auto fromFile =
        zx::ReadElfResources(zxtest::FixtureFile("resources", "fixture_resources.cap"));
    ASSERT_TRUE(fromFile.has_value());
    const auto blob = zx::LoadedResourceBlob(plugin.get());
    ASSERT_GT(blob.size(), 8u);
    EXPECT_EQ(std::basic_string_view<BYTE>(fromFile->data(), fromFile->size()),
              std::basic_string_view<BYTE>(blob.data() + 8, blob.size() - 8));
}

// LoadStringW copies what fits and terminates it; with a zero length it hands
// out a read-only pointer to the whole string.
TEST(Resources, LoadStringFollowsWindowsRules) {
    const Loaded plugin = Load("fixture_resources.cap");
    HMODULE module = plugin.get();
    ASSERT_NE(module, nullptr);

    wchar_t buffer[64];
    EXPECT_EQ(LoadStringW(module, IDS_FIXTURE_GREETING, buffer, 64), 22);
    EXPECT_STREQ(buffer, L"Hello from the fixture");
    EXPECT_EQ(LoadStringW(module, IDS_FIXTURE_GREETING, buffer, 6), 5);
    EXPECT_STREQ(buffer, L"Hello");
    EXPECT_EQ(LoadStringW(module, IDS_FIXTURE_GREETING, buffer, 1), 0);
    EXPECT_STREQ(buffer, L"");

    const wchar_t* direct = nullptr;
    EXPECT_EQ(LoadStringW(module, IDS_FIXTURE_GREETING, reinterpret_cast<LPWSTR>(&direct), 0), 22);
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(std::wstring_view(direct, 22), L"Hello from the fixture");

    // UTF-8 in the script, UTF-16 in the image, wide in the program.
    EXPECT_EQ(LoadStringW(module, IDS_FIXTURE_UNICODE, buffer, 64), 9);
    EXPECT_STREQ(buffer, L"Größe ✓ \U0001D11E");
    EXPECT_GT(LoadStringW(module, IDS_FIXTURE_FAR, buffer, 64), 0);
    EXPECT_STREQ(buffer, L"Far away in block 251");

    buffer[0] = L'#';
    EXPECT_EQ(LoadStringW(module, IDS_FIXTURE_GREETING + 2, buffer, 64), 0);
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(LoadStringW(module, IDS_FIXTURE_GREETING, nullptr, 64), 0);
    EXPECT_EQ(LoadStringW(module, IDS_FIXTURE_GREETING, buffer, -1), 0);
}

// A plug-in without resources finds none, although dlsym would hand it the
// resources of the library it links. That library's script is kept as Visual
// Studio writes one (UTF-16, afxres.h, a code-page pragma, designer blocks,
// backslashes in file names): its texts arrive intact.
TEST(Resources, ModuleWithoutResourcesFindsNoneOfItsLibrarys) {
    const Loaded plugin = Load("fixture_nores.ctc");
    ASSERT_NE(plugin.get(), nullptr) << zx::LastLoadErrorText();
    HMODULE library = GetModuleHandleW(L"libfixture_reslib.so");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(bytesOf(library, FindResourceW(library, MAKEINTRESOURCEW(IDR_RESLIB_TEXT), L"TEXT")),
              "This text lives in the dependency library.");
    wchar_t buffer[64];
    EXPECT_EQ(LoadStringW(library, IDS_RESLIB_STRING, buffer, 64), 19);
    ASSERT_GT(LoadStringW(library, IDS_RESLIB_ACCENTED, buffer, 64), 0);
    EXPECT_STREQ(buffer, L"Caf\u00e9, 5 \u20ac \\ C:\\temp"); // strings keep their backslashes

    SetLastError(0);
    EXPECT_EQ(FindResourceW(plugin.get(), MAKEINTRESOURCEW(IDR_RESLIB_TEXT), L"TEXT"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(LoadStringW(plugin.get(), IDS_RESLIB_STRING, buffer, 64), 0);
    EXPECT_TRUE(zx::LoadedResourceBlob(plugin.get()).empty());

    // A blob whose size overruns it is no resources either.
    const Loaded damaged = Load("fixture_badres.cap");
    ASSERT_NE(damaged.get(), nullptr) << zx::LastLoadErrorText();
    EXPECT_TRUE(zx::LoadedResourceBlob(damaged.get()).empty());
    EXPECT_EQ(FindResourceW(damaged.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16)), nullptr);
}

// Unloading a module invalidates what was found in it; loading it again
// finds its resources afresh.
TEST(Resources, UnloadedModuleHasNoResources) {
    HMODULE module = LoadLibraryW(kPlugin.c_str());
    ASSERT_NE(module, nullptr);
    ASSERT_NE(FindResourceW(module, L"#100", L"TEXT"), nullptr);
    ASSERT_TRUE(FreeLibrary(module));
    SetLastError(0);
    EXPECT_EQ(FindResourceW(module, L"#100", L"TEXT"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
    wchar_t buffer[8];
    EXPECT_EQ(LoadStringW(module, IDS_FIXTURE_GREETING, buffer, 8), 0);

    const Loaded again = Load("fixture_resources.cap");
    ASSERT_EQ(again.get(), module);
    EXPECT_EQ(bytesOf(module, FindResourceW(module, L"#100", L"TEXT")), kDescription);
}

// The resource module is the library's own while it is loaded, and can be
// switched.
TEST(Resources, ResourceModuleDefaultsToTheLibrary) {
    HMODULE library = LoadLibraryW(zxtest::BinPath(L"libzarvexapp.so"));
    ASSERT_NE(library, nullptr) << zx::LastLoadErrorText();
    EXPECT_EQ(AfxGetInstanceHandle(), library);
    EXPECT_EQ(AfxGetResourceHandle(), library);

    const Loaded plugin = Load("fixture_resources.cap");
    AfxSetResourceHandle(plugin.get());
    EXPECT_EQ(AfxGetResourceHandle(), plugin.get());
    EXPECT_EQ(AfxGetInstanceHandle(), library);
    wchar_t buffer[64];
    EXPECT_EQ(LoadStringW(AfxGetResourceHandle(), IDS_FIXTURE_GREETING, buffer, 64), 22);
    AfxSetResourceHandle(nullptr);
    EXPECT_EQ(AfxGetResourceHandle(), library);

    EXPECT_TRUE(FreeLibrary(library));
    if (!GetModuleHandleW(L"libzarvexapp.so")) { // unloaded: the executable stands in
        EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleW(nullptr));
    }
}

// Threads loading, reading and freeing the same plug-in at once: each holds
// its own reference, so what it found stays valid until it frees it, however
// often the others unload and reload the module meanwhile.
TEST(Resources, ConcurrentLoadsLookupsAndUnloads) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures] {
            for (int i = 0; i < 100; ++i) {
                HMODULE module = LoadLibraryW(kPlugin.c_str());
                HRSRC text = FindResourceW(module, L"#100", L"TEXT");
                wchar_t buffer[64];
                if (!module || !text || bytesOf(module, text) != kDescription ||
                    LoadStringW(module, IDS_FIXTURE_GREETING, buffer, 64) != 22 ||
                    !FreeLibrary(module))
                    ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(GetModuleHandleW(L"fixture_resources.cap"), nullptr);
}
