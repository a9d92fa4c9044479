#pragma once
// The records that travel between the user-interface thread and the worker
// thread of a communications plug-in, with their flag bits and command codes.
// Plug-ins are built separately against these layouts: fields are fixed-width
// 32-bit values or pointer-sized pointers, and their x86-64 offsets are pinned
// below. Never reorder or resize a field.

#include "platform/String.h"
#include "platform/WinTypes.h"
#include "zarvexapp/contracts/Messages.h"

#include <cstddef>

// Request flag bits (dwFlags).
#define API_FLAG_CALLBACK 0x01u
#define API_FLAG_WAIT 0x02u
#define API_FLAG_BASE0 0x08u
#define API_FLAG_BASE1 0x10u
#define API_FLAG_BASE2 0x20u
#define API_FLAG_BASE3 0x40u

// Command codes (uCommand). Plug-ins number their own I2C commands elsewhere.
#define API_CMD_EXIT 0u
#define API_CMD_READ 1u
#define API_CMD_WRITE 2u
#define API_CMD_BURST_READ 3u
#define API_CMD_BURST_WRITE 4u

// Worker start-up flags (WORKER_THREAD_INFO::lFlags).
#define WORKER_INIT_DONE 0x1
#define WORKER_CREATION_OK 0x2

enum t_API_MSG_CALLBACK_TYPE : DWORD {
    API_CALLBACK_NONE = 0,
    API_CALLBACK_PAGE = 1,
    API_CALLBACK_APPLICATION = 2,
};

// One hardware request and its result. Ownership follows dwFlags: without
// CALLBACK or WAIT the worker frees it; with CALLBACK the user-interface
// thread gets it as UWM_API_CALLBACK and frees it; with WAIT the requester
// frees it after the wait. Allocated with new, freed with delete.
struct UWM_API_COMMAND_MESSAGE {
    DWORD uCommand;
    DWORD dwFlags;
    DWORD dwAddress;
    DWORD dwData;
    DWORD dwMask;
    DWORD dwCount;
    DWORD* pdwBuffer; // owned by the requester, never freed with the record
    void* pUserData;
    void* pEvent; // the building API's completion event, with API_FLAG_WAIT only
    t_API_MSG_CALLBACK_TYPE eCallBackType;
    void* pCallBackTarget;
};

// The application's record shared with the communications plug-in and its
// worker thread. The LONG fields are changed with interlocked operations only.
struct WORKER_THREAD_INFO {
    void* pApiInfo;
    void* pCriticalSection; // the application's; never locked by the library
    LONG lLinkCount;
    LONG lFlags;
    LONG lExitRequest;
    LONG lProgressValue;
    LONG lProgressRange;
    LONG lProgressRangeChanged;
    LONG lProgressDivisor;
    HWND hUIWnd;
    HMODULE hApplicationModule;
    HMODULE hCommsModule;
    DWORD dwReserved;
};

// A line to print, posted as UWM_API_PRINT from any thread; the receiver
// deletes the record and both strings.
struct UWM_API_PRINT_MESSAGE {
    DWORD dwColour;
    CString* pText;
    CString* pText2;
};

// A display record, posted by a communications plug-in as
// UWM_API_DISPLAY_CALLBACK. The command and count are the plug-in's own; the
// receiver frees the record, the text (delete) and the words (delete[]),
// which is also what the library does with records still queued when the
// communications are shut down. Either pointer may be null.
struct UWM_API_DISPLAY_MESSAGE {
    DWORD dwCommand;
    DWORD dwCount;
    CString* pText;
    DWORD* pdwData;
};

static_assert(sizeof(t_API_MSG_CALLBACK_TYPE) == 4);

static_assert(offsetof(UWM_API_COMMAND_MESSAGE, uCommand) == 0);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, dwFlags) == 4);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, dwAddress) == 8);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, dwData) == 12);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, dwMask) == 16);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, dwCount) == 20);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, pdwBuffer) == 24);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, pUserData) == 32);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, pEvent) == 40);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, eCallBackType) == 48);
static_assert(offsetof(UWM_API_COMMAND_MESSAGE, pCallBackTarget) == 56);
static_assert(sizeof(UWM_API_COMMAND_MESSAGE) == 64);

static_assert(offsetof(WORKER_THREAD_INFO, pApiInfo) == 0);
static_assert(offsetof(WORKER_THREAD_INFO, pCriticalSection) == 8);
static_assert(offsetof(WORKER_THREAD_INFO, lLinkCount) == 16);
static_assert(offsetof(WORKER_THREAD_INFO, lFlags) == 20);
static_assert(offsetof(WORKER_THREAD_INFO, lExitRequest) == 24);
static_assert(offsetof(WORKER_THREAD_INFO, lProgressValue) == 28);
static_assert(offsetof(WORKER_THREAD_INFO, lProgressRange) == 32);
static_assert(offsetof(WORKER_THREAD_INFO, lProgressRangeChanged) == 36);
static_assert(offsetof(WORKER_THREAD_INFO, lProgressDivisor) == 40);
static_assert(offsetof(WORKER_THREAD_INFO, hUIWnd) == 48);
static_assert(offsetof(WORKER_THREAD_INFO, hApplicationModule) == 56);
static_assert(offsetof(WORKER_THREAD_INFO, hCommsModule) == 64);
static_assert(offsetof(WORKER_THREAD_INFO, dwReserved) == 72);
static_assert(sizeof(WORKER_THREAD_INFO) == 80);

static_assert(offsetof(UWM_API_PRINT_MESSAGE, dwColour) == 0);
static_assert(offsetof(UWM_API_PRINT_MESSAGE, pText) == 8);
static_assert(offsetof(UWM_API_PRINT_MESSAGE, pText2) == 16);
static_assert(sizeof(UWM_API_PRINT_MESSAGE) == 24);

static_assert(offsetof(UWM_API_DISPLAY_MESSAGE, dwCommand) == 0);
static_assert(offsetof(UWM_API_DISPLAY_MESSAGE, dwCount) == 4);
static_assert(offsetof(UWM_API_DISPLAY_MESSAGE, pText) == 8);
static_assert(offsetof(UWM_API_DISPLAY_MESSAGE, pdwData) == 16);
static_assert(sizeof(UWM_API_DISPLAY_MESSAGE) == 24);
