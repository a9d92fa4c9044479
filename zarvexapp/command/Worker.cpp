#include "zarvexapp/command/Worker.h"

#include "platform/Interlocked.h"
#include "platform/Threads.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"

namespace {

WORKER_THREAD_INFO* Record(void* p) {
    return static_cast<WORKER_THREAD_INFO*>(p);
}

} // namespace

CWorker::CWorker(void* threadParam, CAPI* api) : m_pWorkerInfo(threadParam), m_pAPI(api) {
    CreateQueue();
}

CWorker::~CWorker() = default;

void CWorker::CreateQueue() {
    // Peeking creates the queue: from now on the API's posts reach this thread.
    MSG msg;
    PeekMessageW(&msg, nullptr, UWM_API_SINGLE_COMMAND, UWM_API_SINGLE_COMMAND, PM_NOREMOVE);
    PrintToDebugFile(L"Worker:Connection established\n");
}

bool CWorker::CreateUILink() {
    CreateQueue();
    return true;
}

void CWorker::BreakUILink() {}

void CWorker::InitialisationComplete(bool ok) {
    WORKER_THREAD_INFO* info = Record(m_pWorkerInfo);
    if (info)
        InterlockedExchange(&info->lFlags,
                            ok ? (WORKER_INIT_DONE | WORKER_CREATION_OK) : WORKER_INIT_DONE);
    if (!ok)
        return;
    PrintToDebugFile(L"Suspending Worker Thread\n");
    SuspendThread(GetCurrentThread());
    PrintToDebugFile(L"Resumed Worker Thread\n");
}

void CWorker::RequestExit() {
    WORKER_THREAD_INFO* info = m_pAPI ? m_pAPI->m_pWorkerInfo : nullptr;
    if (info && info->hUIWnd)
        PostMessageW(info->hUIWnd, UWM_API_REQUEST_EXIT, 0, 0);
}

void CWorker::Print(const wchar_t* text, const wchar_t* text2, ULONG colour) {
    if (m_pAPI)
        m_pAPI->Print(text, text2, colour);
}

void CWorker::Print(const wchar_t* text, ULONG colour) {
    if (m_pAPI)
        m_pAPI->Print(text, nullptr, colour);
}

void CWorker::SetProgressRange(short range) {
    WORKER_THREAD_INFO* info = m_pAPI ? m_pAPI->m_pWorkerInfo : nullptr;
    if (!info)
        return;
    InterlockedExchange(&info->lProgressRange, static_cast<LONG>(range));
    InterlockedExchange(&info->lProgressRangeChanged, 1);
}

void CWorker::SetProgressValue(short value) {
    WORKER_THREAD_INFO* info = m_pAPI ? m_pAPI->m_pWorkerInfo : nullptr;
    if (info)
        InterlockedExchange(&info->lProgressValue, static_cast<LONG>(value));
}

void CWorker::IncrementProgress() {
    WORKER_THREAD_INFO* info = m_pAPI ? m_pAPI->m_pWorkerInfo : nullptr;
    if (info)
        InterlockedIncrement(&info->lProgressValue);
}

void CWorker::WriteMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    m_pAPI->WriteMemory(msg);
}
void CWorker::ReadMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    m_pAPI->ReadMemory(msg);
}
void CWorker::BurstWriteMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    m_pAPI->BurstWriteMemory(msg);
}
void CWorker::BurstReadMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    m_pAPI->BurstReadMemory(msg);
}

bool CWorker::AddMessage(tagMSG* msg) {
    return m_pAPI->AddMessage(msg);
}
bool CWorker::AddMessage(int id, tagMSG* msg) {
    return m_pAPI->AddMessage(id, msg);
}
bool CWorker::ProcessMessages() {
    return m_pAPI->ProcessMessages();
}

void CWorker::PrintToDebugFile(const wchar_t* format, const wchar_t* arg1, const wchar_t* arg2,
                               const wchar_t* arg3) {
    if (g_pZarvexConfig)
        g_pZarvexConfig->PrintToDebugFile(format, arg1, arg2, arg3);
}
