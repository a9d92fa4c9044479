#pragma once
// CSpinButtonCtrl: an up-down control ("msctls_updown32") driven by UDM_
// messages.

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

class CSpinButtonCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"msctls_updown32", nullptr, style, rect, parent, id);
    }
    void SetRange(short lower, short upper) {
        SendMessageW(UDM_SETRANGE, 0, MAKELPARAM(upper, lower));
    }
    void SetRange32(int lower, int upper) {
        SendMessageW(UDM_SETRANGE32, static_cast<WPARAM>(lower), upper);
    }
    void GetRange32(int& lower, int& upper) const {
        SendMessageW(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
                     reinterpret_cast<LPARAM>(&upper));
    }
    // The previous position.
    int SetPos(int pos) {
        return static_cast<int>(SendMessageW(UDM_SETPOS, 0, MAKELPARAM(pos, 0)));
    }
    int SetPos32(int pos) { return static_cast<int>(SendMessageW(UDM_SETPOS32, 0, pos)); }
    // The position in the low word, an error flag in the high word.
    int GetPos() const { return static_cast<int>(SendMessageW(UDM_GETPOS)); }
    int GetPos32(BOOL* error = nullptr) const {
        return static_cast<int>(SendMessageW(UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error)));
    }
    HWND SetBuddy(HWND buddy) {
        return reinterpret_cast<HWND>(SendMessageW(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy)));
    }
    HWND GetBuddy() const { return reinterpret_cast<HWND>(SendMessageW(UDM_GETBUDDY)); }
};
