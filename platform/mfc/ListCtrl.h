#pragma once
// CListCtrl: a list view ("SysListView32") in report style, driven by LVM_
// messages.

#include "platform/ControlMessages.h"
#include "platform/String.h"
#include "platform/Wnd.h"

class CListCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"SysListView32", nullptr, style, rect, parent, id);
    }
    int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_FMT | (width >= 0 ? LVCF_WIDTH : 0u);
        c.fmt = format;
        c.cx = width;
        c.pszText = const_cast<LPWSTR>(heading);
        return static_cast<int>(SendMessageW(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                                             reinterpret_cast<LPARAM>(&c)));
    }
    int InsertItem(int item, LPCWSTR text) {
        LVITEMW i{};
        i.mask = LVIF_TEXT;
        i.iItem = item;
        i.pszText = const_cast<LPWSTR>(text);
        return static_cast<int>(SendMessageW(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&i)));
    }
    BOOL SetItemText(int item, int subItem, LPCWSTR text) {
        LVITEMW i{};
        i.iSubItem = subItem;
        i.pszText = const_cast<LPWSTR>(text);
        return static_cast<BOOL>(SendMessageW(LVM_SETITEMTEXTW, static_cast<WPARAM>(item),
                                              reinterpret_cast<LPARAM>(&i)));
    }
    CString GetItemText(int item, int subItem) const {
        wchar_t buffer[1024] = {};
        LVITEMW i{};
        i.iSubItem = subItem;
        i.pszText = buffer;
        i.cchTextMax = 1024;
        SendMessageW(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&i));
        return CString(buffer);
    }
    int GetItemCount() const { return static_cast<int>(SendMessageW(LVM_GETITEMCOUNT)); }
    BOOL DeleteItem(int item) {
        return static_cast<BOOL>(SendMessageW(LVM_DELETEITEM, static_cast<WPARAM>(item)));
    }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessageW(LVM_DELETEALLITEMS)); }
    int GetNextItem(int item, int flags) const {
        return static_cast<int>(SendMessageW(LVM_GETNEXTITEM, static_cast<WPARAM>(item), flags));
    }
    BOOL SetItemState(int item, UINT state, UINT mask) {
        LVITEMW i{};
        i.state = state;
        i.stateMask = mask;
        return static_cast<BOOL>(SendMessageW(LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                                              reinterpret_cast<LPARAM>(&i)));
    }
    UINT GetItemState(int item, UINT mask) const {
        return static_cast<UINT>(SendMessageW(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
    }
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessageW(LVM_GETSELECTEDCOUNT)); }
};
