#pragma once
// CRichEditCtrl: formatted text with character formats, RTF stream-in and
// searching. Positions count each paragraph end as one character and lines
// are paragraphs (see platform/Controls.h); a line that ends a paragraph ends
// in '\r'.

#include "platform/EditLines.h"

class CRichEditCtrl : public zx::EditLines {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"RichEdit20A", nullptr, style, rect, parent, id);
    }

    void GetSel(CHARRANGE& range) const {
        SendMessageW(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    void GetSel(long& start, long& end) const {
        CHARRANGE range{};
        GetSel(range);
        start = range.cpMin;
        end = range.cpMax;
    }
    // (0, -1) selects everything; a start of -1 removes the selection.
    void SetSel(long start, long end) {
        CHARRANGE range{static_cast<LONG>(start), static_cast<LONG>(end)};
        SetSel(range);
    }
    void SetSel(CHARRANGE& range) {
        SendMessageW(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    long LineFromChar(long index) const {
        return static_cast<long>(SendMessageW(EM_EXLINEFROMCHAR, 0, index));
    }
    long GetTextLength() const { return static_cast<long>(SendMessageW(WM_GETTEXTLENGTH)); }
    void LimitText(long chars = 0) { SendMessageW(EM_EXLIMITTEXT, 0, chars); }

    // Character formats; the Get calls return the mask of valid fields.
    BOOL SetDefaultCharFormat(CHARFORMATW& cf) { return SetCharFormat(SCF_DEFAULT, cf); }
    BOOL SetDefaultCharFormat(CHARFORMAT2W& cf) { return SetCharFormat(SCF_DEFAULT, cf); }
    BOOL SetSelectionCharFormat(CHARFORMATW& cf) { return SetCharFormat(SCF_SELECTION, cf); }
    BOOL SetSelectionCharFormat(CHARFORMAT2W& cf) { return SetCharFormat(SCF_SELECTION, cf); }
    DWORD GetDefaultCharFormat(CHARFORMATW& cf) const { return GetCharFormat(SCF_DEFAULT, cf); }
    DWORD GetDefaultCharFormat(CHARFORMAT2W& cf) const { return GetCharFormat(SCF_DEFAULT, cf); }
    DWORD GetSelectionCharFormat(CHARFORMATW& cf) const { return GetCharFormat(SCF_SELECTION, cf); }
    DWORD GetSelectionCharFormat(CHARFORMAT2W& cf) const {
        return GetCharFormat(SCF_SELECTION, cf);
    }

    // Returns the number of characters read; es.dwError holds the
    // callback's error, if any. Format 0x12 (SF_RTF | SF_UNICODE) is RTF.
    long StreamIn(int format, EDITSTREAM& es) {
        return static_cast<long>(
            SendMessageW(EM_STREAMIN, static_cast<WPARAM>(format), reinterpret_cast<LPARAM>(&es)));
    }
    // The start of the match (also in find->chrgText), or -1.
    long FindText(DWORD flags, FINDTEXTEXW* find) const {
        return static_cast<long>(
            SendMessageW(EM_FINDTEXTEXW, flags, reinterpret_cast<LPARAM>(find)));
    }
    int GetTextRange(int first, int last, CString& text) const {
        const int length = last < 0 ? static_cast<int>(GetTextLength()) - first : last - first;
        if (length < 0) {
            text.Empty();
            return 0;
        }
        TEXTRANGEW range{{first, last}, text.GetBuffer(length + 1)};
        const int n =
            static_cast<int>(SendMessageW(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
        text.ReleaseBuffer(n);
        return n;
    }
    DWORD GetEventMask() const { return static_cast<DWORD>(SendMessageW(EM_GETEVENTMASK)); }
    DWORD SetEventMask(DWORD mask) {
        return static_cast<DWORD>(SendMessageW(EM_SETEVENTMASK, 0, mask));
    }
    COLORREF SetBackgroundColor(BOOL sysColor, COLORREF color) {
        return static_cast<COLORREF>(SendMessageW(EM_SETBKGNDCOLOR, static_cast<WPARAM>(sysColor),
                                                  static_cast<LPARAM>(color)));
    }
    void HideSelection(BOOL hide, BOOL perm) {
        SendMessageW(EM_HIDESELECTION, static_cast<WPARAM>(hide), perm);
    }

private:
    BOOL SetCharFormat(WPARAM which, CHARFORMATW& cf) {
        return static_cast<BOOL>(
            SendMessageW(EM_SETCHARFORMAT, which, reinterpret_cast<LPARAM>(&cf)));
    }
    DWORD GetCharFormat(WPARAM which, CHARFORMATW& cf) const {
        return static_cast<DWORD>(
            SendMessageW(EM_GETCHARFORMAT, which, reinterpret_cast<LPARAM>(&cf)));
    }
};
