#pragma once
// Threads with Windows semantics over POSIX threads.
//
// Only a thread suspending itself is supported (SuspendThread of the calling
// thread), which is all a communications worker does. TerminateThread cannot
// stop a POSIX thread safely: it abandons the thread instead. The handle then
// reports the thread ended with the given exit code, its message queue and
// windows are gone, and the real thread runs on, detached, until its routine
// returns; the module holding that routine must therefore never be unloaded
// (see zx::LiveThreadEntryPoints).

#include "platform/Sync.h"
#include "platform/WinTypes.h"

#include <vector>

#define CREATE_SUSPENDED 0x00000004u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u
#define STILL_ACTIVE 259u
#ifndef ERROR_NOT_SUPPORTED
#define ERROR_NOT_SUPPORTED 50u
#endif

using LPTHREAD_START_ROUTINE = DWORD(WINAPI*)(void*);

HANDLE CreateThread(void* threadAttributes, size_t stackSize, LPTHREAD_START_ROUTINE startAddress,
                    void* parameter, DWORD creationFlags, DWORD* threadId);
// Returns the previous suspend count, or (DWORD)-1 on failure.
DWORD SuspendThread(HANDLE thread);
DWORD ResumeThread(HANDLE thread);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
BOOL TerminateThread(HANDLE thread, DWORD exitCode);

DWORD GetCurrentThreadId();
// The pseudo-handle that means "the calling thread" wherever a handle is taken.
HANDLE GetCurrentThread();
DWORD GetCurrentProcessId();

void Sleep(DWORD milliseconds);
// Milliseconds of a monotonic clock; wraps around after 49.7 days.
DWORD GetTickCount();

namespace zx {
// Start routines of the threads created here that still run, abandoned ones
// included: a module whose code is among them must stay mapped.
std::vector<void*> LiveThreadEntryPoints();
} // namespace zx
