#pragma once
// Message maps: each window class declares a static table of the messages it
// handles (DECLARE_MESSAGE_MAP in the class, BEGIN_MESSAGE_MAP ...
// END_MESSAGE_MAP in its source file). A message is looked up in the class's
// own table, then in its base class's, up to CWnd; the first entry found
// calls its handler with the message's arguments unpacked as MFC does.
//
// Each entry holds a small function made by the entry's macro inside the
// class's own member function, so handlers may be protected or private and
// are called with exactly their declared signature.

#include "platform/DC.h"
#include "platform/GdiObjects.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"
#include "platform/WindowMessages.h"

class CWnd;

// ---- Owner drawing ------------------------------------------------------------
#define ODT_MENU 1
#define ODT_LISTBOX 2
#define ODT_COMBOBOX 3
#define ODT_BUTTON 4
#define ODT_STATIC 5
#define ODT_TAB 101

struct tagDRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    UINT_PTR itemData;
};
using DRAWITEMSTRUCT = tagDRAWITEMSTRUCT;
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

// ---- The tables -------------------------------------------------------------------
#define afx_msg

// Calls one handler: the window, the message and its parameters, and where
// the handler's result goes.
using AFX_MSG_THUNK = void (*)(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // WM_COMMAND, WM_NOTIFY, a window message, or 0xC000 for registered
    UINT nCode;    // notification code of WM_COMMAND and WM_NOTIFY entries
    UINT nID;      // first control id
    UINT nLastID;  // last control id
    const UINT* pnRegisteredMessage; // the variable holding a registered message's id
    AFX_MSG_THUNK pfn;               // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

namespace zx {
// The entry that handles a message for a class, searched from that class's
// table through its base classes. WM_CTLCOLOR* messages find WM_CTLCOLOR
// entries; registered messages find the entry whose variable holds their id.
const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);
} // namespace zx

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;                                              \
                                                                                                   \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        typedef theClass ThisClass;                                                                \
        typedef baseClass TheBaseClass;                                                            \
        static_assert(sizeof(ThisClass) > 0 && sizeof(TheBaseClass) > 0);                          \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, nullptr, nullptr }                                                               \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

#define ZX_MSG_SELF static_cast<ThisClass*>(zxWnd)
#define ZX_MSG_THUNK(body)                                                                         \
    [](CWnd* zxWnd, UINT zxMsg, WPARAM wParam, LPARAM lParam, LRESULT* zxResult) {                 \
        (void)zxMsg;                                                                               \
        (void)wParam;                                                                              \
        (void)lParam;                                                                              \
        (void)zxResult;                                                                            \
        body;                                                                                      \
    }

// Commands and control notifications (WM_COMMAND).
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND,                                                                                   \
     CN_COMMAND,                                                                                   \
     static_cast<UINT>(id),                                                                        \
     static_cast<UINT>(id),                                                                        \
     nullptr,                                                                                      \
     ZX_MSG_THUNK((ZX_MSG_SELF->*(memberFxn))())},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                    \
    {WM_COMMAND,                                                                                   \
     CN_COMMAND,                                                                                   \
     static_cast<UINT>(id),                                                                        \
     static_cast<UINT>(idLast),                                                                    \
     nullptr,                                                                                      \
     ZX_MSG_THUNK((ZX_MSG_SELF->*(memberFxn))(LOWORD(wParam)))},
#define ON_CONTROL(code, id, memberFxn)                                                            \
    {WM_COMMAND,                                                                                   \
     static_cast<UINT>(code),                                                                      \
     static_cast<UINT>(id),                                                                        \
     static_cast<UINT>(id),                                                                        \
     nullptr,                                                                                      \
     ZX_MSG_THUNK((ZX_MSG_SELF->*(memberFxn))())},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

// WM_NOTIFY: void handler(NMHDR*, LRESULT*).
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    {WM_NOTIFY,                                                                                    \
     static_cast<UINT>(code),                                                                      \
     static_cast<UINT>(id),                                                                        \
     static_cast<UINT>(id),                                                                        \
     nullptr,                                                                                      \
     ZX_MSG_THUNK((ZX_MSG_SELF->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), zxResult))},

// Reflected notifications, handled by the control that sent them.
#define ON_CONTROL_REFLECT(code, memberFxn)                                                        \
    {                                                                                              \
        WM_COMMAND + WM_REFLECT_BASE, static_cast<UINT>(code), 0, 0, nullptr,                      \
            ZX_MSG_THUNK((ZX_MSG_SELF->*(memberFxn))(); *zxResult = TRUE)                          \
    }                                                                                              \
    ,
#define ON_CONTROL_REFLECT_EX(code, memberFxn)                                                     \
    {WM_COMMAND + WM_REFLECT_BASE,                                                                 \
     static_cast<UINT>(code),                                                                      \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     ZX_MSG_THUNK(*zxResult = (ZX_MSG_SELF->*(memberFxn))())},
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                         \
    {WM_NOTIFY + WM_REFLECT_BASE,                                                                  \
     static_cast<UINT>(code),                                                                      \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     ZX_MSG_THUNK((ZX_MSG_SELF->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), zxResult))},
#define ON_STN_CLICKED_REFLECT(memberFxn) ON_CONTROL_REFLECT(STN_CLICKED, memberFxn)
// HBRUSH CtlColor(CDC*, UINT): the control chooses its own colours.
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    {WM_CTLCOLOR + WM_REFLECT_BASE,                                                                \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     ZX_MSG_THUNK(*zxResult = reinterpret_cast<LRESULT>(                                           \
                      ZX_MSG_SELF->CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)),        \
                                            static_cast<UINT>(lParam))))},

// User and registered messages: LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                             \
    {static_cast<UINT>(message),                                                                   \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     ZX_MSG_THUNK(*zxResult = (ZX_MSG_SELF->*(memberFxn))(wParam, lParam))},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                         \
    {0xC000u,                                                                                      \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     &(nMessageVariable),                                                                          \
     ZX_MSG_THUNK(*zxResult = (ZX_MSG_SELF->*(memberFxn))(wParam, lParam))},

// Standard window messages, to the handler of the standard name.
#define ON_WM_TIMER()                                                                              \
    {WM_TIMER, 0, 0, 0, nullptr, ZX_MSG_THUNK(ZX_MSG_SELF->OnTimer(static_cast<UINT_PTR>(wParam)))},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, nullptr, ZX_MSG_THUNK(ZX_MSG_SELF->OnPaint())},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, nullptr, ZX_MSG_THUNK(ZX_MSG_SELF->OnDestroy())},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, nullptr, ZX_MSG_THUNK(ZX_MSG_SELF->OnClose())},
#define ON_WM_SIZE()                                                                               \
    {WM_SIZE,                                                                                      \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     ZX_MSG_THUNK(ZX_MSG_SELF->OnSize(static_cast<UINT>(wParam),                                   \
                                      static_cast<SHORT>(LOWORD(lParam)),                          \
                                      static_cast<SHORT>(HIWORD(lParam))))},
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR,                                                                                 \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     ZX_MSG_THUNK(*zxResult =                                                                      \
                      ZX_MSG_SELF->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),   \
                                               LOWORD(lParam), HIWORD(lParam)))},
#define ON_WM_ERASEBKGND()                                                                         \
    {WM_ERASEBKGND,                                                                                \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     ZX_MSG_THUNK(*zxResult =                                                                      \
                      ZX_MSG_SELF->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))))},
// Every WM_CTLCOLOR* message; nCtlColor is the CTLCOLOR_* kind.
#define ON_WM_CTLCOLOR()                                                                           \
    {WM_CTLCOLOR,                                                                                  \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     ZX_MSG_THUNK(*zxResult = reinterpret_cast<LRESULT>(                                           \
                      ZX_MSG_SELF->OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)),      \
                                              CWnd::FromHandle(reinterpret_cast<HWND>(lParam)),    \
                                              zxMsg - WM_CTLCOLORMSGBOX)))},
#define ON_WM_DRAWITEM()                                                                           \
    {                                                                                              \
        WM_DRAWITEM, 0, 0, 0, nullptr,                                                             \
            ZX_MSG_THUNK(ZX_MSG_SELF->OnDrawItem(static_cast<int>(wParam),                         \
                                                 reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));      \
                         *zxResult = TRUE)                                                         \
    }                                                                                              \
    ,
