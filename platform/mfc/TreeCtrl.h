#pragma once
// CTreeCtrl: a tree view ("SysTreeView32") driven by TVM_ messages.

#include "platform/ControlMessages.h"
#include "platform/String.h"
#include "platform/Wnd.h"

class CTreeCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(L"SysTreeView32", nullptr, style, rect, parent, id);
    }
    HTREEITEM InsertItem(LPCWSTR text, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM insertAfter = TVI_LAST) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = insertAfter;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<LPWSTR>(text);
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const {
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM item) {
        return static_cast<BOOL>(
            SendMessageW(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
    }
    CString GetItemText(HTREEITEM item) const {
        wchar_t buffer[1024] = {};
        TVITEMW i{};
        i.mask = TVIF_TEXT | TVIF_HANDLE;
        i.hItem = item;
        i.pszText = buffer;
        i.cchTextMax = 1024;
        SendMessageW(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&i));
        return CString(buffer);
    }
    BOOL DeleteItem(HTREEITEM item) {
        return static_cast<BOOL>(SendMessageW(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
    }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    BOOL Expand(HTREEITEM item, UINT code) {
        return static_cast<BOOL>(SendMessageW(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
    }
    UINT GetCount() const { return static_cast<UINT>(SendMessageW(TVM_GETCOUNT)); }
};
