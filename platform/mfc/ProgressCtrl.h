#pragma once
// CProgressCtrl: a progress bar driven by PBM_ messages.

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

class CProgressCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"msctls_progress32", nullptr, style, rect, parent, id);
    }
    void SetRange(short lower, short upper) {
        SendMessageW(PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
    }
    void SetRange32(int lower, int upper) {
        SendMessageW(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
    }
    void GetRange(int& lower, int& upper) const {
        PBRANGE range{};
        SendMessageW(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
        lower = range.iLow;
        upper = range.iHigh;
    }
    int GetPos() const { return static_cast<int>(SendMessageW(PBM_GETPOS)); }
    // Each returns the previous position (or step).
    int SetPos(int pos) {
        return static_cast<int>(SendMessageW(PBM_SETPOS, static_cast<WPARAM>(pos)));
    }
    int OffsetPos(int delta) {
        return static_cast<int>(SendMessageW(PBM_DELTAPOS, static_cast<WPARAM>(delta)));
    }
    int SetStep(int step) {
        return static_cast<int>(SendMessageW(PBM_SETSTEP, static_cast<WPARAM>(step)));
    }
    int StepIt() { return static_cast<int>(SendMessageW(PBM_STEPIT)); }
    COLORREF SetBarColor(COLORREF color) {
        return static_cast<COLORREF>(SendMessageW(PBM_SETBARCOLOR, 0, static_cast<LPARAM>(color)));
    }
};
