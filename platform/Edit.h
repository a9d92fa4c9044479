#pragma once
// CEdit: single- and multi-line edit controls. Positions count a line end
// as one character; lines are the text's lines (see platform/Controls.h).

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

class CEdit : public CWnd {
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
    void ReplaceSel(LPCWSTR text, BOOL canUndo = FALSE) {
        SendMessageW(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text));
    }
    int GetLineCount() const { return static_cast<int>(SendMessageW(EM_GETLINECOUNT)); }
    int LineIndex(int line = -1) const {
        return static_cast<int>(SendMessageW(EM_LINEINDEX, static_cast<WPARAM>(line)));
    }
    int LineFromChar(int index = -1) const {
        return static_cast<int>(SendMessageW(EM_LINEFROMCHAR, static_cast<WPARAM>(index)));
    }
    int LineLength(int index = -1) const {
        return static_cast<int>(SendMessageW(EM_LINELENGTH, static_cast<WPARAM>(index)));
    }
    // The buffer's first element holds its size in characters (as a WORD).
    int GetLine(int line, LPWSTR buffer) const {
        return static_cast<int>(
            SendMessageW(EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer)));
    }
    // Copies at most maxLength characters, without a terminator.
    int GetLine(int line, LPWSTR buffer, int maxLength) const {
        if (!buffer || maxLength <= 0)
            return 0;
        buffer[0] = static_cast<wchar_t>(maxLength > 0xFFFF ? 0xFFFF : maxLength);
        return GetLine(line, buffer);
    }
    BOOL SetReadOnly(BOOL readOnly = TRUE) {
        return static_cast<BOOL>(SendMessageW(EM_SETREADONLY, static_cast<WPARAM>(readOnly)));
    }
    void LineScroll(int lines, int chars = 0) {
        SendMessageW(EM_LINESCROLL, static_cast<WPARAM>(chars), lines);
    }
    int GetFirstVisibleLine() const {
        return static_cast<int>(SendMessageW(EM_GETFIRSTVISIBLELINE));
    }
    void LimitText(int chars = 0) { SendMessageW(EM_LIMITTEXT, static_cast<WPARAM>(chars)); }
    BOOL GetModify() const { return static_cast<BOOL>(SendMessageW(EM_GETMODIFY)); }
    void SetModify(BOOL modified = TRUE) {
        SendMessageW(EM_SETMODIFY, static_cast<WPARAM>(modified));
    }
    void Clear() { SendMessageW(WM_CLEAR); }
    void Copy() { SendMessageW(WM_COPY); }
    void Cut() { SendMessageW(WM_CUT); }
    void Paste() { SendMessageW(WM_PASTE); }
};
