#pragma once
// CListBox: single-selection list boxes, with the Windows search and sorting
// rules (platform/ComboList.h).

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

class CListBox : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"LISTBOX", nullptr, style, rect, parent, id);
    }
    int GetCount() const { return static_cast<int>(SendMessageW(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessageW(LB_GETCURSEL)); }
    int SetCurSel(int select) {
        return static_cast<int>(SendMessageW(LB_SETCURSEL, static_cast<WPARAM>(select)));
    }
    int AddString(LPCWSTR text) {
        return static_cast<int>(SendMessageW(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int InsertString(int index, LPCWSTR text) {
        return static_cast<int>(SendMessageW(LB_INSERTSTRING, static_cast<WPARAM>(index),
                                             reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(UINT index) { return static_cast<int>(SendMessageW(LB_DELETESTRING, index)); }
    void ResetContent() { SendMessageW(LB_RESETCONTENT); }
    int GetText(int index, LPWSTR text) const {
        return static_cast<int>(
            SendMessageW(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    // An index outside the list gives an empty text.
    void GetText(int index, CString& text) const {
        const int length = GetTextLen(index);
        if (length < 0) {
            text.Empty();
            return;
        }
        const int n = GetText(index, text.GetBuffer(length + 1));
        text.ReleaseBuffer(n < 0 ? 0 : n);
    }
    int GetTextLen(int index) const {
        return static_cast<int>(SendMessageW(LB_GETTEXTLEN, static_cast<WPARAM>(index)));
    }
    // LB_ERR (as a DWORD_PTR) for an index outside the list.
    DWORD_PTR GetItemData(int index) const {
        return static_cast<DWORD_PTR>(SendMessageW(LB_GETITEMDATA, static_cast<WPARAM>(index)));
    }
    int SetItemData(int index, DWORD_PTR data) {
        return static_cast<int>(
            SendMessageW(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
    int FindString(int startAfter, LPCWSTR text) const {
        return static_cast<int>(SendMessageW(LB_FINDSTRING, static_cast<WPARAM>(startAfter),
                                             reinterpret_cast<LPARAM>(text)));
    }
    int FindStringExact(int startAfter, LPCWSTR text) const {
        return static_cast<int>(SendMessageW(LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter),
                                             reinterpret_cast<LPARAM>(text)));
    }
    int SelectString(int startAfter, LPCWSTR text) {
        return static_cast<int>(SendMessageW(LB_SELECTSTRING, static_cast<WPARAM>(startAfter),
                                             reinterpret_cast<LPARAM>(text)));
    }
};
