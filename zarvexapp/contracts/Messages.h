#pragma once
// Message ids of the command path and of the host. They are a binary contract
// with plug-ins built separately: never renumber them.

#include "platform/WinTypes.h"

// Window messages to the host window (the window given to InitApplication).
#define UWM_API_PRINT (0x0400 + 1)            // wParam: UWM_API_PRINT_MESSAGE*; receiver frees it
#define UWM_API_CALLBACK (0x0400 + 5)         // wParam: UWM_API_COMMAND_MESSAGE*; receiver frees it
#define UWM_API_DISPLAY_CALLBACK (0x0400 + 7) // wParam, lParam: the comms plug-in's display record
#define UWM_API_REQUEST_EXIT (0x0400 + 12)    // the worker asks the host to end

// Thread messages to a communications plug-in's worker thread.
#define UWM_API_SINGLE_COMMAND (0x0400 + 8) // wParam: UWM_API_COMMAND_MESSAGE* (read, write, exit)
#define UWM_API_BURST_COMMAND (0x0400 + 9)  // wParam: UWM_API_COMMAND_MESSAGE* (burst read, write)

// Window messages from the System tab to the host's main dialog (the
// configuration's parent window), both with wParam 0 and lParam 0.
#define UWM_CHANGE_APPLICATION (0x0400 + 2) // the user pressed "Change"
#define UWM_PLATFORM_CHANGED (0x0400 + 3)   // the target platform or daughter card changed

// Registered with RegisterWindowMessageW by the main application area.
#define UWM_RESIZEPAGE_MSG_NAME L"UWM_RESIZEPAGE_MSG"

static_assert(UWM_API_PRINT == 1025 && UWM_API_CALLBACK == 1029 && UWM_API_DISPLAY_CALLBACK == 1031);
static_assert(UWM_API_SINGLE_COMMAND == 1032 && UWM_API_BURST_COMMAND == 1033);
static_assert(UWM_API_REQUEST_EXIT == 1036);
static_assert(UWM_CHANGE_APPLICATION == 1026 && UWM_PLATFORM_CHANGED == 1027);
