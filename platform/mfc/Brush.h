#pragma once
// CBrush: a solid brush with an HBRUSH handle, what WM_CTLCOLOR and
// WM_ERASEBKGND handlers hand back and fill with.

#include "platform/GdiObjects.h"

class CBrush {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    ~CBrush();
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;

    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateSysColorBrush(int index) { return CreateSolidBrush(GetSysColor(index)); }
    BOOL DeleteObject();

    HBRUSH GetSafeHandle() const { return m_hObject; }
    operator HBRUSH() const { return m_hObject; }
    // The colour it paints with (black for an empty brush).
    COLORREF GetColor() const;

    HBRUSH m_hObject = nullptr;
};
