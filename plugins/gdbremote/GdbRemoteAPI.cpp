#include "GdbRemoteAPI.h"

#include "GdbRemoteMap.h"
#include "platform/Interlocked.h"
#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/WideText.h"
#include "zarvexapp/command/Worker.h"
#include "zarvexapp/contracts/Globals.h"

#include <bit>
#include <cstdint>
#include <cwchar>

namespace {

constexpr ULONG kRed = 0x000000FFu;
constexpr ULONG kBlack = 0;
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

// The module's one API object: made while the module loads, ended by Release
// or, failing that, when the module is unloaded.
CGdbRemoteAPI* g_pGdbRemote = nullptr;

struct ModuleLife {
    ModuleLife() { g_pGdbRemote = new CGdbRemoteAPI; }
    ~ModuleLife() {
        if (CGdbRemoteAPI* api = g_pGdbRemote) {
            g_pGdbRemote = nullptr;
            api->Stop();
            delete api;
        }
    }
} g_moduleLife;

// Words travel in the target's (little-endian) byte order.
DWORD LoadWord(const std::uint8_t* b) {
    return DWORD{b[0]} | DWORD{b[1]} << 8 | DWORD{b[2]} << 16 | DWORD{b[3]} << 24;
}
void StoreWord(std::uint8_t* b, DWORD v) {
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void ToTargetOrder(DWORD* words, DWORD count) {
    if constexpr (std::endian::native != std::endian::little)
        for (DWORD i = 0; i < count; ++i)
            StoreWord(reinterpret_cast<std::uint8_t*>(words + i), words[i]);
}
void FromTargetOrder(DWORD* words, DWORD count) {
    if constexpr (std::endian::native != std::endian::little)
        for (DWORD i = 0; i < count; ++i)
            words[i] = LoadWord(reinterpret_cast<const std::uint8_t*>(words + i));
}

std::wstring Hex32(DWORD value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08X", value);
    return text;
}

} // namespace

CGdbRemoteAPI::CGdbRemoteAPI()
    : m_link(
          [this] {
              return m_pWorkerInfo && zx::AtomicField(&m_pWorkerInfo->lExitRequest).load() != 0;
          },
          [this](const std::string& line) {
              PrintToDebugFile(L"%s\n", zx::Utf8ToWide(line).c_str());
          }) {
    m_iApiIndex = GDBREMOTE_API_INDEX;
}

bool CGdbRemoteAPI::Attach(WORKER_THREAD_INFO*, ULONG commsParameter) {
    m_dwPreset = commsParameter;
    if (!CGdbRemoteSettings::PresetName(commsParameter)) {
        PrintToDebugFile(L"##### ERROR : gdbremote: communications parameter %s names no board "
                         L"preset\n",
                         std::to_wstring(commsParameter).c_str());
        return false;
    }
    return true;
}

bool CGdbRemoteAPI::Open(WORKER_THREAD_INFO* info) {
    // Read at every start, so that a change the user made between runs counts.
    m_strSettingsProblem.clear();
    m_bSettingsOk = m_settings.Load(m_dwPreset, m_strSettingsProblem);
    SetThreadWorkerInfo(info);
    return Create(&CGdbRemoteAPI::WorkerThread, info);
}

void CGdbRemoteAPI::Release() {
    Stop();
    if (g_pGdbRemote == this)
        g_pGdbRemote = nullptr;
    delete this;
}

// ---- Interrupts (user-interface thread) -------------------------------------------

UWM_API_COMMAND_MESSAGE* CGdbRemoteAPI::PostLocal(DWORD data, ULONG flags) {
    auto* msg = new UWM_API_COMMAND_MESSAGE{};
    msg->uCommand = GDBREMOTE_CMD_LOCAL;
    msg->dwData = data;
    return PostRequest(msg, UWM_API_SINGLE_COMMAND, flags, g_pApplication, API_CALLBACK_APPLICATION,
                       nullptr);
}

UWM_API_COMMAND_MESSAGE* CGdbRemoteAPI::SetInterruptMask(ULONG mask, ULONG flag) {
    if (!m_settings.HasInterruptMask())
        return flag ? PostLocal(mask, API_FLAG_CALLBACK) : nullptr;
    if (flag == 0)
        return CAPI::WriteMemory(m_settings.m_dwInterruptMask, mask, 0xFFFFFFFFu, 0, nullptr,
                                 API_CALLBACK_NONE, nullptr);
    // Re-enabling: a masked write sets exactly these bits, and the record
    // comes back to the application with them in dwData.
    return CAPI::WriteMemory(m_settings.m_dwInterruptMask, mask, mask, API_FLAG_CALLBACK,
                             g_pApplication, API_CALLBACK_APPLICATION, nullptr);
}

UWM_API_COMMAND_MESSAGE* CGdbRemoteAPI::PollInterrupt() {
    if (!m_settings.HasInterruptStatus())
        return PostLocal(0, API_FLAG_CALLBACK);
    return CAPI::ReadMemory(m_settings.m_dwInterruptStatus, 0xFFFFFFFFu, API_FLAG_CALLBACK,
                            g_pApplication, API_CALLBACK_APPLICATION, nullptr);
}

// ---- Worker side: carrying out the accesses -----------------------------------------

void CGdbRemoteAPI::PrintLine(const std::wstring& line, ULONG colour) {
    // The text goes as the argument, never as the format: a '%' in a server's
    // answer prints as it is.
    Print(L"%s", (line + L"\n").c_str(), colour);
}

bool CGdbRemoteAPI::Report(const UWM_API_COMMAND_MESSAGE* msg, const wchar_t* what,
                           CGdbConnection::Result result) {
    using Result = CGdbConnection::Result;
    const DWORD address = msg->dwAddress;
    std::wstring line = L"gdbremote: " + std::wstring(what) + L" at " + Hex32(address);
    if (msg->uCommand == API_CMD_BURST_READ || msg->uCommand == API_CMD_BURST_WRITE)
        line += L" (" + std::to_wstring(msg->dwCount) + L" words)";
    line += L" failed: " + zx::Utf8ToWide(m_link.Error());
    if (result != Result::LinkDown) {
        PrintLine(line, kRed);
    } else if (m_link.Stopped() || m_bLossReported) {
        PrintToDebugFile(L"%s\n", line.c_str());
    } else {
        m_bLossReported = true;
        PrintLine(line + L"; the link to " + m_settings.Endpoint() +
                      L" is down and every request fails until the application is started "
                      L"again",
                  kRed);
    }
    return false;
}

bool CGdbRemoteAPI::Serve(UWM_API_COMMAND_MESSAGE* msg) {
    using Result = CGdbConnection::Result;
    std::uint8_t bytes[4];
    Result result = Result::Ok;
    switch (msg->uCommand) {
    case API_CMD_READ:
        result = m_link.Read(msg->dwAddress, bytes, 4);
        if (result != Result::Ok)
            break;
        msg->dwData = LoadWord(bytes) & msg->dwMask;
        return true;
    case API_CMD_WRITE: {
        const DWORD mask = msg->dwMask;
        if (mask == 0)
            return true;
        DWORD value = msg->dwData;
        if (mask != 0xFFFFFFFFu) {
            // Only the bits of the mask change: the word is read first.
            result = m_link.Read(msg->dwAddress, bytes, 4);
            if (result != Result::Ok)
                break;
            value = (LoadWord(bytes) & ~mask) | (value & mask);
        }
        StoreWord(bytes, value);
        result = m_link.Write(msg->dwAddress, bytes, 4);
        if (result != Result::Ok)
            break;
        return true;
    }
    case API_CMD_BURST_READ:
    case API_CMD_BURST_WRITE: {
        const bool write = msg->uCommand == API_CMD_BURST_WRITE;
        const std::uint64_t end = std::uint64_t{msg->dwAddress} + std::uint64_t{msg->dwCount} * 4;
        if (!msg->pdwBuffer || msg->dwCount == 0 || end > kAddressSpace) {
            PrintLine(L"gdbremote: burst " + std::wstring(write ? L"write" : L"read") + L" at " +
                          Hex32(msg->dwAddress) + L" (" + std::to_wstring(msg->dwCount) +
                          L" words) refused: " +
                          (msg->pdwBuffer ? L"it leaves the 32-bit address space or is empty"
                                          : L"no buffer"),
                      kRed);
            msg->dwData = GDBREMOTE_LINK_ERROR;
            return false;
        }
        auto* data = reinterpret_cast<std::uint8_t*>(msg->pdwBuffer);
        const size_t size = size_t{msg->dwCount} * 4;
        if (write) {
            ToTargetOrder(msg->pdwBuffer, msg->dwCount);
            result = m_link.Write(msg->dwAddress, data, size);
            FromTargetOrder(msg->pdwBuffer, msg->dwCount);
        } else {
            result = m_link.Read(msg->dwAddress, data, size);
            FromTargetOrder(msg->pdwBuffer, msg->dwCount);
        }
        if (result != Result::Ok)
            break;
        msg->dwData = 0;
        return true;
    }
    case GDBREMOTE_CMD_LOCAL:
        return true;
    case GDBREMOTE_CMD_I2C_WRITE:
    case GDBREMOTE_CMD_I2C_READ: {
        wchar_t device[8];
        std::swprintf(device, 8, L"0x%02X", msg->dwAddress & 0xFFu);
        PrintLine(std::wstring(L"gdbremote: I2C ") +
                      (msg->uCommand == GDBREMOTE_CMD_I2C_WRITE ? L"write to" : L"read from") +
                      L" device " + device + L" failed: the GDB remote link has no I2C bus",
                  kRed);
        msg->dwData = GDBREMOTE_NO_I2C;
        return false;
    }
    default:
        PrintLine(L"gdbremote: unknown command " + Hex32(msg->uCommand) + L" at " +
                      Hex32(msg->dwAddress) + L" refused",
                  kRed);
        msg->dwData = GDBREMOTE_LINK_ERROR;
        return false;
    }
    msg->dwData = result == Result::TargetError
                      ? GDBREMOTE_TARGET_ERROR(static_cast<DWORD>(m_link.TargetErrorCode()))
                      : GDBREMOTE_LINK_ERROR;
    const wchar_t* what = msg->uCommand == API_CMD_READ         ? L"read"
                          : msg->uCommand == API_CMD_WRITE      ? L"write"
                          : msg->uCommand == API_CMD_BURST_READ ? L"burst read"
                                                                : L"burst write";
    return Report(msg, what, result);
}

void CGdbRemoteAPI::WriteMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    Serve(msg);
    CAPI::WriteMemory(msg);
}

void CGdbRemoteAPI::ReadMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    Serve(msg);
    CAPI::ReadMemory(msg);
}

void CGdbRemoteAPI::BurstWriteMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    Serve(msg);
    CAPI::BurstWriteMemory(msg);
}

void CGdbRemoteAPI::BurstReadMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    Serve(msg);
    CAPI::BurstReadMemory(msg);
}

// ---- I2C request builders (user-interface thread) -----------------------------------

namespace {

UWM_API_COMMAND_MESSAGE* NewI2C(DWORD command, unsigned char address, DWORD subAddress, DWORD data,
                                unsigned int count) {
    auto* msg = new UWM_API_COMMAND_MESSAGE{};
    msg->uCommand = command;
    msg->dwAddress = address;
    msg->dwMask = subAddress;
    msg->dwData = data;
    msg->dwCount = count;
    return msg;
}

constexpr DWORD kNoSubAddress = 0xFFFFFFFFu;

} // namespace

UWM_API_COMMAND_MESSAGE* CGdbRemoteAPI::WriteI2CAddress(unsigned char address, ULONG data,
                                                        unsigned int count, ULONG flags,
                                                        void* target, t_API_MSG_CALLBACK_TYPE type,
                                                        void* userData) {
    return PostRequest(NewI2C(GDBREMOTE_CMD_I2C_WRITE, address, kNoSubAddress, data, count),
                       UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

UWM_API_COMMAND_MESSAGE* CGdbRemoteAPI::ReadI2CAddress(unsigned char address, unsigned int count,
                                                       ULONG flags, void* target,
                                                       t_API_MSG_CALLBACK_TYPE type,
                                                       void* userData) {
    return PostRequest(NewI2C(GDBREMOTE_CMD_I2C_READ, address, kNoSubAddress, 0, count),
                       UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

UWM_API_COMMAND_MESSAGE*
CGdbRemoteAPI::WriteI2CSubAddress(unsigned char address, unsigned char subAddress, ULONG data,
                                  unsigned int count, ULONG flags, void* target,
                                  t_API_MSG_CALLBACK_TYPE type, void* userData) {
    return PostRequest(NewI2C(GDBREMOTE_CMD_I2C_WRITE, address, subAddress, data, count),
                       UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

UWM_API_COMMAND_MESSAGE*
CGdbRemoteAPI::ReadI2CSubAddress(unsigned char address, unsigned char subAddress,
                                 unsigned int count, ULONG flags, void* target,
                                 t_API_MSG_CALLBACK_TYPE type, void* userData) {
    return PostRequest(NewI2C(GDBREMOTE_CMD_I2C_READ, address, subAddress, 0, count),
                       UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

// ---- The worker thread ------------------------------------------------------------

DWORD WINAPI CGdbRemoteAPI::WorkerThread(void* parameter) {
    CGdbRemoteAPI* api = g_pGdbRemote;
    return api ? api->RunWorker(parameter) : 1;
}

DWORD CGdbRemoteAPI::RunWorker(void* parameter) {
    CWorker worker(parameter, this);
    auto* info = static_cast<WORKER_THREAD_INFO*>(parameter);
    m_bLossReported = false;
    std::wstring problem = m_strSettingsProblem;
    bool ok = m_bSettingsOk;
    if (ok) {
        ok = m_link.Open(m_settings.ConnectionOptions());
        if (!ok)
            problem = L"no GDB server answers at " + m_settings.Endpoint() + L": " +
                      zx::Utf8ToWide(m_link.Error()) +
                      L". Start the server, or change Host and Port in the link's settings";
    }
    if (!ok) {
        PrintToDebugFile(L"##### ERROR : gdbremote: %s\n", problem.c_str());
        PrintLine(L"gdbremote: " + problem, kRed);
    } else {
        PrintLine(L"gdbremote: connected to the GDB server at " + m_settings.Endpoint() + L" (" +
                      CGdbRemoteSettings::PresetName(m_dwPreset) + L")",
                  kBlack);
    }
    worker.InitialisationComplete(ok);
    if (!ok)
        return 1;

    MSG msg;
    while (zx::AtomicField(&info->lExitRequest).load() == 0) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0)
            break;
        if (msg.message != UWM_API_SINGLE_COMMAND && msg.message != UWM_API_BURST_COMMAND) {
            worker.AddMessage(&msg);
            continue;
        }
        auto* record = reinterpret_cast<UWM_API_COMMAND_MESSAGE*>(msg.wParam);
        if (!record)
            continue;
        switch (record->uCommand) {
        case API_CMD_EXIT:
            delete record;
            DiscardQueued();
            m_link.Close();
            return 0;
        case API_CMD_WRITE:
        case GDBREMOTE_CMD_I2C_WRITE:
            worker.WriteMemory(record);
            break;
        case API_CMD_BURST_READ:
            worker.BurstReadMemory(record);
            break;
        case API_CMD_BURST_WRITE:
            worker.BurstWriteMemory(record);
            break;
        default:
            // Reads, the link's own records and unknown commands (which
            // fail) are completed as reads.
            worker.ReadMemory(record);
            break;
        }
    }
    DiscardQueued();
    m_link.Close();
    return 0;
}

void CGdbRemoteAPI::DiscardQueued() {
    // Requests still queued when the worker ends would be lost with its queue:
    // a waiting requester is released with the error value, the rest freed.
    // Refusing first closes the gap between the last look and the thread's end.
    zx::RefuseThreadMessages();
    MSG msg;
    unsigned int discarded = 0;
    while (PeekMessageW(&msg, nullptr, UWM_API_SINGLE_COMMAND, UWM_API_BURST_COMMAND, PM_REMOVE)) {
        auto* record = reinterpret_cast<UWM_API_COMMAND_MESSAGE*>(msg.wParam);
        if (!record)
            continue;
        ++discarded;
        if (record->dwFlags & API_FLAG_WAIT) {
            record->dwData = GDBREMOTE_LINK_ERROR;
            SetEvent(static_cast<HANDLE>(record->pEvent));
        } else {
            delete record;
        }
    }
    if (discarded)
        PrintToDebugFile(L"gdbremote: %s queued requests discarded at exit\n",
                         std::to_wstring(discarded).c_str());
}
