#pragma once
// CComboBox: drop-down lists and combo boxes, with the Windows search and
// sorting rules (platform/ComboList.h).

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

class CComboBox : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"COMBOBOX", nullptr, style, rect, parent, id);
    }
    int GetCount() const { return static_cast<int>(SendMessageW(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessageW(CB_GETCURSEL)); }
    int SetCurSel(int select) {
        return static_cast<int>(SendMessageW(CB_SETCURSEL, static_cast<WPARAM>(select)));
    }
    int AddString(LPCWSTR text) {
        return static_cast<int>(SendMessageW(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int InsertString(int index, LPCWSTR text) {
        return static_cast<int>(SendMessageW(CB_INSERTSTRING, static_cast<WPARAM>(index),
                                             reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(UINT index) { return static_cast<int>(SendMessageW(CB_DELETESTRING, index)); }
    void ResetContent() { SendMessageW(CB_RESETCONTENT); }
    int GetLBText(int index, LPWSTR text) const {
        return static_cast<int>(
            SendMessageW(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    // An index outside the list gives an empty text.
    void GetLBText(int index, CString& text) const {
        const int length = GetLBTextLen(index);
        if (length < 0) {
            text.Empty();
            return;
        }
        const int n = GetLBText(index, text.GetBuffer(length + 1));
        text.ReleaseBuffer(n < 0 ? 0 : n);
    }
    int GetLBTextLen(int index) const {
        return static_cast<int>(SendMessageW(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
    }
    // CB_ERR (as a DWORD_PTR) for an index outside the list.
    DWORD_PTR GetItemData(int index) const {
        return static_cast<DWORD_PTR>(SendMessageW(CB_GETITEMDATA, static_cast<WPARAM>(index)));
    }
    int SetItemData(int index, DWORD_PTR data) {
        return static_cast<int>(
            SendMessageW(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
    void* GetItemDataPtr(int index) const { return reinterpret_cast<void*>(GetItemData(index)); }
    int SetItemDataPtr(int index, void* data) {
        return SetItemData(index, reinterpret_cast<DWORD_PTR>(data));
    }
    int FindString(int startAfter, LPCWSTR text) const {
        return static_cast<int>(SendMessageW(CB_FINDSTRING, static_cast<WPARAM>(startAfter),
                                             reinterpret_cast<LPARAM>(text)));
    }
    int FindStringExact(int startAfter, LPCWSTR text) const {
        return static_cast<int>(SendMessageW(CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter),
                                             reinterpret_cast<LPARAM>(text)));
    }
    int SelectString(int startAfter, LPCWSTR text) {
        return static_cast<int>(SendMessageW(CB_SELECTSTRING, static_cast<WPARAM>(startAfter),
                                             reinterpret_cast<LPARAM>(text)));
    }
    void ShowDropDown(BOOL show = TRUE) {
        SendMessageW(CB_SHOWDROPDOWN, static_cast<WPARAM>(show));
    }
};
