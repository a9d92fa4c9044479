#include "platform/Modules.h"

#include "platform/ElfFile.h"
#include "platform/KernelLog.h"
#include "platform/LastError.h"
#include "platform/Threads.h"
#include "platform/WideText.h"

#include <QtGlobal>

#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

Q_LOGGING_CATEGORY(lcModules, "zx.kernel.modules")

namespace {

constexpr char kResourceSymbol[] = "zx_module_resources";

// One per module the process has seen. Records are never freed, so that a
// handle stays a valid key after its module is gone.
struct ModuleRecord {
    std::string loaderName; // the name the dynamic loader knows it by; empty for the executable
    std::wstring path;
    bool process = false;
    void* handle = nullptr; // the loader's handle while LoadLibraryW references are held
    unsigned refs = 0;
};

struct ModuleTable {
    std::mutex mutex;
    std::unordered_map<std::string, std::unique_ptr<ModuleRecord>> byName;
    std::unordered_set<const ModuleRecord*> valid;
    ModuleRecord* process = nullptr;
};

// Never destroyed: libraries may free modules from their own static
// destructors at exit.
ModuleTable& Table() {
    static auto* table = new ModuleTable;
    return *table;
}

thread_local std::string t_loadError;

HMODULE ToHandle(ModuleRecord* record) {
    return reinterpret_cast<HMODULE>(record);
}

std::string ExecutablePath() {
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The dynamic loader orders its opens and closes with a lock of its own,
// which the thread sanitizer cannot see: a module freed by one thread's
// close after another thread read its link map would look like a race. Our
// calls into the loader take this lock as well, so that their order shows;
// the loader holds its lock for the whole of each call anyway, so this adds
// no wait between them that it does not already impose.
std::recursive_mutex& LoaderLock() {
    static auto* lock = new std::recursive_mutex; // outlives static destructors
    return *lock;
}

void* OpenModule(const char* path, int flags) {
    std::lock_guard lock(LoaderLock());
    return ::dlopen(path, flags);
}

void CloseModule(void* handle) {
    std::lock_guard lock(LoaderLock());
    ::dlclose(handle);
}

link_map* MapOf(void* handle) {
    link_map* map = nullptr;
    if (!handle || ::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0)
        return nullptr;
    return map;
}

link_map* MainMap() {
    static link_map* const map = MapOf(OpenModule(nullptr, RTLD_LAZY));
    return map;
}

// The link map of the module containing the address.
link_map* MapContaining(const void* address) {
    Dl_info info{};
    link_map* map = nullptr;
    if (!address || !::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP))
        return nullptr;
    return map;
}

ModuleRecord* ProcessRecord() {
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!table.process) {
        auto record = std::make_unique<ModuleRecord>();
        record->process = true;
        record->path = zx::Utf8ToWide(ExecutablePath());
        table.process = record.get();
        table.valid.insert(record.get());
        table.byName.emplace(std::string(), std::move(record));
    }
    return table.process;
}

// The record of a loaded module, made on first sight.
ModuleRecord* RecordFor(link_map* map) {
    if (!map)
        return nullptr;
    if (map == MainMap())
        return ProcessRecord();
    if (!map->l_name || !*map->l_name)
        return nullptr;
    const std::string name = map->l_name;
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.byName.find(name);
    if (it == table.byName.end()) {
        auto record = std::make_unique<ModuleRecord>();
        record->loaderName = name;
        record->path = zx::Utf8ToWide(name);
        table.valid.insert(record.get());
        it = table.byName.emplace(name, std::move(record)).first;
    }
    return it->second.get();
}

ModuleRecord* FindRecord(HMODULE module) {
    auto* record = reinterpret_cast<ModuleRecord*>(module);
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    return table.valid.count(record) ? record : nullptr;
}

// A reference to a module that keeps it loaded while a call uses it, taken
// only if it is loaded already.
class Pinned {
public:
    explicit Pinned(HMODULE module) {
        ModuleRecord* record = module ? FindRecord(module) : ProcessRecord();
        if (!record)
            return;
        if (record->process) {
            m_handle = OpenModule(nullptr, RTLD_LAZY);
        } else {
            std::string name;
            {
                std::lock_guard lock(Table().mutex);
                name = record->loaderName;
            }
            // When no loaded module has that name the loader opens the
            // file to compare it with the loaded ones, and would wait on a
            // FIFO put in place of an unloaded module.
            struct stat st {};
            if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
                return;
            m_handle = OpenModule(name.c_str(), RTLD_LAZY | RTLD_NOLOAD);
            if (!m_handle)
                ::dlerror(); // not loaded: no error to keep
        }
        m_map = MapOf(m_handle);
        m_record = m_map ? record : nullptr;
    }
    ~Pinned() {
        if (m_handle)
            CloseModule(m_handle);
    }
    Pinned(const Pinned&) = delete;
    Pinned& operator=(const Pinned&) = delete;

    explicit operator bool() const { return m_record != nullptr; }
    void* handle() const { return m_handle; }
    link_map* map() const { return m_map; }
    ModuleRecord* record() const { return m_record; }

private:
    void* m_handle = nullptr;
    link_map* m_map = nullptr;
    ModuleRecord* m_record = nullptr;
};

// Whether [address, address + size) lies in a readable loaded segment of
// the module.
bool InsideLoadedSegment(link_map* map, const void* address, size_t size) {
    struct Query {
        link_map* map;
        std::uintptr_t begin;
        std::uintptr_t end;
        bool inside;
    } query{map, reinterpret_cast<std::uintptr_t>(address),
            reinterpret_cast<std::uintptr_t>(address) + size, false};
    if (query.end < query.begin)
        return false;
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            auto* q = static_cast<Query*>(data);
            if (info->dlpi_addr != q->map->l_addr || info->dlpi_name != q->map->l_name)
                return 0;
            for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& ph = info->dlpi_phdr[i];
                if (ph.p_type != PT_LOAD || !(ph.p_flags & PF_R))
                    continue;
                const std::uintptr_t begin = info->dlpi_addr + ph.p_vaddr;
                if (q->begin >= begin && q->end <= begin + ph.p_memsz)
                    q->inside = true;
            }
            return 1;
        },
        &query);
    return query.inside;
}

// Whether a thread created through CreateThread still runs code of the module.
bool RunsLiveThread(link_map* map) {
    for (void* entry : zx::LiveThreadEntryPoints()) {
        if (MapContaining(entry) == map)
            return true;
    }
    return false;
}

DWORD CopyPath(const std::wstring& path, wchar_t* buffer, DWORD size) {
    if (size == 0 || !buffer) {
        SetLastError(size == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (path.size() < size) {
        std::wmemcpy(buffer, path.c_str(), path.size() + 1);
        SetLastError(ERROR_SUCCESS);
        return static_cast<DWORD>(path.size());
    }
    std::wmemcpy(buffer, path.c_str(), size - 1);
    buffer[size - 1] = L'\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

HMODULE LoadLibraryW(const wchar_t* fileName) {
    t_loadError.clear();
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string name = zx::WideToUtf8(fileName);
    std::string path;
    if (name.find('/') == std::string::npos) {
        path = zx::ExecutableFolder() + name;
    } else if (name.front() != '/') {
        // Absolute, so that the module keeps its name if the current
        // directory changes.
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        path = (std::filesystem::path(cwd) / name).lexically_normal().string();
    } else {
        path = name;
    }

    // Checked first even when the module is loaded already: the loader
    // would open a FIFO and wait for a writer to compare it with the loaded
    // files.
    switch (zx::CheckLoadableElf(path)) {
    case zx::ElfStatus::Ok:
        break;
    case zx::ElfStatus::NotFound:
        t_loadError = path + ": no such file";
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    case zx::ElfStatus::AccessDenied:
    case zx::ElfStatus::NotRegular:
        t_loadError = path + ": not a readable file";
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    default:
        t_loadError = path + ": not a loadable shared object of this machine";
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    void* handle = OpenModule(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = ::dlerror();
        t_loadError = error ? error : path + ": cannot be loaded";
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ModuleRecord* record = RecordFor(MapOf(handle));
    if (!record) {
        CloseModule(handle);
        t_loadError = path + ": loaded without a name";
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard lock(Table().mutex);
    record->handle = handle;
    ++record->refs;
    return ToHandle(record);
}

BOOL FreeLibrary(HMODULE module) {
    ModuleRecord* record = FindRecord(module);
    void* handle = nullptr;
    bool last = false;
    std::wstring path;
    {
        std::lock_guard lock(Table().mutex);
        if (!record || record->refs == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        handle = record->handle;
        last = --record->refs == 0;
        if (last)
            record->handle = nullptr;
        path = record->path;
    }
    if (last && RunsLiveThread(MapOf(handle))) {
        // Unmapping code that a thread runs would crash the process; the
        // module's reference is kept for the rest of the run instead.
        qCWarning(lcModules, "FreeLibrary: %s stays loaded: a running thread executes its code",
                  zx::WideToUtf8(path).c_str());
        return TRUE;
    }
    CloseModule(handle);
    return TRUE;
}

DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) {
    std::wstring path;
    if (!module) {
        path = ProcessRecord()->path;
    } else {
        Pinned pinned(module);
        if (!pinned) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        std::lock_guard lock(Table().mutex);
        path = pinned.record()->path;
    }
    return CopyPath(path, buffer, size);
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    // Exports by ordinal do not exist here.
    if (!name || IS_INTRESOURCE(name) || !*name) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    Pinned pinned(module);
    if (!pinned) {
        SetLastError(module ? ERROR_MOD_NOT_FOUND : ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    // dlsym also searches the libraries the module depends on.
    void* symbol = ::dlsym(pinned.handle(), name);
    if (!symbol || MapContaining(symbol) != pinned.map()) {
        ::dlerror();
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandleW(const wchar_t* moduleName) {
    if (!moduleName)
        return ToHandle(ProcessRecord());
    const std::string name = zx::WideToUtf8(moduleName);
    std::vector<std::string> candidates;
    if (name.find('/') != std::string::npos) {
        candidates.push_back(name);
    } else if (!name.empty()) {
        if (name == BaseName(ExecutablePath()))
            return ToHandle(ProcessRecord());
        candidates.push_back(zx::ExecutableFolder() + name);
        // Then the modules already loaded under that file name, wherever from.
        struct Search {
            std::string name;
            std::vector<std::string>* found;
        } search{name, &candidates};
        ::dl_iterate_phdr(
            [](dl_phdr_info* info, size_t, void* data) -> int {
                auto* s = static_cast<Search*>(data);
                if (info->dlpi_name && *info->dlpi_name && BaseName(info->dlpi_name) == s->name)
                    s->found->push_back(info->dlpi_name);
                return 0;
            },
            &search);
    }
    for (const std::string& candidate : candidates) {
        // Only regular files: the loader would wait on a FIFO.
        struct stat st {};
        if (::stat(candidate.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        void* handle = OpenModule(candidate.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (!handle) {
            ::dlerror();
            continue;
        }
        ModuleRecord* record = RecordFor(MapOf(handle));
        CloseModule(handle);
        if (record)
            return ToHandle(record);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

namespace zx {

HMODULE ModuleFromAddress(const void* address) {
    if (ModuleRecord* record = RecordFor(MapContaining(address)))
        return ToHandle(record);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

std::span<const BYTE> ModuleResourceSymbol(HMODULE module) {
    Pinned pinned(module);
    if (!pinned)
        return {};
    void* symbol = ::dlsym(pinned.handle(), kResourceSymbol);
    if (!symbol) {
        ::dlerror();
        return {};
    }
    // A module without resources would otherwise be given those of a
    // library it links, found through dlsym's search of its dependencies.
    if (MapContaining(symbol) != pinned.map())
        return {};
    Dl_info info{};
    ElfW(Sym)* entry = nullptr;
    if (!::dladdr1(symbol, &info, reinterpret_cast<void**>(&entry), RTLD_DL_SYMENT) || !entry ||
        info.dli_saddr != symbol)
        return {};
    const size_t size = entry->st_size;
    if (size < 8 || !InsideLoadedSegment(pinned.map(), symbol, size))
        return {};
    return {static_cast<const BYTE*>(symbol), size};
}

std::string ExecutableFolder() {
    static const std::string folder = [] {
        std::string path = ExecutablePath();
        return path.substr(0, path.rfind('/') + 1);
    }();
    return folder;
}

std::string LastLoadErrorText() {
    return t_loadError;
}

} // namespace zx
