#pragma once
// CStatic: text, frames and pictures that the user does not edit.

#include "platform/ControlMessages.h"
#include "platform/GdiObjects.h"
#include "platform/Wnd.h"

class CStatic : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF) {
        return CWnd::Create(L"STATIC", text, style, rect, parent, id);
    }
    // The picture of an SS_BITMAP static; the bitmap stays the caller's.
    HBITMAP SetBitmap(HBITMAP bitmap) {
        return reinterpret_cast<HBITMAP>(
            SendMessageW(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    HBITMAP GetBitmap() const {
        return reinterpret_cast<HBITMAP>(SendMessageW(STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
};
