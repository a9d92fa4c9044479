#include "platform/LastError.h"
#include "platform/Modules.h"
#include "platform/Sync.h"
#include "platform/WideText.h"
#include "support/BinFolder.h"
#include "support/Fixtures.h"
#include "support/WholeFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Counts the runs of the fixture plug-in's static destructor.
int g_unloads = 0;

std::wstring fileNameOf(HMODULE module) {
    wchar_t buffer[1024];
    const DWORD n = GetModuleFileNameW(module, buffer, 1024);
    return std::wstring(buffer, n);
}

// Whether the dynamic loader still has the file mapped.
bool mapped(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

template <class F> F symbol(HMODULE module, const char* name) {
    return reinterpret_cast<F>(GetProcAddress(module, name));
}

} // namespace

// Loading a plug-in twice counts references like Windows, and only the last
// FreeLibrary unloads it and runs its static destructors.
TEST(Modules, LoadsCountsReferencesAndUnloads) {
    const std::string path = zxtest::FixtureFile("resources", "fixture_resources.cap");
    ASSERT_FALSE(mapped(path));

    HMODULE module = LoadLibraryW(zx::Utf8ToWide(path).c_str());
    ASSERT_NE(module, nullptr) << zx::LastLoadErrorText();
    EXPECT_EQ(fileNameOf(module), zx::Utf8ToWide(path));
    EXPECT_EQ(LoadLibraryW(zx::Utf8ToWide(path).c_str()), module);
    EXPECT_EQ(GetModuleHandleW(L"fixture_resources.cap"), module);
    EXPECT_EQ(GetModuleHandleW(zx::Utf8ToWide(path).c_str()), module);

    auto watch = symbol<void (*)(int*)>(module, "zx_fixture_watch_unload");
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(zx::ModuleFromAddress(reinterpret_cast<const void*>(watch)), module);
    auto nameLength = symbol<int (*)()>(module, "zx_fixture_name_length");
    ASSERT_NE(nameLength, nullptr);
    EXPECT_EQ(nameLength(), 17);
    g_unloads = 0;
    watch(&g_unloads);

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(g_unloads, 0);
    EXPECT_TRUE(mapped(path));
    EXPECT_EQ(fileNameOf(module), zx::Utf8ToWide(path));

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(g_unloads, 1);
    EXPECT_FALSE(mapped(path));

    // The handle of an unloaded module fails cleanly everywhere.
    wchar_t buffer[16] = L"untouched";
    EXPECT_EQ(GetModuleFileNameW(module, buffer, 16), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(module, "zx_fixture_watch_unload"), nullptr);
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetModuleHandleW(L"fixture_resources.cap"), nullptr);

    // Loading it again runs it afresh under the same handle.
    HMODULE again = LoadLibraryW(zx::Utf8ToWide(path).c_str());
    EXPECT_EQ(again, module);
    symbol<void (*)(int*)>(again, "zx_fixture_watch_unload")(&g_unloads);
    EXPECT_TRUE(FreeLibrary(again));
    EXPECT_EQ(g_unloads, 2);
}

// Files that are not loadable modules give a null handle and an error code,
// never a crash or a hang.
TEST(Modules, RefusesFilesThatAreNoModules) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    const std::vector<char> plugin = zxtest::ReadWholeFile<std::vector<char>>(
        zxtest::FixtureFile("resources", "fixture_resources.cap"));
    ASSERT_GT(plugin.size(), 4096u);

    zxtest::WriteWholeFile(folder + "x.ctc", {'h', 'e', 'l', 'l', 'o', '\n'});
    zxtest::WriteWholeFile(folder + "empty.ctc", {});
    zxtest::WriteWholeFile(folder + "truncated.cap",
                           std::vector<char>(plugin.begin(), plugin.begin() + plugin.size() / 2));
    zxtest::WriteWholeFile(folder + "cut_in_code.cap",
                           std::vector<char>(plugin.begin(), plugin.begin() + 5000));
    zxtest::WriteWholeFile(folder + "header_only.cap",
                           std::vector<char>(plugin.begin(), plugin.begin() + 64));
    std::vector<char> otherMachine = plugin;
    otherMachine[18] = 40; // e_machine: ARM
    zxtest::WriteWholeFile(folder + "arm.ctp", otherMachine);
    std::vector<char> narrow = plugin;
    narrow[4] = 1; // EI_CLASS: 32-bit
    zxtest::WriteWholeFile(folder + "elf32.ctp", narrow);
    ASSERT_EQ(mkdir((folder + "y.cap").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((folder + "pipe.ctm").c_str(), 0600), 0);

    const struct {
        const char* name;
        DWORD error;
    } cases[] = {
        {"x.ctc", ERROR_BAD_EXE_FORMAT},           {"empty.ctc", ERROR_BAD_EXE_FORMAT},
        {"truncated.cap", ERROR_BAD_EXE_FORMAT},   {"header_only.cap", ERROR_BAD_EXE_FORMAT},
        {"cut_in_code.cap", ERROR_BAD_EXE_FORMAT}, {"arm.ctp", ERROR_BAD_EXE_FORMAT},
        {"elf32.ctp", ERROR_BAD_EXE_FORMAT},       {"y.cap", ERROR_ACCESS_DENIED},
        {"pipe.ctm", ERROR_ACCESS_DENIED},         {"missing.cap", ERROR_MOD_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        const std::wstring path = zx::Utf8ToWide(folder + c.name);
        EXPECT_EQ(LoadLibraryW(path.c_str()), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
        EXPECT_FALSE(zx::LastLoadErrorText().empty()) << c.name;
    }
    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(LoadLibraryW(L""), nullptr);
    EXPECT_EQ(LoadLibraryW(L"no_such_plugin.cap"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    // A sound copy loads by path; the same file by bare name is only looked
    // for next to the executable, never in the current directory.
    zxtest::WriteWholeFile(folder + "copy_in_cwd.cap", plugin);
    HMODULE copy = LoadLibraryW(zx::Utf8ToWide(folder + "copy_in_cwd.cap").c_str());
    ASSERT_NE(copy, nullptr) << zx::LastLoadErrorText();
    EXPECT_TRUE(FreeLibrary(copy));
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    char cwdInFolder[4096];
    ASSERT_NE(getcwd(cwdInFolder, sizeof cwdInFolder), nullptr);
    EXPECT_EQ(LoadLibraryW(L"copy_in_cwd.cap"), nullptr);
    // A relative path with a folder is taken from the current directory,
    // and the module keeps its absolute name.
    HMODULE relative = LoadLibraryW(L"./copy_in_cwd.cap");
    ASSERT_EQ(chdir(cwd), 0);
    ASSERT_NE(relative, nullptr);
    EXPECT_EQ(fileNameOf(relative), zx::Utf8ToWide(std::string(cwdInFolder) + "/copy_in_cwd.cap"));
    EXPECT_TRUE(FreeLibrary(relative));
}

// dlsym searches a module's dependencies too; GetProcAddress must not: the
// resource-less plug-in links a library whose symbols it must not offer.
TEST(Modules, ProcAddressesAreTheModulesOwn) {
    HMODULE plugin = LoadLibraryW(zxtest::FixtureFileW("resources", "fixture_nores.ctc").c_str());
    ASSERT_NE(plugin, nullptr) << zx::LastLoadErrorText();
    auto own = symbol<int (*)()>(plugin, "zx_fixture_nores_answer");
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own(), 43);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(plugin, "zx_fixture_reslib_answer"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(plugin, "g_pAPI"), nullptr);              // in the library
    EXPECT_EQ(GetProcAddress(plugin, "zx_module_resources"), nullptr); // the dependency's
    EXPECT_EQ(GetProcAddress(plugin, "malloc"), nullptr);
    EXPECT_EQ(GetProcAddress(plugin, nullptr), nullptr);
    EXPECT_EQ(GetProcAddress(plugin, reinterpret_cast<const char*>(1)), nullptr);

    // The dependency is a module of its own, found by its file name.
    HMODULE library = GetModuleHandleW(L"libfixture_reslib.so");
    ASSERT_NE(library, nullptr);
    EXPECT_NE(library, plugin);
    EXPECT_NE(GetProcAddress(library, "zx_fixture_reslib_answer"), nullptr);
    EXPECT_FALSE(FreeLibrary(library)); // not loaded through LoadLibraryW

    // The executable's own exports, and only those.
    EXPECT_NE(GetProcAddress(nullptr, "zx_module_resources"), nullptr);
    EXPECT_NE(dlsym(RTLD_DEFAULT, "qVersion"), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "qVersion"), nullptr); // Qt's

    EXPECT_TRUE(FreeLibrary(plugin));
    EXPECT_EQ(GetModuleHandleW(L"libfixture_reslib.so"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "zx_fixture_reslib_answer"), nullptr);
}

// Windows truncation: the buffer gets what fits plus a terminating zero, the
// result is the buffer size and the error ERROR_INSUFFICIENT_BUFFER.
TEST(Modules, ModuleFileNamesTruncateLikeWindows) {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    const std::wstring full = zx::Utf8ToWide(std::string(exe, static_cast<size_t>(n)));
    EXPECT_EQ(fileNameOf(nullptr), full);
    EXPECT_EQ(fileNameOf(GetModuleHandleW(nullptr)), full);
    EXPECT_EQ(zx::Utf8ToWide(zx::ExecutableFolder()), full.substr(0, full.rfind(L'/') + 1));

    const auto len = static_cast<DWORD>(full.size());
    std::vector<wchar_t> buffer(full.size() + 8, L'#');
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), len + 1), len);
    EXPECT_EQ(std::wstring(buffer.data()), full);

    std::fill(buffer.begin(), buffer.end(), L'#');
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), len), len);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::wstring(buffer.data()), full.substr(0, len - 1));
    EXPECT_EQ(buffer[len], L'#');

    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), 1), 1u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(buffer[0], L'\0');

    buffer[0] = L'#';
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), 0), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(buffer[0], L'#');

    // A handle that is no module's.
    int notAModule = 0;
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(&notAModule), buffer.data(), 100), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

// Any address of a module's image leads to that module's handle.
TEST(Modules, ModulesAreFoundByAddressAndName) {
    static int inExecutable = 0;
    EXPECT_EQ(zx::ModuleFromAddress(&inExecutable), GetModuleHandleW(nullptr));

    HMODULE platform = zx::ModuleFromAddress(reinterpret_cast<const void*>(&LoadLibraryW));
    ASSERT_NE(platform, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"libzxplatform.so"), platform);
    const std::wstring name = fileNameOf(platform);
    EXPECT_EQ(name.substr(name.rfind(L'/') + 1), L"libzxplatform.so");
    // A library the executable was linked with is loaded for good: no
    // reference of LoadLibraryW to drop, and loading it adds one.
    EXPECT_FALSE(FreeLibrary(platform));
    EXPECT_EQ(LoadLibraryW(zxtest::BinPath(L"libzxplatform.so")), platform);
    EXPECT_TRUE(FreeLibrary(platform));

    auto heap = std::make_unique<int>(1);
    EXPECT_EQ(zx::ModuleFromAddress(heap.get()), nullptr);
    EXPECT_EQ(zx::ModuleFromAddress(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"no_such_module.so"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}
