// Tree views ("SysTreeView32") over QTreeWidget: items inserted under a
// parent at the first or last place or after a sibling, walked through
// TVM_GETNEXTITEM, selected, expanded and deleted; the selection's changes
// reach the parent as TVN_SELCHANGEDW through WM_NOTIFY.
#include "platform/ControlState.h"
#include "platform/rc/zxres.h"

#include <QGuiApplication>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <functional>

namespace zx {
namespace {

QTreeWidget* TreeOf(ControlState& s) {
    return qobject_cast<QTreeWidget*>(s.widget);
}

QTreeWidgetItem* ItemOf(ControlState& s, HTREEITEM handle) {
    const auto it = s.treeView.items.find(handle);
    return it == s.treeView.items.end() ? nullptr : it->second;
}

HTREEITEM HandleOf(ControlState& s, const QTreeWidgetItem* item) {
    const auto it = s.treeView.handles.find(item);
    return it == s.treeView.handles.end() ? nullptr : it->second;
}

// The item's place among its siblings: children of the parent item, or the
// top-level items.
int IndexIn(QTreeWidget* tree, QTreeWidgetItem* parent, QTreeWidgetItem* item) {
    return parent ? parent->indexOfChild(item) : tree->indexOfTopLevelItem(item);
}
int CountIn(QTreeWidget* tree, QTreeWidgetItem* parent) {
    return parent ? parent->childCount() : tree->topLevelItemCount();
}
QTreeWidgetItem* ChildIn(QTreeWidget* tree, QTreeWidgetItem* parent, int index) {
    return parent ? parent->child(index) : tree->topLevelItem(index);
}

TVITEMW Describe(ControlState& s, HTREEITEM handle) {
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = handle;
    const auto param = s.treeView.params.find(handle);
    item.lParam = param == s.treeView.params.end() ? 0 : param->second;
    return item;
}

// Selects the item (null clears the selection) and tells the parent.
void Select(ControlState& s, HTREEITEM handle, UINT action) {
    const HTREEITEM old = s.treeView.selected;
    if (old == handle)
        return;
    s.treeView.selected = handle;
    if (QTreeWidgetItem* item = ItemOf(s, handle)) {
        // The caret item is always in view: its parents open.
        for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
            p->setExpanded(true);
        const QSignalBlocker block(TreeOf(s));
        TreeOf(s)->setCurrentItem(item);
    } else {
        const QSignalBlocker block(TreeOf(s));
        TreeOf(s)->setCurrentItem(nullptr);
        TreeOf(s)->clearSelection();
    }
    NMTREEVIEWW change{};
    change.hdr.code = TVN_SELCHANGEDW;
    change.action = action;
    change.itemOld = Describe(s, old);
    change.itemNew = Describe(s, handle);
    NotifyParentOf(s, change.hdr);
}

LRESULT OnInsert(ControlState& s, const TVINSERTSTRUCTW* insert) {
    if (!insert)
        return 0;
    QTreeWidget* tree = TreeOf(s);
    QTreeWidgetItem* parent = nullptr;
    if (insert->hParent && insert->hParent != TVI_ROOT) {
        parent = ItemOf(s, insert->hParent);
        if (!parent)
            return 0;
    }
    int at = CountIn(tree, parent); // TVI_LAST, and TVI_SORT's fallback
    if (insert->hInsertAfter == TVI_FIRST) {
        at = 0;
    } else if (insert->hInsertAfter == TVI_SORT) {
        const QString text = QString::fromWCharArray(
            (insert->item.mask & TVIF_TEXT) && insert->item.pszText ? insert->item.pszText : L"");
        at = 0;
        while (at < CountIn(tree, parent) &&
               QString::compare(ChildIn(tree, parent, at)->text(0), text, Qt::CaseInsensitive) <= 0)
            ++at;
    } else if (insert->hInsertAfter && insert->hInsertAfter != TVI_LAST) {
        QTreeWidgetItem* after = ItemOf(s, insert->hInsertAfter);
        if (after && after->parent() == parent)
            at = IndexIn(tree, parent, after) + 1;
    }
    auto* item = new QTreeWidgetItem;
    if ((insert->item.mask & TVIF_TEXT) && insert->item.pszText)
        item->setText(0, QString::fromWCharArray(insert->item.pszText));
    if (parent)
        parent->insertChild(at, item);
    else
        tree->insertTopLevelItem(at, item);
    auto handle = reinterpret_cast<HTREEITEM>(s.treeView.nextHandle++);
    s.treeView.items[handle] = item;
    s.treeView.handles[item] = handle;
    s.treeView.params[handle] = (insert->item.mask & TVIF_PARAM) ? insert->item.lParam : 0;
    return reinterpret_cast<LRESULT>(handle);
}

// The item and everything under it leave the tree, the parent hearing of
// each (TVN_DELETEITEMW) so that it can free what it keeps for them.
void Forget(ControlState& s, QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i)
        Forget(s, item->child(i));
    const HTREEITEM handle = HandleOf(s, item);
    NMTREEVIEWW gone{};
    gone.hdr.code = TVN_DELETEITEMW;
    gone.itemOld = Describe(s, handle);
    s.treeView.items.erase(handle);
    s.treeView.handles.erase(item);
    s.treeView.params.erase(handle);
    NotifyParentOf(s, gone.hdr);
}

LRESULT OnDelete(ControlState& s, HTREEITEM handle) {
    QTreeWidget* tree = TreeOf(s);
    std::vector<QTreeWidgetItem*> doomed;
    if (!handle || handle == TVI_ROOT) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            doomed.push_back(tree->topLevelItem(i));
    } else if (QTreeWidgetItem* item = ItemOf(s, handle)) {
        doomed.push_back(item);
    } else {
        return FALSE;
    }
    // A deleted selection leaves the tree without one.
    bool selectionGone = false;
    for (QTreeWidgetItem* item : doomed) {
        for (QTreeWidgetItem* i = ItemOf(s, s.treeView.selected); i; i = i->parent())
            selectionGone = selectionGone || i == item;
    }
    if (selectionGone)
        Select(s, nullptr, TVC_UNKNOWN);
    const QSignalBlocker block(tree);
    for (QTreeWidgetItem* item : doomed) {
        if (!HandleOf(s, item))
            continue; // the parent deleted it while hearing of another
        Forget(s, item);
        delete item;
    }
    return TRUE;
}

LRESULT OnGetNext(ControlState& s, UINT relation, HTREEITEM handle) {
    QTreeWidget* tree = TreeOf(s);
    QTreeWidgetItem* item = ItemOf(s, handle);
    QTreeWidgetItem* found = nullptr;
    switch (relation) {
    case TVGN_ROOT:
        found = tree->topLevelItem(0);
        break;
    case TVGN_CARET:
        return reinterpret_cast<LRESULT>(s.treeView.selected);
    case TVGN_CHILD:
        found = !handle || handle == TVI_ROOT ? tree->topLevelItem(0)
                : item                        ? item->child(0)
                                              : nullptr;
        break;
    case TVGN_PARENT:
        found = item ? item->parent() : nullptr;
        break;
    case TVGN_NEXT:
    case TVGN_PREVIOUS:
        if (item) {
            QTreeWidgetItem* parent = item->parent();
            const int at = IndexIn(tree, parent, item) + (relation == TVGN_NEXT ? 1 : -1);
            found = at >= 0 && at < CountIn(tree, parent) ? ChildIn(tree, parent, at) : nullptr;
        }
        break;
    default:
        break;
    }
    return reinterpret_cast<LRESULT>(HandleOf(s, found));
}

LRESULT OnGetItem(ControlState& s, TVITEMW* item) {
    QTreeWidgetItem* node = item ? ItemOf(s, item->hItem) : nullptr;
    if (!node)
        return FALSE;
    if ((item->mask & TVIF_TEXT) && item->pszText && item->cchTextMax > 0)
        CopyOut(node->text(0).toStdWString(), static_cast<WPARAM>(item->cchTextMax),
                reinterpret_cast<LPARAM>(item->pszText));
    if (item->mask & TVIF_PARAM)
        item->lParam = s.treeView.params[item->hItem];
    if (item->mask & TVIF_STATE) {
        const UINT state = (item->hItem == s.treeView.selected ? TVIS_SELECTED : 0) |
                           (node->isExpanded() ? TVIS_EXPANDED : 0);
        item->state = state & (item->stateMask ? item->stateMask : ~0u);
    }
    if (item->mask & TVIF_CHILDREN)
        item->cChildren = node->childCount() > 0 ? 1 : 0;
    return TRUE;
}

LRESULT OnSetItem(ControlState& s, const TVITEMW* item) {
    QTreeWidgetItem* node = item ? ItemOf(s, item->hItem) : nullptr;
    if (!node)
        return FALSE;
    if (item->mask & TVIF_TEXT)
        node->setText(0, QString::fromWCharArray(item->pszText ? item->pszText : L""));
    if (item->mask & TVIF_PARAM)
        s.treeView.params[item->hItem] = item->lParam;
    return TRUE;
}

LRESULT OnExpand(ControlState& s, UINT action, HTREEITEM handle) {
    QTreeWidgetItem* node = ItemOf(s, handle);
    if (!node)
        return FALSE;
    switch (action & 3) {
    case TVE_EXPAND:
        node->setExpanded(true);
        return TRUE;
    case TVE_COLLAPSE:
        node->setExpanded(false);
        return TRUE;
    case TVE_TOGGLE:
        node->setExpanded(!node->isExpanded());
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

QWidget* MakeTreeView(const DialogItem& item, QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    // Buttons and lines by the root only with TVS_LINESATROOT, as on Windows.
    tree->setRootIsDecorated((item.style & TVS_LINESATROOT) != 0);
    tree->setIndentation(tree->fontMetrics().height() + 3);
    if (!(item.style & WS_BORDER) && !(item.exStyle & WS_EX_CLIENTEDGE))
        tree->setFrameShape(QFrame::NoFrame);
    return tree;
}

LRESULT TreeViewProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    auto* handle = reinterpret_cast<HTREEITEM>(lParam);
    switch (msg) {
    case TVM_INSERTITEMW:
        return OnInsert(s, reinterpret_cast<const TVINSERTSTRUCTW*>(lParam));
    case TVM_DELETEITEM:
        return OnDelete(s, handle);
    case TVM_EXPAND:
        return OnExpand(s, static_cast<UINT>(wParam), handle);
    case TVM_GETCOUNT:
        return static_cast<LRESULT>(s.treeView.items.size());
    case TVM_GETNEXTITEM:
        return OnGetNext(s, static_cast<UINT>(wParam), handle);
    case TVM_SELECTITEM:
        if ((wParam & 0xFF) != TVGN_CARET)
            return FALSE;
        if (handle && !ItemOf(s, handle))
            return FALSE;
        Select(s, handle, TVC_UNKNOWN);
        return TRUE;
    case TVM_GETITEMW:
        return OnGetItem(s, reinterpret_cast<TVITEMW*>(lParam));
    case TVM_SETITEMW:
        return OnSetItem(s, reinterpret_cast<const TVITEMW*>(lParam));
    default:
        handled = false;
        return 0;
    }
}

void AttachTreeView(ControlState& s) {
    QTreeWidget* tree = TreeOf(s);
    if (!tree)
        return;
    ControlState* state = &s;
    QObject::connect(
        tree, &QTreeWidget::currentItemChanged, state, [state](QTreeWidgetItem* current) {
            const bool mouse = QGuiApplication::mouseButtons() != Qt::NoButton;
            Select(*state, HandleOf(*state, current), mouse ? TVC_BYMOUSE : TVC_BYKEYBOARD);
        });
}

} // namespace zx
