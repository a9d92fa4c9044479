#include "zarvexapp/command/API.h"

#include "platform/Interlocked.h"
#include "platform/String.h"
#include "platform/Sync.h"
#include "platform/Threads.h"
#include "zarvexapp/command/CallbackTargets.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"

#include <cstdint>
#include <string>

namespace {

// A waiting request checks this often whether its worker thread is still
// there, so that a worker that died with the request cannot block the
// user-interface thread for ever. The wake-up itself is the event.
constexpr DWORD kWaitSliceMs = 100;
constexpr DWORD kPostRetryMs = 10;
constexpr DWORD kStopLimitMs = 10000;
// How often the start-up handshake looks at the worker's flags while no
// message arrives: the worker sets them without posting anything.
constexpr UINT kHandshakePollMs = 5;

LONG ReadField(LONG& field) {
    return zx::AtomicField(&field).load();
}

} // namespace

CAPI::CAPI()
    : m_pWorkerInfo(nullptr), m_hThread(nullptr), m_dwThreadId(0), m_iApiIndex(-1),
      m_Event(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (g_pAPI && g_pZarvexConfig)
        PrintToDebugFile(L"##### ERROR : g_pAPI not NULL when this API was created!\n\n");
    g_pAPI = this;
}

CAPI::~CAPI() {
    PrintToDebugFile(L"Target Communications Close complete\n----------------------------\n");
    g_pAPI = nullptr;
    if (m_hThread) {
        // A plug-in that never stopped its worker: the handle at least goes.
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    if (m_Event)
        CloseHandle(m_Event);
}

// ---- Virtual operations with a body ----------------------------------------

void CAPI::SetApiInfo(void* const p) {
    if (m_pWorkerInfo)
        m_pWorkerInfo->pApiInfo = p;
    else
        PrintToDebugFile(L"##### ERROR : CAPI::SetApiInfo called without a worker record\n");
}

bool CAPI::HardwareReset(bool) {
    if (m_hThread)
        ResumeThread(m_hThread);
    return true;
}

void CAPI::OnTimer(unsigned int) {}

void CAPI::WriteMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    Complete(msg);
}
void CAPI::ReadMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    Complete(msg);
}
void CAPI::BurstWriteMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    Complete(msg);
}
void CAPI::BurstReadMemory(UWM_API_COMMAND_MESSAGE*& msg) {
    Complete(msg);
}

bool CAPI::AddMessage(int, tagMSG*) {
    return false;
}
bool CAPI::AddMessage(tagMSG*) {
    return false;
}
bool CAPI::ProcessMessages() {
    return false;
}

// ---- Completion (worker thread) --------------------------------------------

void CAPI::Complete(UWM_API_COMMAND_MESSAGE*& msg) {
    if (!msg)
        return;
    const DWORD flags = msg->dwFlags;
    if (flags & API_FLAG_WAIT) {
        // From here on the record belongs to the waiting requester.
        SetEvent(static_cast<HANDLE>(msg->pEvent));
    }
    if (flags & API_FLAG_CALLBACK) {
        HWND window = m_pWorkerInfo ? m_pWorkerInfo->hUIWnd : nullptr;
        if (PostMessageW(window, UWM_API_CALLBACK, reinterpret_cast<WPARAM>(msg), 0))
            return;
        // Nobody will ever receive it: the host window is gone.
        PrintToDebugFile(L"##### ERROR : call-back could not be posted, request dropped\n");
        if (!(flags & API_FLAG_WAIT)) {
            delete msg;
            msg = nullptr;
        }
        return;
    }
    if (!(flags & API_FLAG_WAIT)) {
        delete msg;
        msg = nullptr;
    }
}

// ---- Registration and worker thread control ---------------------------------

int CAPI::GetApiIndex() {
    return m_iApiIndex;
}

void CAPI::SetThreadWorkerInfo(WORKER_THREAD_INFO* info) {
    m_pWorkerInfo = info;
    if (info)
        InterlockedIncrement(&info->lLinkCount);
}

bool CAPI::WorkerEnded() const {
    // Asked without waiting on the thread object: this runs on every failed
    // post and every slice of a waiting request.
    DWORD code = 0;
    return !m_hThread || !GetExitCodeThread(m_hThread, &code) || code != STILL_ACTIVE;
}

bool CAPI::Create(DWORD(WINAPI* threadProc)(void*), WORKER_THREAD_INFO*) {
    PrintToDebugFile(L"UI:Creating worker thread .... \n");
    if (!m_pWorkerInfo) {
        PrintToDebugFile(L"##### ERROR : CAPI::Create called without a worker record\n");
        return false;
    }
    if (m_hThread && !WorkerEnded()) {
        PrintToDebugFile(L"##### ERROR : CAPI::Create called while a worker thread runs\n");
        return false;
    }
    if (m_hThread) {
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    InterlockedExchange(&m_pWorkerInfo->lFlags, 0);
    InterlockedExchange(&m_pWorkerInfo->lExitRequest, 0);

    DWORD threadId = 0;
    m_hThread =
        threadProc ? CreateThread(nullptr, 0, threadProc, m_pWorkerInfo, 0, &threadId) : nullptr;
    m_dwThreadId = m_hThread ? threadId : 0;
    if (!m_hThread) {
        PrintToDebugFile(L"UI:Could not create worker thread!\n");
        return false;
    }
    PrintToDebugFile(L"UI:Created Worker Thread.\n");

    // The worker stores its verdict without posting anything, so a timer of
    // this thread keeps the pump turning while it waits; a worker whose thread
    // ends without a verdict has failed.
    const UINT_PTR timer = SetTimer(nullptr, 0, kHandshakePollMs, nullptr);
    bool ended = false;
    while (!(ReadField(m_pWorkerInfo->lFlags) & WORKER_INIT_DONE)) {
        if (WorkerEnded()) {
            ended = !(ReadField(m_pWorkerInfo->lFlags) & WORKER_INIT_DONE);
            break;
        }
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Leave the quit for the loop that owns this thread.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (timer)
        KillTimer(nullptr, timer);
    if (ended)
        PrintToDebugFile(L"##### ERROR : worker thread ended without reporting\n");

    const bool ok = (ReadField(m_pWorkerInfo->lFlags) & WORKER_CREATION_OK) != 0;
    PrintToDebugFile(ok ? L"UI:Worker Thread returned with GOOD CreationOK flag.\n"
                        : L"UI:Worker Thread returned BAD CreationOK flag.\n");
    return ok;
}

bool CAPI::Stop() {
    if (m_pWorkerInfo) {
        InterlockedExchange(&m_pWorkerInfo->lExitRequest, 1);
        if (m_dwThreadId) {
            if (ReadField(m_pWorkerInfo->lFlags) & WORKER_CREATION_OK) {
                auto* exitMsg = new UWM_API_COMMAND_MESSAGE{};
                exitMsg->uCommand = API_CMD_EXIT;
                if (!PostThreadMessageW(m_dwThreadId, UWM_API_SINGLE_COMMAND,
                                        reinterpret_cast<WPARAM>(exitMsg), 0))
                    delete exitMsg; // the worker's queue is already gone
            }
            m_dwThreadId = 0;
        }
    }
    if (m_hThread) {
        if (WaitForSingleObject(m_hThread, kStopLimitMs) != WAIT_OBJECT_0) {
            PrintToDebugFile(L"##### ERROR : worker thread did not end within 10000 ms, "
                             L"terminating it\n");
            TerminateThread(m_hThread, 0);
        }
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    return true;
}

bool CAPI::Terminate() {
    if (m_hThread) {
        TerminateThread(m_hThread, 0);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    m_dwThreadId = 0;
    return true;
}

void CAPI::RequestExit() {
    if (m_pWorkerInfo && m_pWorkerInfo->hUIWnd)
        PostMessageW(m_pWorkerInfo->hUIWnd, UWM_API_REQUEST_EXIT, 0, 0);
}

// ---- Printing and progress ---------------------------------------------------

void CAPI::Print(const wchar_t* text, const wchar_t* text2, ULONG colour) {
    // The text is the entry's format, so a "%s" in it takes text2, as the
    // print window shows it.
    CString line(L"Sending message : ");
    line += text ? text : L"";
    line += L"\n";
    PrintToDebugFile(line, text2);
    if (!m_pWorkerInfo || !m_pWorkerInfo->hUIWnd)
        return;
    auto* record = new UWM_API_PRINT_MESSAGE{colour, new CString(text), new CString(text2)};
    if (!PostMessageW(m_pWorkerInfo->hUIWnd, UWM_API_PRINT, reinterpret_cast<WPARAM>(record), 0)) {
        delete record->pText;
        delete record->pText2;
        delete record;
    }
}

void CAPI::Print(const wchar_t* text, ULONG colour) {
    Print(text, nullptr, colour);
}

void CAPI::SetProgressRange(unsigned int range) {
    if (!m_pWorkerInfo)
        return;
    InterlockedExchange(&m_pWorkerInfo->lProgressRange, static_cast<LONG>(range));
    InterlockedExchange(&m_pWorkerInfo->lProgressRangeChanged, 1);
}

void CAPI::SetProgressValue(unsigned int value) {
    if (m_pWorkerInfo)
        InterlockedExchange(&m_pWorkerInfo->lProgressValue, static_cast<LONG>(value));
}

void CAPI::SetProgressDivisor(unsigned int divisor) {
    if (m_pWorkerInfo)
        InterlockedExchange(&m_pWorkerInfo->lProgressDivisor, static_cast<LONG>(divisor));
}

void CAPI::IncrementProgress() {
    if (m_pWorkerInfo)
        InterlockedIncrement(&m_pWorkerInfo->lProgressValue);
}

unsigned int CAPI::GetProgressValue() {
    return m_pWorkerInfo ? static_cast<unsigned int>(ReadField(m_pWorkerInfo->lProgressValue)) : 0;
}

int CAPI::GetProgressRange() {
    if (!m_pWorkerInfo)
        return 0;
    if (ReadField(m_pWorkerInfo->lProgressRangeChanged) == 0)
        return -1;
    const LONG range = ReadField(m_pWorkerInfo->lProgressRange);
    InterlockedExchange(&m_pWorkerInfo->lProgressRangeChanged, 0);
    return range;
}

void CAPI::PrintToDebugFile(const wchar_t* format, const wchar_t* arg1, const wchar_t* arg2,
                            const wchar_t* arg3) {
    if (g_pZarvexConfig)
        g_pZarvexConfig->PrintToDebugFile(format, arg1, arg2, arg3);
}

void CAPI::DiscardQueuedRequests(DWORD error) {
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
            record->dwData = error;
            SetEvent(static_cast<HANDLE>(record->pEvent));
        } else {
            delete record;
        }
    }
    if (discarded)
        PrintToDebugFile(L"Worker:%s queued requests discarded at exit\n",
                         std::to_wstring(discarded).c_str());
}

// ---- Request builders --------------------------------------------------------

UWM_API_COMMAND_MESSAGE* CAPI::PostRequest(UWM_API_COMMAND_MESSAGE* msg, UINT message, ULONG flags,
                                           void* target, t_API_MSG_CALLBACK_TYPE type,
                                           void* userData) {
    if (!msg)
        return nullptr;
    msg->dwFlags = flags;
    msg->pUserData = userData;
    if (flags & API_FLAG_WAIT) {
        msg->pEvent = m_Event;
        ResetEvent(m_Event);
    }
    if (flags & API_FLAG_CALLBACK) {
        msg->pCallBackTarget = target;
        msg->eCallBackType = type;
        // So that the answer reaches no page destroyed meanwhile.
        if (type == API_CALLBACK_PAGE)
            zx::NotePageRequest(msg, target);
    }
    // Until the worker has created its queue the post fails; retry then. A
    // request without a worker thread, or whose worker has ended, could never
    // be delivered: it is dropped rather than retried for ever.
    for (;;) {
        if (m_dwThreadId &&
            PostThreadMessageW(m_dwThreadId, message, reinterpret_cast<WPARAM>(msg), 0))
            break;
        if (!m_dwThreadId || WorkerEnded()) {
            PrintToDebugFile(L"##### ERROR : request 0x%x to 0x%x made without a worker thread, "
                             L"dropped\n",
                             reinterpret_cast<const wchar_t*>(std::uintptr_t{msg->uCommand}),
                             reinterpret_cast<const wchar_t*>(std::uintptr_t{msg->dwAddress}));
            delete msg;
            return nullptr;
        }
        Sleep(kPostRetryMs);
    }
    if (flags & API_FLAG_WAIT) {
        for (;;) {
            if (WaitForSingleObject(m_Event, kWaitSliceMs) == WAIT_OBJECT_0)
                break;
            if (WorkerEnded() && WaitForSingleObject(m_Event, 0) != WAIT_OBJECT_0) {
                // The record went down with the worker; it is not ours to touch.
                PrintToDebugFile(L"##### ERROR : worker thread ended during a waiting request\n");
                return nullptr;
            }
        }
    }
    return msg;
}

UWM_API_COMMAND_MESSAGE* CAPI::WriteMemory(ULONG address, ULONG data, ULONG mask, ULONG flags,
                                           void* target, t_API_MSG_CALLBACK_TYPE type,
                                           void* userData) {
    auto* msg = new UWM_API_COMMAND_MESSAGE{};
    msg->uCommand = API_CMD_WRITE;
    msg->dwAddress = address;
    msg->dwData = data;
    msg->dwMask = mask;
    return PostRequest(msg, UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

UWM_API_COMMAND_MESSAGE* CAPI::ReadMemory(ULONG address, ULONG mask, ULONG flags, void* target,
                                          t_API_MSG_CALLBACK_TYPE type, void* userData) {
    auto* msg = new UWM_API_COMMAND_MESSAGE{};
    msg->uCommand = API_CMD_READ;
    msg->dwAddress = address;
    msg->dwMask = mask;
    return PostRequest(msg, UWM_API_SINGLE_COMMAND, flags, target, type, userData);
}

UWM_API_COMMAND_MESSAGE* CAPI::BurstWriteMemory(ULONG address, ULONG* buffer, ULONG count,
                                                ULONG flags, void* target,
                                                t_API_MSG_CALLBACK_TYPE type, void* userData) {
    auto* msg = new UWM_API_COMMAND_MESSAGE{};
    msg->uCommand = API_CMD_BURST_WRITE;
    msg->dwAddress = address;
    msg->pdwBuffer = buffer;
    msg->dwCount = count;
    return PostRequest(msg, UWM_API_BURST_COMMAND, flags, target, type, userData);
}

UWM_API_COMMAND_MESSAGE* CAPI::BurstReadMemory(ULONG address, ULONG* buffer, ULONG count,
                                               ULONG flags, void* target,
                                               t_API_MSG_CALLBACK_TYPE type, void* userData) {
    auto* msg = new UWM_API_COMMAND_MESSAGE{};
    msg->uCommand = API_CMD_BURST_READ;
    msg->dwAddress = address;
    msg->pdwBuffer = buffer;
    msg->dwCount = count;
    return PostRequest(msg, UWM_API_BURST_COMMAND, flags, target, type, userData);
}

// ---- Requests by requester ---------------------------------------------------

#define ZX_REQUESTER_PAIR(Ret, Name, Params, Args)                                                 \
    Ret CAPI::Name(CPageBase* page, ZX_UNPAREN Params, void* userData) {                           \
        return Name(ZX_UNPAREN Args, page, API_CALLBACK_PAGE, userData);                           \
    }                                                                                              \
    Ret CAPI::Name(CZarvexAppBase* app, ZX_UNPAREN Params, void* userData) {                       \
        return Name(ZX_UNPAREN Args, app, API_CALLBACK_APPLICATION, userData);                     \
    }
#define ZX_UNPAREN(...) __VA_ARGS__

ZX_REQUESTER_PAIR(UWM_API_COMMAND_MESSAGE*, WriteMemory,
                  (ULONG address, ULONG data, ULONG mask, ULONG flags),
                  (address, data, mask, flags))
ZX_REQUESTER_PAIR(UWM_API_COMMAND_MESSAGE*, ReadMemory, (ULONG address, ULONG mask, ULONG flags),
                  (address, mask, flags))
ZX_REQUESTER_PAIR(UWM_API_COMMAND_MESSAGE*, BurstWriteMemory,
                  (ULONG address, ULONG* buffer, ULONG count, ULONG flags),
                  (address, buffer, count, flags))
ZX_REQUESTER_PAIR(UWM_API_COMMAND_MESSAGE*, BurstReadMemory,
                  (ULONG address, ULONG* buffer, ULONG count, ULONG flags),
                  (address, buffer, count, flags))
ZX_REQUESTER_PAIR(UWM_API_COMMAND_MESSAGE*, WriteI2CAddress,
                  (unsigned char address, ULONG data, unsigned int count, ULONG flags),
                  (address, data, count, flags))
ZX_REQUESTER_PAIR(UWM_API_COMMAND_MESSAGE*, ReadI2CAddress,
                  (unsigned char address, unsigned int count, ULONG flags), (address, count, flags))
ZX_REQUESTER_PAIR(UWM_API_COMMAND_MESSAGE*, WriteI2CSubAddress,
                  (unsigned char address, unsigned char subAddress, ULONG data, unsigned int count,
                   ULONG flags),
                  (address, subAddress, data, count, flags))
ZX_REQUESTER_PAIR(UWM_API_COMMAND_MESSAGE*, ReadI2CSubAddress,
                  (unsigned char address, unsigned char subAddress, unsigned int count,
                   ULONG flags),
                  (address, subAddress, count, flags))

#undef ZX_REQUESTER_PAIR
#undef ZX_UNPAREN
