// List views ("SysListView32") over QTreeWidget, shown in report style:
// columns with a header, one row per item, sub-item texts per column. The
// items and their states are kept here; the widget shows them, and the
// user's selection comes back as LVN_ITEMCHANGED through WM_NOTIFY.
#include "platform/ControlState.h"
#include "platform/rc/zxres.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>

namespace zx {
namespace {

QTreeWidget* ViewOf(ControlState& s) {
    return qobject_cast<QTreeWidget*>(s.widget);
}

bool ValidItem(const ListViewState& v, int index) {
    return index >= 0 && index < static_cast<int>(v.items.size());
}

std::wstring TextOf(const wchar_t* text) {
    return text ? std::wstring(text) : std::wstring();
}

void ShowText(ControlState& s, int index, int column) {
    QTreeWidgetItem* row = ViewOf(s)->topLevelItem(index);
    const auto& texts = s.listView.items[static_cast<size_t>(index)].texts;
    if (row && column < static_cast<int>(texts.size()))
        row->setText(column, QString::fromStdWString(texts[static_cast<size_t>(column)]));
}

// The widget's selection and current row follow the items' states.
void ShowStates(ControlState& s) {
    QTreeWidget* view = ViewOf(s);
    const QSignalBlocker block(view);
    s.listView.syncing = true;
    for (int i = 0; i < static_cast<int>(s.listView.items.size()); ++i) {
        const UINT state = s.listView.items[static_cast<size_t>(i)].state;
        QTreeWidgetItem* row = view->topLevelItem(i);
        row->setSelected((state & LVIS_SELECTED) != 0);
        if (state & LVIS_FOCUSED)
            view->setCurrentItem(row, 0, QItemSelectionModel::NoUpdate);
    }
    s.listView.syncing = false;
}

void NotifyChanged(ControlState& s, int index, UINT oldState, UINT newState) {
    NMLISTVIEW change{};
    change.hdr.code = LVN_ITEMCHANGED;
    change.iItem = index;
    change.uOldState = oldState;
    change.uNewState = newState;
    change.uChanged = LVIF_STATE;
    change.lParam = s.listView.items[static_cast<size_t>(index)].param;
    NotifyParentOf(s, change.hdr);
}

// Sets the masked state bits of one item and tells the parent when they
// changed; a single-selection list drops the other selections first.
void ChangeState(ControlState& s, int index, UINT state, UINT mask) {
    auto& items = s.listView.items;
    if (!ValidItem(s.listView, index))
        return;
    const UINT exclusive = ((s.style & LVS_SINGLESEL) ? LVIS_SELECTED : 0) | LVIS_FOCUSED;
    for (int other = 0; other < static_cast<int>(items.size()); ++other) {
        const UINT drop = exclusive & mask & state & items[static_cast<size_t>(other)].state;
        if (other != index && drop)
            ChangeState(s, other, 0, drop);
    }
    if (!ValidItem(s.listView, index))
        return; // the parent deleted it meanwhile
    ListViewItem& item = items[static_cast<size_t>(index)];
    const UINT old = item.state;
    item.state = (old & ~mask) | (state & mask);
    if (item.state != old) {
        ShowStates(s);
        NotifyChanged(s, index, old, item.state);
    }
}

LRESULT OnInsertColumn(ControlState& s, int at, const LVCOLUMNW* column) {
    if (!column)
        return -1;
    QTreeWidget* view = ViewOf(s);
    at = std::clamp(at, 0, s.listView.columns);
    // Sub-item texts move with their column.
    for (ListViewItem& item : s.listView.items) {
        if (at > 0 && static_cast<int>(item.texts.size()) >= at)
            item.texts.insert(item.texts.begin() + at, std::wstring());
    }
    ++s.listView.columns;
    QTreeWidgetItem* header = view->headerItem();
    QStringList titles;
    for (int c = 0; c < s.listView.columns - 1; ++c)
        titles << header->text(c);
    titles.insert(at, (column->mask & LVCF_TEXT)
                          ? QString::fromWCharArray(column->pszText ? column->pszText : L"")
                          : QString());
    view->setColumnCount(s.listView.columns);
    view->setHeaderLabels(titles);
    if (column->mask & LVCF_FMT) {
        const Qt::Alignment align = (column->fmt & 3) == LVCFMT_RIGHT    ? Qt::AlignRight
                                    : (column->fmt & 3) == LVCFMT_CENTER ? Qt::AlignHCenter
                                                                         : Qt::AlignLeft;
        header->setTextAlignment(at, align | Qt::AlignVCenter);
    }
    if ((column->mask & LVCF_WIDTH) && column->cx >= 0)
        view->setColumnWidth(at, column->cx);
    for (int i = 0; i < static_cast<int>(s.listView.items.size()); ++i) {
        for (int c = at; c < s.listView.columns; ++c)
            ShowText(s, i, c);
    }
    return at;
}

LRESULT OnInsertItem(ControlState& s, const LVITEMW* item) {
    if (!item || item->iSubItem != 0)
        return -1;
    auto& items = s.listView.items;
    const int at = std::clamp(item->iItem, 0, static_cast<int>(items.size()));
    ListViewItem added;
    added.texts.resize(static_cast<size_t>(std::max(1, s.listView.columns)));
    if ((item->mask & LVIF_TEXT) && item->pszText)
        added.texts[0] = item->pszText;
    if (item->mask & LVIF_PARAM)
        added.param = item->lParam;
    const UINT state = (item->mask & LVIF_STATE) ? item->state & item->stateMask : 0;
    items.insert(items.begin() + at, std::move(added));
    {
        const QSignalBlocker block(ViewOf(s));
        ViewOf(s)->insertTopLevelItem(at, new QTreeWidgetItem);
    }
    ShowText(s, at, 0);
    if (state)
        ChangeState(s, at, state, state);
    return at;
}

LRESULT OnSetItemText(ControlState& s, int index, const LVITEMW* item) {
    if (!item || !ValidItem(s.listView, index) || item->iSubItem < 0 ||
        item->iSubItem >= std::max(1, s.listView.columns))
        return FALSE;
    auto& texts = s.listView.items[static_cast<size_t>(index)].texts;
    if (static_cast<int>(texts.size()) <= item->iSubItem)
        texts.resize(static_cast<size_t>(item->iSubItem) + 1);
    texts[static_cast<size_t>(item->iSubItem)] = TextOf(item->pszText);
    ShowText(s, index, item->iSubItem);
    return TRUE;
}

// The text copied into the caller's buffer, cut to fit; its length returned.
LRESULT OnGetItemText(ControlState& s, int index, LVITEMW* item) {
    if (!item || !item->pszText || item->cchTextMax <= 0)
        return 0;
    item->pszText[0] = L'\0';
    if (!ValidItem(s.listView, index) || item->iSubItem < 0)
        return 0;
    const auto& texts = s.listView.items[static_cast<size_t>(index)].texts;
    if (item->iSubItem >= static_cast<int>(texts.size()))
        return 0;
    return CopyOut(texts[static_cast<size_t>(item->iSubItem)],
                   static_cast<WPARAM>(item->cchTextMax), reinterpret_cast<LPARAM>(item->pszText));
}

LRESULT OnDeleteItem(ControlState& s, int index) {
    if (!ValidItem(s.listView, index))
        return FALSE;
    s.listView.items.erase(s.listView.items.begin() + index);
    const QSignalBlocker block(ViewOf(s));
    delete ViewOf(s)->takeTopLevelItem(index);
    return TRUE;
}

LRESULT OnGetNextItem(ControlState& s, int start, UINT flags) {
    const UINT wanted = flags & (LVNI_SELECTED | LVNI_FOCUSED);
    for (int i = std::max(0, start + 1); i < static_cast<int>(s.listView.items.size()); ++i) {
        if ((s.listView.items[static_cast<size_t>(i)].state & wanted) == wanted)
            return i;
    }
    return -1;
}

// What the user selected in the widget becomes the items' states.
void TakeUserSelection(ControlState& s) {
    if (s.listView.syncing)
        return;
    QTreeWidget* view = ViewOf(s);
    const int current = view->indexOfTopLevelItem(view->currentItem());
    for (int i = 0; i < static_cast<int>(s.listView.items.size()); ++i) {
        QTreeWidgetItem* row = view->topLevelItem(i);
        UINT state = row && row->isSelected() ? LVIS_SELECTED : 0;
        if (i == current)
            state |= LVIS_FOCUSED;
        ListViewItem& item = s.listView.items[static_cast<size_t>(i)];
        const UINT old = item.state;
        item.state = (old & ~(LVIS_SELECTED | LVIS_FOCUSED)) | state;
        if (item.state != old) {
            NotifyChanged(s, i, old, item.state);
            if (!s.hwnd || s.listView.items.size() <= static_cast<size_t>(i))
                return;
        }
    }
}

} // namespace

QWidget* MakeListView(const DialogItem& item, QWidget* parent) {
    auto* view = new QTreeWidget(parent);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    // A report has the columns it is given; the other views show one.
    view->setColumnCount((item.style & LVS_TYPEMASK) == LVS_REPORT ? 0 : 1);
    view->setHeaderHidden((item.style & LVS_NOCOLUMNHEADER) != 0 ||
                          (item.style & LVS_TYPEMASK) != LVS_REPORT);
    view->header()->setSectionsClickable(!(item.style & LVS_NOSORTHEADER));
    view->header()->setStretchLastSection(false);
    view->setSelectionMode((item.style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                        : QAbstractItemView::ExtendedSelection);
    if (!(item.style & WS_BORDER) && !(item.exStyle & WS_EX_CLIENTEDGE))
        view->setFrameShape(QFrame::NoFrame);
    return view;
}

LRESULT ListViewProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    const auto index = static_cast<int>(static_cast<INT>(wParam));
    switch (msg) {
    case LVM_GETITEMCOUNT:
        return static_cast<LRESULT>(s.listView.items.size());
    case LVM_INSERTCOLUMNW:
        return OnInsertColumn(s, index, reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_SETCOLUMNWIDTH:
        if (index < 0 || index >= s.listView.columns)
            return FALSE;
        ViewOf(s)->setColumnWidth(index, static_cast<int>(lParam));
        return TRUE;
    case LVM_GETCOLUMNWIDTH:
        return index >= 0 && index < s.listView.columns ? ViewOf(s)->columnWidth(index) : 0;
    case LVM_INSERTITEMW:
        return OnInsertItem(s, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_SETITEMTEXTW:
        return OnSetItemText(s, index, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMTEXTW:
        return OnGetItemText(s, index, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_DELETEITEM:
        return OnDeleteItem(s, index);
    case LVM_DELETEALLITEMS: {
        s.listView.items.clear();
        const QSignalBlocker block(ViewOf(s));
        ViewOf(s)->clear();
        return TRUE;
    }
    case LVM_GETNEXTITEM:
        return OnGetNextItem(s, index, static_cast<UINT>(lParam));
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(s.listView.items.begin(), s.listView.items.end(),
                             [](const ListViewItem& i) { return i.state & LVIS_SELECTED; });
    case LVM_SETITEMSTATE: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (!item)
            return FALSE;
        if (index == -1) { // every item
            for (int i = 0; i < static_cast<int>(s.listView.items.size()); ++i)
                ChangeState(s, i, item->state, item->stateMask);
            return TRUE;
        }
        if (!ValidItem(s.listView, index))
            return FALSE;
        ChangeState(s, index, item->state, item->stateMask);
        return TRUE;
    }
    case LVM_GETITEMSTATE:
        return ValidItem(s.listView, index)
                   ? s.listView.items[static_cast<size_t>(index)].state & static_cast<UINT>(lParam)
                   : 0;
    default:
        handled = false;
        return 0;
    }
}

void AttachListView(ControlState& s) {
    QTreeWidget* view = ViewOf(s);
    if (!view)
        return;
    ControlState* state = &s;
    QObject::connect(view, &QTreeWidget::itemSelectionChanged, state,
                     [state] { TakeUserSelection(*state); });
    QObject::connect(view, &QTreeWidget::currentItemChanged, state,
                     [state] { TakeUserSelection(*state); });
}

} // namespace zx
