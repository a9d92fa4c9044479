#pragma once
// CAPI: the base of every communications plug-in (.ctc). The plug-in derives
// its own API class and constructs its one object while its module loads; the
// constructor registers it in g_pAPI. On the user-interface thread CAPI builds
// request records and posts them to the plug-in's worker thread; on the worker
// thread its completion routine hands finished records back.
//
// The order of the virtual operations below is a binary interface with
// plug-ins built separately: never reorder, insert or remove one. The
// destructor is deliberately not virtual.

#include "platform/Messages.h"
#include "platform/WinTypes.h"
#include "zarvexapp/command/ApiCommandMessage.h"

class CPageBase;
class CZarvexAppBase;

class CAPI {
public:
    CAPI();
    ~CAPI();
    CAPI(const CAPI&) = delete;
    CAPI& operator=(const CAPI&) = delete;

    // ---- Virtual operations, in slot order ---------------------------------
    /* 0 */ virtual void SetApiInfo(void* const p);
    /* 1 */ virtual bool Open(WORKER_THREAD_INFO* info) = 0;
    /* 2 */ virtual bool Attach(WORKER_THREAD_INFO* info, ULONG commsParameter) = 0;
    /* 3 */ virtual bool HardwareReset(bool reset);
    /* 4 */ virtual void Release() = 0;
    /* 5 */ virtual UWM_API_COMMAND_MESSAGE* SetInterruptMask(ULONG mask, ULONG flag) = 0;
    /* 6 */ virtual UWM_API_COMMAND_MESSAGE* PollInterrupt() = 0;
    /* 7 */ virtual void OnTimer(unsigned int id);
    // Slots 8 to 11: the plug-in carries out the access, then calls the body
    // here (the completion routine) to signal, post back or free the record.
    /* 8 */ virtual void WriteMemory(UWM_API_COMMAND_MESSAGE*& msg) = 0;
    /* 9 */ virtual void ReadMemory(UWM_API_COMMAND_MESSAGE*& msg) = 0;
    /* 10 */ virtual void BurstWriteMemory(UWM_API_COMMAND_MESSAGE*& msg) = 0;
    /* 11 */ virtual void BurstReadMemory(UWM_API_COMMAND_MESSAGE*& msg) = 0;
    /* 12 */ virtual UWM_API_COMMAND_MESSAGE*
    WriteI2CAddress(unsigned char address, ULONG data, unsigned int count, ULONG flags,
                    void* target, t_API_MSG_CALLBACK_TYPE type, void* userData) = 0;
    /* 13 */ virtual UWM_API_COMMAND_MESSAGE*
    ReadI2CAddress(unsigned char address, unsigned int count, ULONG flags, void* target,
                   t_API_MSG_CALLBACK_TYPE type, void* userData) = 0;
    /* 14 */ virtual UWM_API_COMMAND_MESSAGE*
    WriteI2CSubAddress(unsigned char address, unsigned char subAddress, ULONG data,
                       unsigned int count, ULONG flags, void* target, t_API_MSG_CALLBACK_TYPE type,
                       void* userData) = 0;
    /* 15 */ virtual UWM_API_COMMAND_MESSAGE*
    ReadI2CSubAddress(unsigned char address, unsigned char subAddress, unsigned int count,
                      ULONG flags, void* target, t_API_MSG_CALLBACK_TYPE type, void* userData) = 0;
    /* 16 */ virtual bool AddMessage(int id, tagMSG* msg);
    /* 17 */ virtual bool AddMessage(tagMSG* msg);
    /* 18 */ virtual bool ProcessMessages();

    // ---- Registration and worker thread control (user-interface thread) -----
    int GetApiIndex();
    void SetThreadWorkerInfo(WORKER_THREAD_INFO* info);
    // Starts the worker with m_pWorkerInfo as its parameter and pumps this
    // thread's messages until the worker reports its verdict (or its thread
    // ends without one). `info` is not consulted.
    bool Create(DWORD(WINAPI* threadProc)(void*), WORKER_THREAD_INFO* info);
    // Exit flag, exit record, up to 10000 ms for the thread to end, then kill.
    bool Stop();
    bool Terminate();
    void RequestExit();

    // ---- Printing and progress (any thread) ----------------------------------
    void Print(const wchar_t* text, const wchar_t* text2, ULONG colour);
    void Print(const wchar_t* text, ULONG colour);
    void SetProgressRange(unsigned int range);
    void SetProgressValue(unsigned int value);
    void SetProgressDivisor(unsigned int divisor);
    void IncrementProgress();
    unsigned int GetProgressValue();
    int GetProgressRange();

    void PrintToDebugFile(const wchar_t* format, const wchar_t* arg1 = nullptr,
                          const wchar_t* arg2 = nullptr, const wchar_t* arg3 = nullptr);

    // ---- Requests by requester (user-interface thread) ----------------------
    UWM_API_COMMAND_MESSAGE* WriteMemory(CPageBase* page, ULONG address, ULONG data, ULONG mask,
                                         ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* WriteMemory(CZarvexAppBase* app, ULONG address, ULONG data, ULONG mask,
                                         ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* ReadMemory(CPageBase* page, ULONG address, ULONG mask, ULONG flags,
                                        void* userData);
    UWM_API_COMMAND_MESSAGE* ReadMemory(CZarvexAppBase* app, ULONG address, ULONG mask, ULONG flags,
                                        void* userData);
    UWM_API_COMMAND_MESSAGE* BurstWriteMemory(CPageBase* page, ULONG address, ULONG* buffer,
                                              ULONG count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* BurstWriteMemory(CZarvexAppBase* app, ULONG address, ULONG* buffer,
                                              ULONG count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* BurstReadMemory(CPageBase* page, ULONG address, ULONG* buffer,
                                             ULONG count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* BurstReadMemory(CZarvexAppBase* app, ULONG address, ULONG* buffer,
                                             ULONG count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* WriteI2CAddress(CPageBase* page, unsigned char address, ULONG data,
                                             unsigned int count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* WriteI2CAddress(CZarvexAppBase* app, unsigned char address, ULONG data,
                                             unsigned int count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* ReadI2CAddress(CPageBase* page, unsigned char address,
                                            unsigned int count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* ReadI2CAddress(CZarvexAppBase* app, unsigned char address,
                                            unsigned int count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* WriteI2CSubAddress(CPageBase* page, unsigned char address,
                                                unsigned char subAddress, ULONG data,
                                                unsigned int count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* WriteI2CSubAddress(CZarvexAppBase* app, unsigned char address,
                                                unsigned char subAddress, ULONG data,
                                                unsigned int count, ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* ReadI2CSubAddress(CPageBase* page, unsigned char address,
                                               unsigned char subAddress, unsigned int count,
                                               ULONG flags, void* userData);
    UWM_API_COMMAND_MESSAGE* ReadI2CSubAddress(CZarvexAppBase* app, unsigned char address,
                                               unsigned char subAddress, unsigned int count,
                                               ULONG flags, void* userData);

    WORKER_THREAD_INFO* m_pWorkerInfo;
    HANDLE m_hThread;
    DWORD m_dwThreadId;
    int m_iApiIndex;
    HANDLE m_Event; // auto-reset completion event of waiting requests

protected:
    // The request builders. Each returns the record it posted; a record that
    // could not be posted (no worker thread, or its thread ended) is freed,
    // logged and reported as null.
    UWM_API_COMMAND_MESSAGE* WriteMemory(ULONG address, ULONG data, ULONG mask, ULONG flags,
                                         void* target, t_API_MSG_CALLBACK_TYPE type,
                                         void* userData);
    UWM_API_COMMAND_MESSAGE* ReadMemory(ULONG address, ULONG mask, ULONG flags, void* target,
                                        t_API_MSG_CALLBACK_TYPE type, void* userData);
    UWM_API_COMMAND_MESSAGE* BurstWriteMemory(ULONG address, ULONG* buffer, ULONG count,
                                              ULONG flags, void* target,
                                              t_API_MSG_CALLBACK_TYPE type, void* userData);
    UWM_API_COMMAND_MESSAGE* BurstReadMemory(ULONG address, ULONG* buffer, ULONG count, ULONG flags,
                                             void* target, t_API_MSG_CALLBACK_TYPE type,
                                             void* userData);

    // The shared tail of every builder, for the plug-in's own (I2C) builders
    // too: takes a zero-filled record whose command fields are set, fills in
    // flags, user data, event and call-back target, posts it as `message`
    // (retrying every 10 ms while the worker's queue is not there yet) and,
    // with API_FLAG_WAIT, waits for its completion.
    UWM_API_COMMAND_MESSAGE* PostRequest(UWM_API_COMMAND_MESSAGE* msg, UINT message, ULONG flags,
                                         void* target, t_API_MSG_CALLBACK_TYPE type,
                                         void* userData);

    // For the worker thread, last thing before its routine returns: refuses
    // later posts to the thread (their senders keep their records), then
    // takes the requests still queued, which would be lost with the queue. A
    // waiting requester is released with `error` in dwData; the other records
    // are freed. Logs how many there were.
    void DiscardQueuedRequests(DWORD error);

private:
    void Complete(UWM_API_COMMAND_MESSAGE*& msg);
    bool WorkerEnded() const;
};
