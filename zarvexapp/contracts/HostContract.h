#pragma once
// What the library relies on from the host program that loads it.
//
// The host owns the main dialog and the message loop. In this order it:
//  1. constructs one CZarvexConfig with its main dialog and stores it in
//     g_pZarvexConfig (the library never writes that global); then sets the
//     registry base key, optionally the diagnostic log path and the local URL,
//     and the five layout rectangles from placeholder controls of its dialog;
//  2. calls DiscoverPlugins(): the search runs from the splash's timer;
//  3. calls ChangeApplication(), reads the choice from the returned dialog,
//     loads the chosen application by its short title and deletes the dialog;
//  4. calls InitApplication(main window, configure button) on g_pApplication;
//     the main window's handle becomes the worker record's hUIWnd;
//  5. runs a periodic timer that calls CZarvexConfig::OnTimer(id) and
//     CZarvexConfig::OnPollInterrupt();
//  6. calls StartApplication() when the user presses the configure button;
//  7. at the end, unloads the application and deletes the configuration.
//
// The host window must route every message of kHostRoutedMessages: the
// handlers of UWM_API_PRINT and UWM_API_CALLBACK free the records they carry,
// so a host that drops them leaks.

#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/contracts/Messages.h"

namespace zx::contract {

struct HostRoute {
    UINT message;
    const wchar_t* action;
};

inline constexpr HostRoute kHostRoutedMessages[] = {
    {UWM_API_PRINT, L"pass wParam and lParam to CZarvexAppBase::OnPrint"},
    {UWM_CHANGE_APPLICATION, L"let the user pick another application"},
    {UWM_PLATFORM_CHANGED, L"refresh what the host shows of the platform"},
    {UWM_API_CALLBACK, L"pass to CZarvexAppBase::OnApiCallBack(unsigned int, long)"},
    {UWM_API_DISPLAY_CALLBACK, L"pass to CZarvexAppBase::OnApiDisplayCallBack"},
    {UWM_API_REQUEST_EXIT, L"end the host"},
};

} // namespace zx::contract
