#include "SimBoardAPI.h"

#include "SimBoardMap.h"
#include "platform/Interlocked.h"
#include "platform/Messages.h"
#include "zarvexapp/command/Worker.h"
#include "zarvexapp/contracts/Globals.h"

#include <cstdint>
#include <cwchar>

namespace {

constexpr ULONG kRed = 0x000000FFu;

// The module's one API object: made while the module loads, ended by Release
// or, failing that, when the module is unloaded.
CSimBoardAPI* g_pSimBoard = nullptr;

struct ModuleLife {
    ModuleLife() { g_pSimBoard = new CSimBoardAPI; }
    ~ModuleLife() {
        if (CSimBoardAPI* api = g_pSimBoard) {
            g_pSimBoard = nullptr;
            api->Stop();
            delete api;
        }
    }
} g_moduleLife;

const wchar_t* Arg(std::uintptr_t v) {
    return reinterpret_cast<const wchar_t*>(v);
}

} // namespace

CSimBoardAPI::CSimBoardAPI() {
    m_iApiIndex = SIMBOARD_API_INDEX;
}

bool CSimBoardAPI::Attach(WORKER_THREAD_INFO*, ULONG commsParameter) {
    m_dwParameter = commsParameter;
    if (commsParameter >> 16) {
        PrintToDebugFile(L"##### ERROR : simboard: communications parameter 0x%x has reserved "
                         L"bits set\n",
                         Arg(commsParameter));
        return false;
    }
    return true;
}

bool CSimBoardAPI::Open(WORKER_THREAD_INFO* info) {
    SetThreadWorkerInfo(info);
    return Create(&CSimBoardAPI::WorkerThread, info);
}

void CSimBoardAPI::Release() {
    Stop();
    if (g_pSimBoard == this)
        g_pSimBoard = nullptr;
    delete this;
}

UWM_API_COMMAND_MESSAGE* CSimBoardAPI::SetInterruptMask(ULONG mask, ULONG flag) {
    if (flag == 0)
        return CAPI::WriteMemory(SIMBOARD_INTC_ENABLE, mask, 0xFFFFFFFFu, 0, nullptr,
                                 API_CALLBACK_NONE, nullptr);
    // Re-enabling: a masked write sets exactly these bits, and the record
    // comes back to the application with them in dwData.
    return CAPI::WriteMemory(SIMBOARD_INTC_ENABLE, mask, mask, API_FLAG_CALLBACK, g_pApplication,
                             API_CALLBACK_APPLICATION, nullptr);
}

UWM_API_COMMAND_MESSAGE* CSimBoardAPI::PollInterrupt() {
    return CAPI::ReadMemory(SIMBOARD_INTC_STATUS, 0xFFFFFFFFu, API_FLAG_CALLBACK, g_pApplication,
                            API_CALLBACK_APPLICATION, nullptr);
}

// ---- Worker side: carrying out the accesses -----------------------------------

void CSimBoardAPI::Fail(const UWM_API_COMMAND_MESSAGE* msg, const wchar_t* what) {
    wchar_t line[160];
    std::swprintf(line, 160, L"simboard: %ls failed at 0x%08X (command 0x%X, %u words)\n", what,
                  msg->dwAddress, msg->uCommand, msg->dwCount);
    Print(line, kRed);
}

void CSimBoardAPI::WriteMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    bool ok;
    if (msg->uCommand == SIMBOARD_CMD_I2C_WRITE)
        ok = m_board.I2CWrite(msg->dwAddress, msg->dwMask, msg->dwData, msg->dwCount);
    else
        ok = msg->uCommand == API_CMD_WRITE &&
             m_board.Write(msg->dwAddress, msg->dwData, msg->dwMask);
    if (!ok) {
        Fail(msg, msg->uCommand == SIMBOARD_CMD_I2C_WRITE ? L"I2C write" : L"write");
        msg->dwData = SIMBOARD_BUS_ERROR;
    }
    CAPI::WriteMemory(msg);
}

void CSimBoardAPI::ReadMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    DWORD value = 0;
    bool ok;
    if (msg->uCommand == SIMBOARD_CMD_I2C_READ)
        ok = m_board.I2CRead(msg->dwAddress, msg->dwMask, msg->dwCount, value);
    else
        ok = msg->uCommand == API_CMD_READ && m_board.Read(msg->dwAddress, msg->dwMask, value);
    if (!ok) {
        Fail(msg, msg->uCommand == SIMBOARD_CMD_I2C_READ ? L"I2C read" : L"read");
        value = SIMBOARD_BUS_ERROR;
    }
    msg->dwData = value;
    CAPI::ReadMemory(msg);
}

void CSimBoardAPI::BurstWriteMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    if (m_board.BurstWrite(msg->dwAddress, msg->pdwBuffer, msg->dwCount)) {
        msg->dwData = 0;
    } else {
        Fail(msg, L"burst write");
        msg->dwData = SIMBOARD_BUS_ERROR;
    }
    CAPI::BurstWriteMemory(msg);
}

void CSimBoardAPI::BurstReadMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    if (m_board.BurstRead(msg->dwAddress, msg->pdwBuffer, msg->dwCount)) {
        msg->dwData = 0;
    } else {
        Fail(msg, L"burst read");
        msg->dwData = SIMBOARD_BUS_ERROR;
    }
    CAPI::BurstReadMemory(msg);
}

// ---- I2C request builders (user-interface thread) -------------------------------

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

} // namespace

UWM_API_COMMAND_MESSAGE* CSimBoardAPI::WriteI2CAddress(unsigned char address, ULONG data,
                                                       unsigned int count, ULONG flags,
                                                       void* target, t_API_MSG_CALLBACK_TYPE type,
                                                       void* userData) {
    return PostRequest(
        NewI2C(SIMBOARD_CMD_I2C_WRITE, address, SIMBOARD_I2C_NO_SUBADDRESS, data, count),
        UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

UWM_API_COMMAND_MESSAGE* CSimBoardAPI::ReadI2CAddress(unsigned char address, unsigned int count,
                                                      ULONG flags, void* target,
                                                      t_API_MSG_CALLBACK_TYPE type,
                                                      void* userData) {
    return PostRequest(NewI2C(SIMBOARD_CMD_I2C_READ, address, SIMBOARD_I2C_NO_SUBADDRESS, 0, count),
                       UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

UWM_API_COMMAND_MESSAGE*
CSimBoardAPI::WriteI2CSubAddress(unsigned char address, unsigned char subAddress, ULONG data,
                                 unsigned int count, ULONG flags, void* target,
                                 t_API_MSG_CALLBACK_TYPE type, void* userData) {
    return PostRequest(NewI2C(SIMBOARD_CMD_I2C_WRITE, address, subAddress, data, count),
                       UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

UWM_API_COMMAND_MESSAGE* CSimBoardAPI::ReadI2CSubAddress(unsigned char address,
                                                         unsigned char subAddress,
                                                         unsigned int count, ULONG flags,
                                                         void* target, t_API_MSG_CALLBACK_TYPE type,
                                                         void* userData) {
    return PostRequest(NewI2C(SIMBOARD_CMD_I2C_READ, address, subAddress, 0, count),
                       UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

// ---- The worker thread ------------------------------------------------------------

DWORD WINAPI CSimBoardAPI::WorkerThread(void* parameter) {
    CSimBoardAPI* api = g_pSimBoard;
    return api ? api->RunWorker(parameter) : 1;
}

DWORD CSimBoardAPI::RunWorker(void* parameter) {
    CWorker worker(parameter, this);
    auto* info = static_cast<WORKER_THREAD_INFO*>(parameter);
    const bool ok = m_board.Configure(m_dwParameter);
    if (!ok) {
        PrintToDebugFile(L"##### ERROR : simboard: cannot set up a board for parameter 0x%x\n",
                         Arg(m_dwParameter));
        worker.Print(L"simboard: cannot set up the simulated board\n", kRed);
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
            DiscardQueuedRequests(SIMBOARD_BUS_ERROR);
            return 0;
        case API_CMD_READ:
        case SIMBOARD_CMD_I2C_READ:
            worker.ReadMemory(record);
            break;
        case API_CMD_WRITE:
        case SIMBOARD_CMD_I2C_WRITE:
            worker.WriteMemory(record);
            break;
        case API_CMD_BURST_READ:
            worker.BurstReadMemory(record);
            break;
        case API_CMD_BURST_WRITE:
            worker.BurstWriteMemory(record);
            break;
        default:
            // Unknown command: completed as a failed read so that whoever
            // waits or wants it back gets it.
            Fail(record, L"unknown command");
            record->dwData = SIMBOARD_BUS_ERROR;
            CAPI::ReadMemory(record);
            break;
        }
    }
    DiscardQueuedRequests(SIMBOARD_BUS_ERROR);
    return 0;
}
