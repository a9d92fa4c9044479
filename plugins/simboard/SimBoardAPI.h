#pragma once
// CSimBoardAPI: the API object of simboard.ctc, the simulated-board link.
// Its one object is constructed while the module loads (registering it in
// g_pAPI) and ends its life in Release or when the module is unloaded.

#include "SimBoard.h"
#include "zarvexapp/command/API.h"

class CSimBoardAPI final : public CAPI {
public:
    CSimBoardAPI();

    bool Open(WORKER_THREAD_INFO* info) override;
    bool Attach(WORKER_THREAD_INFO* info, ULONG commsParameter) override;
    void Release() override;
    UWM_API_COMMAND_MESSAGE* SetInterruptMask(ULONG mask, ULONG flag) override;
    UWM_API_COMMAND_MESSAGE* PollInterrupt() override;
    void WriteMemory(UWM_API_COMMAND_MESSAGE*& msg) override;
    void ReadMemory(UWM_API_COMMAND_MESSAGE*& msg) override;
    void BurstWriteMemory(UWM_API_COMMAND_MESSAGE*& msg) override;
    void BurstReadMemory(UWM_API_COMMAND_MESSAGE*& msg) override;
    UWM_API_COMMAND_MESSAGE* WriteI2CAddress(unsigned char address, ULONG data, unsigned int count,
                                             ULONG flags, void* target,
                                             t_API_MSG_CALLBACK_TYPE type, void* userData) override;
    UWM_API_COMMAND_MESSAGE* ReadI2CAddress(unsigned char address, unsigned int count, ULONG flags,
                                            void* target, t_API_MSG_CALLBACK_TYPE type,
                                            void* userData) override;
    UWM_API_COMMAND_MESSAGE* WriteI2CSubAddress(unsigned char address, unsigned char subAddress,
                                                ULONG data, unsigned int count, ULONG flags,
                                                void* target, t_API_MSG_CALLBACK_TYPE type,
                                                void* userData) override;
    UWM_API_COMMAND_MESSAGE* ReadI2CSubAddress(unsigned char address, unsigned char subAddress,
                                               unsigned int count, ULONG flags, void* target,
                                               t_API_MSG_CALLBACK_TYPE type,
                                               void* userData) override;

    // The requester overloads and builders of the base stay visible.
    using CAPI::BurstReadMemory;
    using CAPI::BurstWriteMemory;
    using CAPI::ReadI2CAddress;
    using CAPI::ReadI2CSubAddress;
    using CAPI::ReadMemory;
    using CAPI::WriteI2CAddress;
    using CAPI::WriteI2CSubAddress;
    using CAPI::WriteMemory;

    // The worker thread's routine (parameter: the WORKER_THREAD_INFO*).
    static DWORD WINAPI WorkerThread(void* parameter);

private:
    void Fail(const UWM_API_COMMAND_MESSAGE* msg, const wchar_t* what);
    DWORD RunWorker(void* parameter);

    ULONG m_dwParameter = 0;
    CSimBoard m_board;
};
