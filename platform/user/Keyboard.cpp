#include "platform/Keyboard.h"

#include "platform/Resources.h"
#include "platform/WindowHandles.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwctype>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

// Input arrives on the user-interface thread only; the atomic keeps a read
// from another thread well-defined.
std::atomic<BYTE> g_keysHeld{0};

struct AcceleratorTables {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::vector<ACCEL>> tables;
    std::uintptr_t next = 1;
};

AcceleratorTables& Tables() {
    static auto* tables = new AcceleratorTables;
    return *tables;
}

HACCEL AddTable(std::vector<ACCEL> entries) {
    AcceleratorTables& t = Tables();
    std::lock_guard lock(t.mutex);
    const std::uintptr_t handle = (t.next++ << 4) | 0xA;
    t.tables.emplace(handle, std::move(entries));
    return reinterpret_cast<HACCEL>(handle);
}

bool Matches(const ACCEL& entry, const MSG& msg, BYTE held) {
    constexpr BYTE kModifiers = FSHIFT | FCONTROL | FALT;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return (entry.fVirt & FVIRTKEY) && entry.key == msg.wParam &&
               (entry.fVirt & kModifiers) == held;
    case WM_CHAR:
        return !(entry.fVirt & (FVIRTKEY | FALT)) && entry.key == msg.wParam;
    case WM_SYSCHAR:
        return (entry.fVirt & (FVIRTKEY | FALT)) == FALT &&
               std::towupper(entry.key) == std::towupper(static_cast<wint_t>(msg.wParam));
    default:
        return false;
    }
}

} // namespace

SHORT GetKeyState(int virtualKey) {
    BYTE bit = 0;
    switch (virtualKey) {
    case VK_SHIFT:
        bit = FSHIFT;
        break;
    case VK_CONTROL:
        bit = FCONTROL;
        break;
    case VK_MENU:
        bit = FALT;
        break;
    default:
        return 0;
    }
    return (g_keysHeld.load() & bit) ? static_cast<SHORT>(0x8000) : SHORT{0};
}

HACCEL LoadAcceleratorsW(HINSTANCE module, LPCWSTR name) {
    auto entries =
        zx::ParseAcceleratorTable(zx::ResourceBytesInChain(module, name, RT_ACCELERATOR));
    return entries ? AddTable(std::move(*entries)) : nullptr;
}

HACCEL LoadAccelerators(HINSTANCE module, LPCWSTR name) {
    return LoadAcceleratorsW(module, name);
}

HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count) {
    if (!entries || count <= 0)
        return nullptr;
    return AddTable(std::vector<ACCEL>(entries, entries + count));
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    AcceleratorTables& t = Tables();
    std::lock_guard lock(t.mutex);
    return t.tables.erase(reinterpret_cast<std::uintptr_t>(table)) != 0;
}

int CopyAcceleratorTableW(HACCEL table, LPACCEL entries, int count) {
    AcceleratorTables& t = Tables();
    std::lock_guard lock(t.mutex);
    const auto it = t.tables.find(reinterpret_cast<std::uintptr_t>(table));
    if (it == t.tables.end())
        return 0;
    const std::vector<ACCEL>& source = it->second;
    if (!entries)
        return static_cast<int>(source.size());
    const int copied = std::min(std::max(count, 0), static_cast<int>(source.size()));
    std::copy_n(source.begin(), copied, entries);
    return copied;
}

int TranslateAcceleratorW(HWND window, HACCEL table, LPMSG msg) {
    if (!window || !msg)
        return 0;
    WORD command = 0;
    bool found = false;
    {
        AcceleratorTables& t = Tables();
        std::lock_guard lock(t.mutex);
        const auto it = t.tables.find(reinterpret_cast<std::uintptr_t>(table));
        if (it == t.tables.end())
            return 0;
        const BYTE held = g_keysHeld.load();
        for (const ACCEL& entry : it->second) {
            if (Matches(entry, *msg, held)) {
                command = entry.cmd;
                found = true;
                break;
            }
        }
    }
    // Sent without the lock: the command may load or destroy tables.
    if (!found || !IsWindow(window))
        return 0;
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 1), 0);
    return 1;
}

int TranslateAccelerator(HWND window, HACCEL table, LPMSG msg) {
    return TranslateAcceleratorW(window, table, msg);
}

namespace zx {

void SetKeyModifiers(BYTE held) {
    g_keysHeld.store(held & (kKeyShift | kKeyControl | kKeyAlt));
}

} // namespace zx
