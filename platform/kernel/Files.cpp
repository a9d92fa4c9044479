#include "platform/Files.h"

#include "platform/LastError.h"

#include <QChar>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- Paths ---------------------------------------------------------------

// Local file names the wide API can carry: decoding and encoding again must
// give the same bytes, or a caller could never open what it was given.
bool WideFromNative(const std::string& native, std::wstring& wide) {
    const QByteArray bytes = QByteArray::fromStdString(native);
    const QString text = QFile::decodeName(bytes);
    if (QFile::encodeName(text) != bytes)
        return false;
    wide = text.toStdWString();
    return true;
}

std::string ParentOf(const std::string& native) {
    const auto slash = native.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : native.substr(0, slash);
}

std::string Join(const std::string& dir, const std::string& name) {
    return (!dir.empty() && dir.back() == '/') ? dir + name : dir + "/" + name;
}

// Windows tells a missing file from a missing folder; callers report them differently.
DWORD ErrorFromErrno(int error, const std::string& native) {
    switch (error) {
    case ENOENT: {
        struct stat st;
        const std::string parent = ParentOf(native);
        return (stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? ERROR_FILE_NOT_FOUND
                                                                       : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default: // EACCES, EPERM, EROFS, EISDIR, EBUSY and the rest
        return ERROR_ACCESS_DENIED;
    }
}

// ---- Private temporary folder --------------------------------------------

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string WithoutTrailingSlashes(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

// A folder in which nobody else can swap our folder for one of theirs: it is
// ours or root's, and when others may write to it the sticky bit protects
// what we create there.
bool IsSafeParent(const std::string& dir) {
    struct stat st;
    if (dir.empty() || dir[0] != '/' || stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if (st.st_uid != geteuid() && st.st_uid != 0)
        return false;
    return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (st.st_mode & S_ISVTX) != 0;
}

// A real folder (never a link to one), owned by us and closed to everybody else.
bool IsPrivateFolder(const std::string& dir) {
    struct stat st;
    return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & 077) == 0;
}

bool EnsurePrivateFolder(const std::string& dir) {
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return IsPrivateFolder(dir);
}

std::mutex g_tempMutex;
// Folders made by mkdtemp when the usual name was taken, by that usual name,
// so that the same folder (and so the same file names) is used all along.
std::map<std::string, std::string> g_fallbackFolders;

std::string PrivateTempFolder() {
    const std::string uid = std::to_string(geteuid());
    std::vector<std::string> candidates;
    const std::string runtime = WithoutTrailingSlashes(Env("XDG_RUNTIME_DIR"));
    if (IsSafeParent(runtime))
        candidates.push_back(Join(runtime, "zarvex"));
    std::string base = WithoutTrailingSlashes(Env("TMPDIR"));
    if (!IsSafeParent(base))
        base = "/tmp";
    candidates.push_back(Join(base, "zarvex-" + uid));

    for (const auto& candidate : candidates) {
        if (EnsurePrivateFolder(candidate))
            return candidate;
    }

    // Every usual name is held by something we must not trust (a link, a
    // folder of someone else's, or one open to others): use a fresh folder.
    std::lock_guard lock(g_tempMutex);
    std::string& fallback = g_fallbackFolders[candidates.back()];
    if (!fallback.empty() && IsPrivateFolder(fallback))
        return fallback;
    fallback.clear();
    if (!IsSafeParent(base))
        return {};
    std::string pattern = Join(base, "zarvex-" + uid + "-XXXXXX");
    if (!mkdtemp(pattern.data()))
        return {};
    qWarning("Temporary folder %s is not private to this user; using %s instead",
             candidates.back().c_str(), pattern.c_str());
    fallback = pattern;
    return fallback;
}

// ---- Folder search ---------------------------------------------------------

struct FindState {
    std::mutex mutex;
    DIR* dir = nullptr;
    std::wstring pattern;
    ~FindState() {
        if (dir)
            closedir(dir);
    }
};

struct FindTable {
    std::mutex mutex;
    std::unordered_map<UINT_PTR, std::shared_ptr<FindState>> entries;
    // Handles are never reused, so a stale handle cannot reach a newer search.
    UINT_PTR next = 0x5A460000;
};

FindTable& Finds() {
    static FindTable table;
    return table;
}

std::shared_ptr<FindState> LookUp(HANDLE find) {
    auto& table = Finds();
    std::lock_guard lock(table.mutex);
    const auto it = table.entries.find(reinterpret_cast<UINT_PTR>(find));
    return it == table.entries.end() ? nullptr : it->second;
}

FILETIME ToFileTime(const struct timespec& ts) {
    // 100-nanosecond intervals since 1601-01-01.
    constexpr std::int64_t kEpochDifference = 11644473600LL;
    const std::uint64_t ticks =
        static_cast<std::uint64_t>(ts.tv_sec + kEpochDifference) * 10000000ULL +
        static_cast<std::uint64_t>(ts.tv_nsec / 100);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

void Fill(WIN32_FIND_DATAW* data, DIR* dir, const char* name, const std::wstring& wide) {
    *data = WIN32_FIND_DATAW{};
    struct stat st;
    const bool known = fstatat(dirfd(dir), name, &st, 0) == 0 ||
                       fstatat(dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    DWORD attributes = 0;
    if (known) {
        if (S_ISDIR(st.st_mode))
            attributes |= FILE_ATTRIBUTE_DIRECTORY;
        else if ((st.st_mode & S_IWUSR) == 0)
            attributes |= FILE_ATTRIBUTE_READONLY;
        if (S_ISLNK(st.st_mode))
            attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        if (!S_ISDIR(st.st_mode)) {
            const auto size = static_cast<std::uint64_t>(st.st_size);
            data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
            data->nFileSizeLow = static_cast<DWORD>(size);
        }
        data->ftCreationTime = ToFileTime(st.st_ctim);
        data->ftLastAccessTime = ToFileTime(st.st_atim);
        data->ftLastWriteTime = ToFileTime(st.st_mtim);
    }
    if (name[0] == '.')
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    data->dwFileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    std::wmemcpy(data->cFileName, wide.c_str(), wide.size() + 1);
}

bool NextMatch(FindState& state, WIN32_FIND_DATAW* data) {
    while (const dirent* entry = readdir(state.dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        std::wstring wide;
        if (!WideFromNative(name, wide) || wide.size() >= MAX_PATH)
            continue;
        if (!zx::MatchesWildcard(wide, state.pattern))
            continue;
        Fill(data, state.dir, name, wide);
        return true;
    }
    return false;
}

bool MatchFrom(const std::wstring& name, const std::wstring& pattern) {
    const auto fold = [](wchar_t c) { return QChar::toCaseFolded(static_cast<char32_t>(c)); };
    std::size_t n = 0, p = 0;
    std::size_t starP = std::wstring::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == L'?' || fold(pattern[p]) == fold(name[n]))) {
            ++n;
            ++p;
        } else if (starP != std::wstring::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

} // namespace

namespace zx {

std::string NativePath(const wchar_t* path) {
    if (!path)
        return {};
    QString text = QString::fromWCharArray(path);
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFile::encodeName(text).toStdString();
}

bool MatchesWildcard(const std::wstring& name, const std::wstring& pattern) {
    if (MatchFrom(name, pattern))
        return true;
    // As on Windows, "name.*" also finds "name" and "*.*" finds every name.
    const bool dotStar = pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, L".*") == 0;
    return dotStar && name.find(L'.') == std::wstring::npos &&
           MatchFrom(name, pattern.substr(0, pattern.size() - 2));
}

} // namespace zx

DWORD GetTempPathW(DWORD bufLen, wchar_t* buf) {
    if (!buf && bufLen != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string folder = PrivateTempFolder();
    std::wstring wide;
    if (folder.empty() || !WideFromNative(Join(folder, ""), wide)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    const auto length = static_cast<DWORD>(wide.size());
    if (bufLen < length + 1)
        return length + 1;
    std::wmemcpy(buf, wide.c_str(), wide.size() + 1);
    return length;
}

UINT GetTempFileNameW(const wchar_t* path, const wchar_t* prefix, UINT unique, wchar_t* out) {
    if (!path || !out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring head = path;
    if (!head.empty() && head.back() != L'/' && head.back() != L'\\')
        head += L'/';
    if (prefix)
        head.append(prefix, wcsnlen(prefix, 3));

    const auto nameFor = [&head](UINT number) {
        wchar_t hex[8];
        std::swprintf(hex, 8, L"%X", number & 0xFFFFu);
        return head + hex + L".TMP";
    };
    // The longest name this call can make must fit the caller's MAX_PATH buffer.
    if (nameFor(0xFFFF).size() >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }

    if (unique != 0) {
        const std::wstring name = nameFor(unique);
        std::wmemcpy(out, name.c_str(), name.size() + 1);
        return unique;
    }

    static std::atomic<UINT> s_next{static_cast<UINT>(getpid()) ^
                                    static_cast<UINT>(std::time(nullptr))};
    const UINT start = s_next.fetch_add(1);
    for (UINT i = 0; i < 0x10000u; ++i) {
        const UINT number = (start + i) & 0xFFFFu;
        if (number == 0)
            continue;
        const std::wstring name = nameFor(number);
        const std::string native = zx::NativePath(name.c_str());
        const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            std::wmemcpy(out, name.c_str(), name.size() + 1);
            return number;
        }
        if (errno != EEXIST) {
            SetLastError(ErrorFromErrno(errno, native));
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

BOOL DeleteFileW(const wchar_t* fileName) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string native = zx::NativePath(fileName);
    struct stat st;
    if (lstat(native.c_str(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno, native));
        return FALSE;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(native.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno, native));
        return FALSE;
    }
    return TRUE;
}

HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
    if (!pattern || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::wstring text = pattern;
    for (auto& c : text) {
        if (c == L'\\')
            c = L'/';
    }
    const auto slash = text.rfind(L'/');
    const std::wstring folder = slash == std::wstring::npos ? L"" : text.substr(0, slash + 1);
    auto state = std::make_shared<FindState>();
    state->pattern = slash == std::wstring::npos ? text : text.substr(slash + 1);

    const std::string native = folder.empty() ? std::string(".") : zx::NativePath(folder.c_str());
    state->dir = opendir(native.c_str());
    if (!state->dir) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                         : ErrorFromErrno(errno, native));
        return INVALID_HANDLE_VALUE;
    }
    if (state->pattern.empty() || !NextMatch(*state, data)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    auto& table = Finds();
    std::lock_guard lock(table.mutex);
    const UINT_PTR id = table.next;
    table.next += 4;
    table.entries.emplace(id, std::move(state));
    return reinterpret_cast<HANDLE>(id);
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
    const auto state = LookUp(find);
    if (!state) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(state->mutex);
    if (!NextMatch(*state, data)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL FindClose(HANDLE find) {
    auto& table = Finds();
    std::shared_ptr<FindState> state; // closed outside the table's lock
    {
        std::lock_guard lock(table.mutex);
        const auto it = table.entries.find(reinterpret_cast<UINT_PTR>(find));
        if (it == table.entries.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        state = std::move(it->second);
        table.entries.erase(it);
    }
    return TRUE;
}
