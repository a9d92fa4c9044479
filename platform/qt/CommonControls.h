#pragma once
// The state the common controls' window procedures keep (internal to the
// window system): up-down controls, trackbars, list views and tree views.
// Each control's widget, procedure and notifications live in its own file
// (UpDownControl, TrackbarControl, ListViewControl, TreeViewControl).

#include "platform/DialogTemplate.h"
#include "platform/WindowMessages.h"

#include <QPointer>

#include <map>
#include <string>
#include <vector>

class QObject;
class QTreeWidgetItem;
class QWidget;

namespace zx {

struct ControlState;

// Windows' defaults: an up-down runs from 100 down to 0 until told otherwise.
struct UpDownState {
    int low = 100; // the minimum, which may lie above the maximum
    int high = 0;
    int pos = 0;
    HWND buddy = nullptr;
    bool held = false;            // an arrow is down: its release ends the scroll
    QObject* arrowKeys = nullptr; // the buddy's key filter (UDS_ARROWKEYS)
};

// A trackbar's page is a fifth of its range until set.
struct TrackbarState {
    int low = 0;
    int high = 100;
    int pos = 0;
    int page = 20;
    int line = 1;
    int ticFrequency = 1;
};

struct ListViewItem {
    std::vector<std::wstring> texts; // one per column, the item's own first
    UINT state = 0;
    LPARAM param = 0;
};

struct ListViewState {
    std::vector<ListViewItem> items;
    int columns = 0;
    bool syncing = false; // the widget follows the items: no notifications
};

// Tree items are known to callers by handles that are never reused, so a
// stale handle finds nothing instead of a freed item.
struct TreeViewState {
    std::map<HTREEITEM, QTreeWidgetItem*> items;
    std::map<const QTreeWidgetItem*, HTREEITEM> handles;
    std::map<HTREEITEM, LPARAM> params;
    std::uintptr_t nextHandle = 1;
    HTREEITEM selected = nullptr;
    bool syncing = false;
};

// The widgets of the common controls' template items.
QWidget* MakeUpDown(const DialogItem& item, QWidget* parent);
QWidget* MakeTrackbar(const DialogItem& item, QWidget* parent);
QWidget* MakeListView(const DialogItem& item, QWidget* parent);
QWidget* MakeTreeView(const DialogItem& item, QWidget* parent);

// WM_NOTIFY from a control to the nearest window up the widget tree; returns
// the parent's answer (0 when there is none).
LRESULT NotifyParentOf(ControlState& s, NMHDR& header);
// WM_HSCROLL or WM_VSCROLL (MAKEWPARAM(code, pos), the control's handle).
void ScrollParent(ControlState& s, bool vertical, int code, int pos);

} // namespace zx
