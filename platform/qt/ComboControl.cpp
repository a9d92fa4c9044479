// Combo boxes: drop-down lists and combo boxes over QComboBox, with the
// Windows rules of their item list kept in ComboList.
#include "platform/ControlState.h"
#include "platform/rc/zxres.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace zx {
namespace {

// CBS_SIMPLE: the edit field on top and the list always shown beneath it,
// filling the rest of the control; there is no drop-down button.
class SimpleCombo : public QComboBox {
public:
    SimpleCombo(int editHeight, QWidget* parent)
        : QComboBox(parent), m_editHeight(editHeight), m_list(new QListView(this)) {
        setEditable(true);
        m_list->setModel(model());
        m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_list->setFocusPolicy(Qt::NoFocus);
        QObject::connect(m_list, &QListView::clicked, this, [this](const QModelIndex& index) {
            setCurrentIndex(index.row());
            emit activated(index.row());
        });
        QObject::connect(this, &QComboBox::currentIndexChanged, m_list,
                         [this](int row) { m_list->setCurrentIndex(model()->index(row, 0)); });
        // QComboBox lays its edit field out over its whole height whenever
        // it sees fit (a new current item, a style change...); it goes back.
        lineEdit()->installEventFilter(this);
    }

    void showPopup() override {} // the list is always there

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == lineEdit() &&
            (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
            lineEdit()->geometry() != editPlace())
            lineEdit()->setGeometry(editPlace());
        return QComboBox::eventFilter(watched, event);
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QComboBox::resizeEvent(event);
        place();
    }
    void showEvent(QShowEvent* event) override {
        QComboBox::showEvent(event);
        place();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = QRect(0, 0, width(), std::min(m_editHeight, height()));
        frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, this);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);
    }

private:
    QRect editPlace() const {
        const int edit = std::min(m_editHeight, height());
        const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
        return QRect(border, border, width() - 2 * border, edit - 2 * border);
    }

    void place() {
        const int edit = std::min(m_editHeight, height());
        if (lineEdit())
            lineEdit()->setGeometry(editPlace());
        m_list->setGeometry(0, edit, width(), std::max(0, height() - edit));
    }

    int m_editHeight;
    QListView* m_list;
};

QComboBox* BoxOf(ControlState& s) {
    return qobject_cast<QComboBox*>(s.widget);
}

// The widget shows what the list holds and selects; the list decides.
void SyncSelection(ControlState& s) {
    QComboBox* box = BoxOf(s);
    const QSignalBlocker block(box);
    box->setCurrentIndex(s.combo.selection());
    if (box->isEditable() && s.combo.selection() < 0)
        box->setEditText(QString());
}

std::wstring TextParameter(LPARAM lParam) {
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    return text ? std::wstring(text) : std::wstring();
}

LRESULT OnAddOrInsert(ControlState& s, UINT msg, int start, LPARAM lParam) {
    const std::wstring text = TextParameter(lParam);
    const int at = msg == CB_ADDSTRING ? s.combo.add(text) : s.combo.insert(start, text);
    if (at >= 0) {
        QComboBox* box = BoxOf(s);
        const QSignalBlocker block(box);
        box->insertItem(at, QString::fromStdWString(text));
        SyncSelection(s);
    }
    return at;
}

LRESULT OnDelete(ControlState& s, int index) {
    const int left = s.combo.remove(index);
    if (left >= 0) {
        QComboBox* box = BoxOf(s);
        const QSignalBlocker block(box);
        box->removeItem(index);
        SyncSelection(s);
    }
    return left;
}

LRESULT OnReset(ControlState& s) {
    s.combo.clear();
    QComboBox* box = BoxOf(s);
    const QSignalBlocker block(box);
    box->clear();
    SyncSelection(s);
    return CB_OKAY;
}

LRESULT OnGetItemText(ControlState& s, int index, LPARAM lParam) {
    const std::wstring* item = s.combo.text(index);
    auto* out = reinterpret_cast<wchar_t*>(lParam);
    if (!item || !out)
        return CB_ERR;
    std::copy(item->begin(), item->end(), out);
    out[item->size()] = L'\0';
    return static_cast<LRESULT>(item->size());
}

LRESULT OnSelectString(ControlState& s, int start, LPARAM lParam) {
    const int found = s.combo.find(start, TextParameter(lParam));
    if (found >= 0) {
        s.combo.select(found);
        SyncSelection(s);
    }
    return found;
}

// The edit field's text, or the selected item's for a drop-down list.
LRESULT OnGetText(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
    QComboBox* box = BoxOf(s);
    std::wstring current;
    if (box->isEditable())
        current = box->currentText().toStdWString();
    else if (const std::wstring* item = s.combo.text(s.combo.selection()))
        current = *item;
    return msg == WM_GETTEXTLENGTH ? static_cast<LRESULT>(current.size())
                                   : CopyOut(current, wParam, lParam);
}

LRESULT OnSetText(ControlState& s, LPARAM lParam) {
    QComboBox* box = BoxOf(s);
    if (!box->isEditable())
        return CB_ERR; // a drop-down list shows only its items
    const QSignalBlocker block(box);
    box->setEditText(FromWide(reinterpret_cast<const wchar_t*>(lParam)));
    return TRUE;
}

} // namespace

QWidget* MakeComboBox(DWORD style, int editHeight, QWidget* parent) {
    // CBS_SIMPLE and CBS_DROPDOWN have an edit field; a drop-down list has not.
    const DWORD type = style & 0x3;
    if (type == CBS_SIMPLE)
        return new SimpleCombo(editHeight, parent);
    auto* box = new QComboBox(parent);
    box->setEditable(type == CBS_DROPDOWN);
    return box;
}

LRESULT ComboProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    const auto start = static_cast<int>(static_cast<LONG>(wParam));
    switch (msg) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
        return OnAddOrInsert(s, msg, start, lParam);
    case CB_DELETESTRING:
        return OnDelete(s, start);
    case CB_RESETCONTENT:
        return OnReset(s);
    case CB_GETCOUNT:
        return s.combo.count();
    case CB_GETCURSEL:
        return s.combo.selection();
    case CB_SETCURSEL: {
        const bool ok = s.combo.select(start) && start >= 0;
        SyncSelection(s);
        return ok ? start : CB_ERR;
    }
    case CB_GETLBTEXT:
        return OnGetItemText(s, start, lParam);
    case CB_GETLBTEXTLEN: {
        const std::wstring* item = s.combo.text(start);
        return item ? static_cast<LRESULT>(item->size()) : CB_ERR;
    }
    case CB_GETITEMDATA:
        return static_cast<LRESULT>(s.combo.data(start));
    case CB_SETITEMDATA:
        return s.combo.setData(start, static_cast<DWORD_PTR>(lParam)) ? CB_OKAY : CB_ERR;
    case CB_FINDSTRING:
        return s.combo.find(start, TextParameter(lParam));
    case CB_FINDSTRINGEXACT:
        return s.combo.findExact(start, TextParameter(lParam));
    case CB_SELECTSTRING:
        return OnSelectString(s, start, lParam);
    case CB_SHOWDROPDOWN:
        if (wParam)
            BoxOf(s)->showPopup();
        else
            BoxOf(s)->hidePopup();
        return TRUE;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return OnGetText(s, msg, wParam, lParam);
    case WM_SETTEXT:
        return OnSetText(s, lParam);
    default:
        handled = false;
        return 0;
    }
}

void AttachCombo(ControlState& s) {
    QComboBox* box = BoxOf(s);
    s.combo.setSorted((s.style & CBS_SORT) != 0);
    const DWORD type = s.style & 0x3;
    box->setEditable(type == CBS_SIMPLE || type == CBS_DROPDOWN);
    for (int i = 0; i < box->count(); ++i)
        s.combo.insert(-1, box->itemText(i).toStdWString());
    SyncSelection(s);

    // Only the user's choices are notified; the list follows every change.
    ControlState* state = &s;
    QObject::connect(box, &QComboBox::currentIndexChanged, state,
                     [state](int index) { state->combo.select(index); });
    QObject::connect(box, &QComboBox::activated, state, [state](int index) {
        state->combo.select(index);
        NotifyParent(*state, CBN_SELCHANGE);
    });
}

} // namespace zx
