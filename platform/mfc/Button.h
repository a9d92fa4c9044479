#pragma once
// CButton: push buttons, check boxes, radio buttons and group boxes.

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

class CButton : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"BUTTON", caption, style, rect, parent, id);
    }
    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int GetCheck() const { return static_cast<int>(SendMessageW(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessageW(BM_SETCHECK, static_cast<WPARAM>(check)); }
    UINT GetState() const { return static_cast<UINT>(SendMessageW(BM_GETSTATE)); }
    void SetState(BOOL highlight) { SendMessageW(BM_SETSTATE, static_cast<WPARAM>(highlight)); }
    UINT GetButtonStyle() const { return static_cast<UINT>(GetStyle() & 0xFFFF); }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) {
        SendMessageW(BM_SETSTYLE, style, static_cast<LPARAM>(redraw));
    }
    // Clicks as the user would: the parent hears BN_CLICKED.
    void Click() { SendMessageW(BM_CLICK); }
};
