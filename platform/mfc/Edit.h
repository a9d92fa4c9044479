#pragma once
// CEdit: single- and multi-line edit controls. Positions count a line end
// as one character; lines are the text's lines (see platform/Controls.h).

#include "platform/EditLines.h"

class CEdit : public zx::EditLines {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"EDIT", nullptr, style, rect, parent, id);
    }
    void GetSel(int& start, int& end) const {
        DWORD s = 0, e = 0;
        SendMessageW(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        start = static_cast<int>(s);
        end = static_cast<int>(e);
    }
    DWORD GetSel() const { return static_cast<DWORD>(SendMessageW(EM_GETSEL)); }
    void SetSel(int start, int end, BOOL noScroll = FALSE) {
        SendMessageW(EM_SETSEL, static_cast<WPARAM>(start), end);
        if (!noScroll)
            SendMessageW(EM_SCROLLCARET);
    }
    void SetSel(DWORD selection, BOOL noScroll = FALSE) {
        SetSel(LOWORD(selection), HIWORD(selection), noScroll);
    }
    int LineFromChar(int index = -1) const {
        return static_cast<int>(SendMessageW(EM_LINEFROMCHAR, static_cast<WPARAM>(index)));
    }
    void LimitText(int chars = 0) { SendMessageW(EM_LIMITTEXT, static_cast<WPARAM>(chars)); }
    void SetLimitText(UINT max) { SendMessageW(EM_SETLIMITTEXT, max); }
    UINT GetLimitText() const { return static_cast<UINT>(SendMessageW(EM_GETLIMITTEXT)); }
    BOOL GetModify() const { return static_cast<BOOL>(SendMessageW(EM_GETMODIFY)); }
    void SetModify(BOOL modified = TRUE) {
        SendMessageW(EM_SETMODIFY, static_cast<WPARAM>(modified));
    }
    void Cut() { SendMessageW(WM_CUT); }
    void Paste() { SendMessageW(WM_PASTE); }
};
