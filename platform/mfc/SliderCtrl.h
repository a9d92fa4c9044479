#pragma once
// CSliderCtrl: a trackbar ("msctls_trackbar32") driven by TBM_ messages.

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

class CSliderCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"msctls_trackbar32", nullptr, style, rect, parent, id);
    }
    void SetRange(int minimum, int maximum, BOOL redraw = FALSE) {
        SetRangeMin(minimum, FALSE);
        SetRangeMax(maximum, redraw);
    }
    void SetRangeMin(int minimum, BOOL redraw = FALSE) {
        SendMessageW(TBM_SETRANGEMIN, static_cast<WPARAM>(redraw), minimum);
    }
    void SetRangeMax(int maximum, BOOL redraw = FALSE) {
        SendMessageW(TBM_SETRANGEMAX, static_cast<WPARAM>(redraw), maximum);
    }
    int GetRangeMin() const { return static_cast<int>(SendMessageW(TBM_GETRANGEMIN)); }
    int GetRangeMax() const { return static_cast<int>(SendMessageW(TBM_GETRANGEMAX)); }
    int GetPos() const { return static_cast<int>(SendMessageW(TBM_GETPOS)); }
    void SetPos(int pos) { SendMessageW(TBM_SETPOS, TRUE, pos); }
    void SetTicFreq(int frequency) { SendMessageW(TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
    // Each returns the previous size.
    int SetPageSize(int size) { return static_cast<int>(SendMessageW(TBM_SETPAGESIZE, 0, size)); }
    int GetPageSize() const { return static_cast<int>(SendMessageW(TBM_GETPAGESIZE)); }
    int SetLineSize(int size) { return static_cast<int>(SendMessageW(TBM_SETLINESIZE, 0, size)); }
    int GetLineSize() const { return static_cast<int>(SendMessageW(TBM_GETLINESIZE)); }
};
