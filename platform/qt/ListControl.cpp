// List boxes: single-selection lists over QListWidget, with the Windows rules
// of their items kept in a ComboList, as a combo box keeps its own.
#include "platform/ControlState.h"
#include "platform/rc/zxres.h"

#include <QListWidget>
#include <QSignalBlocker>

#include <new>
#include <stdexcept>

namespace zx {
namespace {

QListWidget* ListOf(ControlState& s) {
    return qobject_cast<QListWidget*>(s.widget);
}

// The widget shows what the list holds and selects; the list decides.
void SyncSelection(ControlState& s) {
    QListWidget* list = ListOf(s);
    const QSignalBlocker block(list);
    const int selection = s.list.selection();
    if (selection < 0) {
        list->clearSelection();
        list->setCurrentRow(-1);
    } else {
        list->setCurrentRow(selection);
    }
}

std::wstring TextParameter(LPARAM lParam) {
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    return text ? std::wstring(text) : std::wstring();
}

LRESULT OnAddOrInsert(ControlState& s, UINT msg, int start, LPARAM lParam) {
    // A list that cannot grow any more answers LB_ERRSPACE, as Windows does,
    // instead of letting the failure out of the window procedure.
    int at = LB_ERR;
    try {
        const std::wstring text = TextParameter(lParam);
        at = msg == LB_ADDSTRING ? s.list.add(text) : s.list.insert(start, text);
        if (at >= 0) {
            QListWidget* list = ListOf(s);
            const QSignalBlocker block(list);
            list->insertItem(at, QString::fromStdWString(text));
        }
    } catch (const std::bad_alloc&) {
        return LB_ERRSPACE;
    } catch (const std::length_error&) {
        return LB_ERRSPACE;
    }
    if (at >= 0)
        SyncSelection(s);
    return at;
}

LRESULT OnDelete(ControlState& s, int index) {
    const int left = s.list.remove(index);
    if (left >= 0) {
        QListWidget* list = ListOf(s);
        const QSignalBlocker block(list);
        delete list->takeItem(index);
        SyncSelection(s);
    }
    return left;
}

LRESULT OnGetItemText(ControlState& s, int index, LPARAM lParam) {
    const std::wstring* item = s.list.text(index);
    auto* out = reinterpret_cast<wchar_t*>(lParam);
    if (!item || !out)
        return LB_ERR;
    std::copy(item->begin(), item->end(), out);
    out[item->size()] = L'\0';
    return static_cast<LRESULT>(item->size());
}

LRESULT OnSetSelection(ControlState& s, int index) {
    // -1 clears the selection and still answers LB_ERR, as documented.
    const bool ok = s.list.select(index) && index >= 0;
    SyncSelection(s);
    return ok ? index : LB_ERR;
}

LRESULT OnSelectString(ControlState& s, int start, LPARAM lParam) {
    const int found = s.list.find(start, TextParameter(lParam));
    if (found >= 0) {
        s.list.select(found);
        SyncSelection(s);
    }
    return found;
}

} // namespace

LRESULT ListProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    const auto start = static_cast<int>(static_cast<LONG>(wParam));
    switch (msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
        return OnAddOrInsert(s, msg, start, lParam);
    case LB_DELETESTRING:
        return OnDelete(s, start);
    case LB_RESETCONTENT: {
        s.list.clear();
        const QSignalBlocker block(ListOf(s));
        ListOf(s)->clear();
        return LB_OKAY;
    }
    case LB_GETCOUNT:
        return s.list.count();
    case LB_GETCURSEL:
        return s.list.selection();
    case LB_SETCURSEL:
        return OnSetSelection(s, start);
    case LB_GETTEXT:
        return OnGetItemText(s, start, lParam);
    case LB_GETTEXTLEN: {
        const std::wstring* item = s.list.text(start);
        return item ? static_cast<LRESULT>(item->size()) : LB_ERR;
    }
    case LB_GETITEMDATA:
        return static_cast<LRESULT>(s.list.data(start));
    case LB_SETITEMDATA:
        return s.list.setData(start, static_cast<DWORD_PTR>(lParam)) ? LB_OKAY : LB_ERR;
    case LB_FINDSTRING:
        return s.list.find(start, TextParameter(lParam));
    case LB_FINDSTRINGEXACT:
        return s.list.findExact(start, TextParameter(lParam));
    case LB_SELECTSTRING:
        return OnSelectString(s, start, lParam);
    default:
        handled = false;
        return 0;
    }
}

void AttachList(ControlState& s) {
    QListWidget* list = ListOf(s);
    s.list.setSorted((s.style & LBS_SORT) != 0);
    // The list keeps the order; the widget must not sort behind its back.
    list->setSortingEnabled(false);
    for (int i = 0; i < list->count(); ++i)
        s.list.insert(-1, list->item(i)->text().toStdWString());
    s.list.select(list->currentRow());
    SyncSelection(s);

    // Only the user's choices are notified, and only with LBS_NOTIFY.
    ControlState* state = &s;
    QObject::connect(list, &QListWidget::currentRowChanged, state, [state](int row) {
        state->list.select(row);
        if (state->style & LBS_NOTIFY)
            NotifyParent(*state, LBN_SELCHANGE);
    });
    QObject::connect(list, &QListWidget::itemDoubleClicked, state, [state] {
        if (state->style & LBS_NOTIFY)
            NotifyParent(*state, LBN_DBLCLK);
    });
}

} // namespace zx
