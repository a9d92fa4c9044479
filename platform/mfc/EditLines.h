#pragma once
// The operations that edit and rich-edit controls share: replacing the
// selection, reading and scrolling lines, read-only state and the clipboard.
// What a line is differs between the two (see their classes).

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

namespace zx {

class EditLines : public CWnd {
public:
    void ReplaceSel(LPCWSTR text, BOOL canUndo = FALSE) {
        SendMessageW(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text));
    }
    int GetLineCount() const { return static_cast<int>(SendMessageW(EM_GETLINECOUNT)); }
    int LineIndex(int line = -1) const {
        return static_cast<int>(SendMessageW(EM_LINEINDEX, static_cast<WPARAM>(line)));
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
    void Clear() { SendMessageW(WM_CLEAR); }
    void Copy() { SendMessageW(WM_COPY); }
};

} // namespace zx
