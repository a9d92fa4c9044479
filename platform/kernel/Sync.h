#pragma once
// Events, waiting and handle closing over the process's kernel-object table.

#include "platform/WinTypes.h"

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

#ifndef INVALID_HANDLE_VALUE
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))
#endif

// Names are accepted and ignored: events are never shared between processes.
HANDLE CreateEventW(void* eventAttributes, BOOL manualReset, BOOL initialState,
                    const wchar_t* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Threads (signalled when they end) and events.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

BOOL CloseHandle(HANDLE handle);
