#include "platform/Files.h"
#include "platform/LastError.h"
#include "support/WholeFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets an environment variable for one test and puts the old value back.
struct EnvGuard {
    EnvGuard(const char* name, const std::string& value) : name(name) {
        if (const char* was = std::getenv(name))
            old = was;
        setenv(name, value.c_str(), 1);
    }
    ~EnvGuard() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }

    const char* name;
    std::optional<std::string> old;
};

std::wstring W(const QString& s) {
    return s.toStdWString();
}
std::string N(const QString& s) {
    return QFile::encodeName(s).toStdString();
}

std::wstring TempPath() {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, buf);
    return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

struct stat StatOf(const std::wstring& path) {
    struct stat st {};
    lstat(zx::NativePath(path.c_str()).c_str(), &st);
    return st;
}

bool IsPrivateDir(const std::wstring& path) {
    const struct stat st = StatOf(path);
    return S_ISDIR(st.st_mode) && (st.st_mode & 0777) == 0700 && st.st_uid == geteuid();
}

void Touch(const QString& path, const QByteArray& bytes = {}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::set<std::wstring> FindAll(const std::wstring& pattern) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.insert(data.cFileName);
    } while (FindNextFileW(h, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(h));
    return names;
}

} // namespace

// The folder is private to the user, created on first use, the same on every
// call, and the length rule of the Windows call holds.
TEST(TempPath, PrivateFolderIsCreatedAndReused) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    EnvGuard runtime("XDG_RUNTIME_DIR", N(root.path()));
    EnvGuard tmp("TMPDIR", N(root.path()));

    const std::wstring expected = W(root.path()) + L"/zarvex/";
    wchar_t buf[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, buf);
    ASSERT_EQ(n, expected.size());
    EXPECT_EQ(std::wstring(buf), expected);
    EXPECT_TRUE(IsPrivateDir(expected));
    EXPECT_EQ(TempPath(), expected);

    // Too small: the size needed, terminating zero included, and the buffer untouched.
    wchar_t small[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(GetTempPathW(4, small), n + 1);
    EXPECT_EQ(small[0], L'x');
    EXPECT_EQ(GetTempPathW(0, nullptr), n + 1);
    std::wstring exact(n + 1, L'x');
    EXPECT_EQ(GetTempPathW(n + 1, exact.data()), n);
    EXPECT_EQ(exact.c_str(), expected);

    // Without a runtime folder the per-user name under TMPDIR is used.
    unsetenv("XDG_RUNTIME_DIR");
    const std::wstring underTmp = W(root.path()) + L"/zarvex-" + std::to_wstring(geteuid()) + L"/";
    EXPECT_EQ(TempPath(), underTmp);
    EXPECT_TRUE(IsPrivateDir(underTmp));
}

// A name somebody else could have prepared is never used: a link, a folder
// open to others, a folder of another owner, or a runtime folder open to all.
TEST(TempPath, UntrustedFoldersAreNotUsed) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString r = root.path();
    EnvGuard runtime("XDG_RUNTIME_DIR", N(r));
    EnvGuard tmp("TMPDIR", N(r));

    // A link to a private-looking folder in place of the runtime name.
    ASSERT_TRUE(QDir(r).mkdir("elsewhere"));
    ASSERT_EQ(chmod(N(r + "/elsewhere").c_str(), 0700), 0);
    ASSERT_EQ(symlink(N(r + "/elsewhere").c_str(), N(r + "/zarvex").c_str()), 0);
    const std::wstring perUser = W(r) + L"/zarvex-" + std::to_wstring(geteuid()) + L"/";
    EXPECT_EQ(TempPath(), perUser);
    EXPECT_TRUE(S_ISLNK(StatOf(W(r) + L"/zarvex").st_mode));

    // The per-user name open to everybody: a fresh folder of our own instead.
    ASSERT_EQ(chmod(N(r + "/zarvex-" + QString::number(geteuid())).c_str(), 0777), 0);
    const std::wstring fallback = TempPath();
    ASSERT_FALSE(fallback.empty());
    EXPECT_NE(fallback, perUser);
    EXPECT_EQ(fallback.rfind(W(r) + L"/zarvex-" + std::to_wstring(geteuid()) + L"-", 0), 0u);
    EXPECT_TRUE(IsPrivateDir(fallback));
    EXPECT_EQ(StatOf(perUser).st_mode & 0777, 0777u) << "the open folder is left as it was";
    EXPECT_EQ(TempPath(), fallback) << "the fresh folder is kept for later calls";

    if (geteuid() == 0) {
        // A folder of another owner, even a private one, is not ours.
        ASSERT_EQ(chown(zx::NativePath(fallback.c_str()).c_str(), 65534, 65534), 0);
        const std::wstring next = TempPath();
        EXPECT_NE(next, fallback);
        EXPECT_TRUE(IsPrivateDir(next));
    }

    // A runtime folder that others may write to is passed over entirely.
    ASSERT_TRUE(QDir(r).mkdir("open"));
    ASSERT_EQ(chmod(N(r + "/open").c_str(), 0777), 0);
    EnvGuard openRuntime("XDG_RUNTIME_DIR", N(r + "/open"));
    EXPECT_TRUE(IsPrivateDir(TempPath()));
    EXPECT_FALSE(QFileInfo::exists(r + "/open/zarvex"));
}

TEST(TempFileName, BuildsOrCreatesNamesAsWindowsDoes) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    EnvGuard runtime("XDG_RUNTIME_DIR", N(root.path()));
    const std::wstring dir = TempPath();
    ASSERT_FALSE(dir.empty());
    wchar_t out[MAX_PATH];

    // A given number only builds the name, the same one every time.
    EXPECT_EQ(GetTempFileNameW(dir.c_str(), L"NEW", 1, out), 1u);
    EXPECT_EQ(std::wstring(out), dir + L"NEW1.TMP");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdWString(out)));
    EXPECT_EQ(GetTempFileNameW(dir.c_str(), L"NEWER", 0x1A2B, out), 0x1A2Bu);
    EXPECT_EQ(std::wstring(out), dir + L"NEW1A2B.TMP");
    EXPECT_EQ(GetTempFileNameW(L"/some/folder", L"AB", 0xFF, out), 0xFFu);
    EXPECT_EQ(std::wstring(out), L"/some/folder/ABFF.TMP");
    EXPECT_EQ(GetTempFileNameW(L"C:\\tmp\\", nullptr, 7, out), 7u);
    EXPECT_EQ(std::wstring(out), L"C:\\tmp\\7.TMP");

    // Number 0: a new file each time, created empty and private.
    std::set<std::wstring> made;
    for (int i = 0; i < 3; ++i) {
        const UINT number = GetTempFileNameW(dir.c_str(), L"ZX", 0, out);
        ASSERT_NE(number, 0u);
        wchar_t hex[8];
        std::swprintf(hex, 8, L"%X", number);
        EXPECT_EQ(std::wstring(out), dir + L"ZX" + hex + L".TMP");
        const struct stat st = StatOf(out);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(st.st_size, 0);
        made.insert(out);
    }
    EXPECT_EQ(made.size(), 3u);

    SetLastError(0);
    EXPECT_EQ(GetTempFileNameW((dir + L"missing/").c_str(), L"ZX", 0, out), 0u);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    // A name that cannot fit MAX_PATH is refused before anything is written.
    const std::wstring longPath = L"/" + std::wstring(300, L'a') + L"/";
    out[0] = L'#';
    EXPECT_EQ(GetTempFileNameW(longPath.c_str(), L"NEW", 1, out), 0u);
    EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(out[0], L'#');
    EXPECT_EQ(GetTempFileNameW(nullptr, L"NEW", 1, out), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(DeleteFile, RemovesFilesOnlyAndReportsWhatIsMissing) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString file = root.path() + "/NEW1.pdf";
    Touch(file, "%PDF");
    EXPECT_TRUE(DeleteFileW(W(file).c_str()));
    EXPECT_FALSE(QFileInfo::exists(file));

    SetLastError(0);
    EXPECT_FALSE(DeleteFileW(W(file).c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFileW(W(root.path() + "/no/such.pdf").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    ASSERT_TRUE(QDir(root.path()).mkdir("folder"));
    EXPECT_FALSE(DeleteFileW(W(root.path() + "/folder").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(QFileInfo(root.path() + "/folder").isDir());

    // Backslashes separate folders too.
    Touch(root.path() + "/b.tmp");
    EXPECT_TRUE(DeleteFileW(zxtest::WithBackslashes(W(root.path() + "/b.tmp")).c_str()));
    EXPECT_FALSE(QFileInfo::exists(root.path() + "/b.tmp"));

    EXPECT_FALSE(DeleteFileW(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// A plug-in folder holds many look-alikes; the search must return exactly the
// entries whose names match, whatever their case.
TEST(FindFiles, ReturnsExactlyTheMatchingEntries) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString r = root.path();
    Touch(r + "/a.ctc", "12345");
    for (const char* name :
         {"B.CTC", "c.Ctc", "d.ctcx", "e.ctm", "ctc", "f.ctc.bak", "xctc", ".hidden.ctc"})
        Touch(r + "/" + name);
    ASSERT_TRUE(QDir(r).mkdir("sub.ctc"));
    ASSERT_TRUE(QDir(r).mkdir("inner"));
    Touch(r + "/inner/g.ctc");
    // A name that is not valid text cannot be handed out as a wide string.
    const int fd = open((N(r) + "/\xff.ctc").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    close(fd);

    const std::wstring folder = W(r) + L"/";
    EXPECT_EQ(FindAll(folder + L"*.ctc"),
              (std::set<std::wstring>{L"a.ctc", L"B.CTC", L"c.Ctc", L"sub.ctc", L".hidden.ctc"}));
    EXPECT_EQ(FindAll(folder + L"?.CT?"),
              (std::set<std::wstring>{L"a.ctc", L"B.CTC", L"c.Ctc", L"e.ctm"}));
    EXPECT_EQ(FindAll(folder + L"*ctc"),
              (std::set<std::wstring>{L"a.ctc", L"B.CTC", L"c.Ctc", L"sub.ctc", L".hidden.ctc",
                                      L"ctc", L"xctc"}));
    EXPECT_EQ(FindAll(folder + L"A.CTC"), (std::set<std::wstring>{L"a.ctc"}));
    EXPECT_EQ(FindAll(folder + L"*").size(), 11u);   // all but "." and ".." and the bad name
    EXPECT_EQ(FindAll(folder + L"*.*").size(), 11u); // as on Windows, also names without a dot

    // Windows-style separators.
    EXPECT_EQ(FindAll(zxtest::WithBackslashes(folder + L"*.ctm")),
              (std::set<std::wstring>{L"e.ctm"}));

    // What each entry says about itself.
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"*.ctc").c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    int seen = 0;
    do {
        const std::wstring name = data.cFileName;
        const bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        EXPECT_EQ(isDir, name == L"sub.ctc") << QString::fromStdWString(name).toStdString();
        EXPECT_EQ((data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0, name == L".hidden.ctc");
        if (name == L"a.ctc") {
            EXPECT_EQ(data.nFileSizeLow, 5u);
            EXPECT_EQ(data.nFileSizeHigh, 0u);
        }
        ++seen;
    } while (FindNextFileW(h, &data));
    EXPECT_EQ(seen, 5);
    // The end stays the end.
    EXPECT_FALSE(FindNextFileW(h, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(h));

    SetLastError(0);
    EXPECT_EQ(FindFirstFileW((folder + L"*.cap").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW((folder + L"missing/*.ctc").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW(folder.c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileW(nullptr, &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    unlink((N(r) + "/\xff.ctc").c_str()); // QTemporaryDir cannot remove it by name
}

// (Searches side by side: SearchesOnSeveralThreadsStayApart.)
TEST(FindFiles, ClosedAndBadHandlesFail) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    Touch(root.path() + "/1.ctp");
    const std::wstring pattern = W(root.path()) + L"/*.ctp";

    // A closed handle is dead, and stays dead when new searches start.
    WIN32_FIND_DATAW data;
    HANDLE closed = FindFirstFileW(pattern.c_str(), &data);
    ASSERT_NE(closed, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(closed));
    HANDLE next = FindFirstFileW(pattern.c_str(), &data);
    EXPECT_NE(next, closed);
    for (HANDLE bad :
         {closed, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE,
          reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1234)), static_cast<HANDLE>(&data)}) {
        SetLastError(0);
        EXPECT_FALSE(FindNextFileW(bad, &data));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(FindClose(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    EXPECT_TRUE(FindClose(next));
}

TEST(FindFiles, WildcardsFollowWindowsRules) {
    EXPECT_TRUE(zx::MatchesWildcard(L"abXcdYc", L"a*c*c"));
    EXPECT_FALSE(zx::MatchesWildcard(L"abXcdY", L"a*c*c"));
    EXPECT_TRUE(zx::MatchesWildcard(L"", L"*"));
    EXPECT_FALSE(zx::MatchesWildcard(L"", L"?"));
    EXPECT_TRUE(zx::MatchesWildcard(L"\u00C9T\u00C9.CTC", L"\u00E9t\u00E9.ctc"));
    EXPECT_TRUE(zx::MatchesWildcard(L"readme", L"readme.*"));
    EXPECT_FALSE(zx::MatchesWildcard(L"readme", L"readme.?"));
    // The 8.3 short-name quirk of Windows is deliberately not reproduced.
    EXPECT_FALSE(zx::MatchesWildcard(L"x.ctcx", L"*.ctc"));
}

// Board-link worker threads may search too; searches on several threads must
// neither mix up their handles nor race on the handle table.
TEST(FindFiles, SearchesOnSeveralThreadsStayApart) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    for (const char* name : {"1.ctc", "2.ctc", "3.ctc", "1.ctm"})
        Touch(root.path() + "/" + name);
    const std::wstring folder = W(root.path()) + L"/";
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const std::wstring pattern = folder + (t % 2 ? L"*.ctc" : L"*.ctm");
            const std::size_t expected = t % 2 ? 3 : 1;
            for (int i = 0; i < 50; ++i) {
                WIN32_FIND_DATAW data;
                HANDLE h = FindFirstFileW(pattern.c_str(), &data);
                std::size_t found = h == INVALID_HANDLE_VALUE ? 0 : 1;
                while (found && FindNextFileW(h, &data))
                    ++found;
                if (found != expected || !FindClose(h) || FindClose(h))
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}
