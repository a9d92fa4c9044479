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

// The most handles one wait takes (MsgWaitForMultipleObjects: one fewer).
#define MAXIMUM_WAIT_OBJECTS 64u

// Access rights, accepted for OpenEventW and not checked.
#define SYNCHRONIZE 0x00100000u
#define EVENT_MODIFY_STATE 0x0002u
#define EVENT_ALL_ACCESS 0x001F0003u

// The kinds of queued input that MsgWaitForMultipleObjects wakes for.
#define QS_KEY 0x0001u
#define QS_MOUSEMOVE 0x0002u
#define QS_MOUSEBUTTON 0x0004u
#define QS_POSTMESSAGE 0x0008u
#define QS_TIMER 0x0010u
#define QS_PAINT 0x0020u
#define QS_SENDMESSAGE 0x0040u
#define QS_HOTKEY 0x0080u
#define QS_ALLPOSTMESSAGE 0x0100u
#define QS_RAWINPUT 0x0400u
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY | QS_RAWINPUT)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY)
#define QS_ALLINPUT (QS_ALLEVENTS | QS_SENDMESSAGE)

#define MWMO_WAITALL 0x0001u
#define MWMO_ALERTABLE 0x0002u
#define MWMO_INPUTAVAILABLE 0x0004u

// A named event exists once in the process: creating it again returns a new
// handle to the same event (its settings stay as first created) and sets the
// last error to ERROR_ALREADY_EXISTS. Names are never shared between
// processes.
HANDLE CreateEventW(void* eventAttributes, BOOL manualReset, BOOL initialState,
                    const wchar_t* name);
// A new handle to the named event; null with ERROR_FILE_NOT_FOUND if none.
HANDLE OpenEventW(DWORD desiredAccess, BOOL inheritHandle, const wchar_t* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Threads (signalled when they end) and events.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// WAIT_OBJECT_0 + the index of the (lowest) object signalled, or with
// `waitAll` WAIT_OBJECT_0 once all are signalled together; WAIT_TIMEOUT;
// WAIT_FAILED for a count of 0 or above MAXIMUM_WAIT_OBJECTS, a handle given
// twice or one that cannot be waited on.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
// As WaitForMultipleObjects (up to MAXIMUM_WAIT_OBJECTS - 1 handles, none at
// all allowed), and also WAIT_OBJECT_0 + count once input of the kinds in
// `wakeMask` has arrived in the calling thread's message queue since the
// thread last looked at it (PeekMessageW, GetMessageW, or a drain of the
// event loop). With `waitAll`, all objects and such input are needed.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask);
// MWMO_WAITALL as `waitAll`; MWMO_INPUTAVAILABLE also counts input that was
// already there. Waits are never alertable here.
DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds,
                                  DWORD wakeMask, DWORD flags);

BOOL CloseHandle(HANDLE handle);
