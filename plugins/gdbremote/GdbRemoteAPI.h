#pragma once
// CGdbRemoteAPI: the API object of gdbremote.ctc, the link to a board through
// a GDB server (GdbRemoteMap.h, docs/gdbremote.md). Its one object is
// constructed while the module loads (registering it in g_pAPI) and ends its
// life in Release or when the module is unloaded. Nothing connects before
// Open: loading the module, as the plug-in search does, reaches nobody.

#include "GdbConnection.h"
#include "GdbRemoteSettings.h"

#include "zarvexapp/command/API.h"

#include <string>

class CWorker;

class CGdbRemoteAPI final : public CAPI {
public:
    CGdbRemoteAPI();

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
    DWORD RunWorker(void* parameter);
    // Carries out one record's access; false when it failed (dwData then
    // holds the error value and the failure has been reported).
    bool Serve(UWM_API_COMMAND_MESSAGE* msg);
    bool Report(const UWM_API_COMMAND_MESSAGE* msg, const wchar_t* what,
                CGdbConnection::Result result);
    void PrintLine(const std::wstring& line, ULONG colour);
    UWM_API_COMMAND_MESSAGE* PostLocal(DWORD data, ULONG flags);
    void DiscardQueued();

    ULONG m_dwPreset = 0;
    // Read on the user-interface thread by Open, before the worker starts.
    CGdbRemoteSettings m_settings;
    bool m_bSettingsOk = false;
    std::wstring m_strSettingsProblem;
    // The worker thread's own.
    CGdbConnection m_link;
    bool m_bLossReported = false;
};
