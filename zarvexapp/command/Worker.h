#pragma once
// CWorker: what a communications plug-in's worker thread holds. It ties the
// thread to the application's WORKER_THREAD_INFO and to the plug-in's CAPI
// object, creates the thread's message queue, reports the start-up verdict
// and forwards print text, progress and command completion to the API.
// Two pointers, no ownership, no virtual operations.

#include "platform/Messages.h"
#include "platform/WinTypes.h"
#include "zarvexapp/command/ApiCommandMessage.h"

class CAPI;

class CWorker {
public:
    CWorker(void* threadParam, CAPI* api);
    ~CWorker();
    CWorker(const CWorker&) = default;
    CWorker& operator=(const CWorker&) = default;

    bool CreateUILink();
    void BreakUILink();
    // Stores the verdict; on success the calling thread then suspends itself
    // until CAPI::HardwareReset resumes it.
    void InitialisationComplete(bool ok);
    void RequestExit();

    void Print(const wchar_t* text, const wchar_t* text2, ULONG colour);
    void Print(const wchar_t* text, ULONG colour);
    void SetProgressRange(short range);
    void SetProgressValue(short value);
    void IncrementProgress();

    // Completion of a finished command through the API's slots 8 to 11. The
    // record must not be touched afterwards: it may be freed (msg is then null).
    void WriteMemory(UWM_API_COMMAND_MESSAGE*& msg);
    void ReadMemory(UWM_API_COMMAND_MESSAGE*& msg);
    void BurstWriteMemory(UWM_API_COMMAND_MESSAGE*& msg);
    void BurstReadMemory(UWM_API_COMMAND_MESSAGE*& msg);

    bool AddMessage(tagMSG* msg);
    bool AddMessage(int id, tagMSG* msg);
    bool ProcessMessages();

protected:
    void PrintToDebugFile(const wchar_t* format, const wchar_t* arg1 = nullptr,
                          const wchar_t* arg2 = nullptr, const wchar_t* arg3 = nullptr);

    void* m_pWorkerInfo; // the thread's start parameter: a WORKER_THREAD_INFO*
    CAPI* m_pAPI;

private:
    void CreateQueue();
};
