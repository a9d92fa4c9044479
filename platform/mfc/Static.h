#pragma once
// CStatic: text, frames and pictures that the user does not edit.

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

class CStatic : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF) {
        return CWnd::Create(L"STATIC", text, style, rect, parent, id);
    }
};
