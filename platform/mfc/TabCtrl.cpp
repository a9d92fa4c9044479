#include "platform/TabCtrl.h"

#include "platform/rc/zxres.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTabBar>
#include <QWidget>

#include <algorithm>

namespace zx {
namespace {

// Display-area inset inside the frame, in pixels.
constexpr int kInset = 4;

class TabControlWidget final : public QWidget {
public:
    explicit TabControlWidget(QWidget* parent) : QWidget(parent) {
        m_frame = new QFrame(this);
        m_frame->setFrameShape(QFrame::StyledPanel);
        m_frame->setFrameShadow(QFrame::Raised);
        m_bar = new QTabBar(this);
        m_bar->setDrawBase(false);
        m_bar->setExpanding(false);
        m_bar->setUsesScrollButtons(true);
        m_bar->setFocusPolicy(Qt::TabFocus);
        Arrange();
    }
    QTabBar* bar() const { return m_bar; }
    int barHeight() const { return std::max(m_bar->sizeHint().height(), 20); }
    void Arrange() {
        const int h = barHeight();
        m_bar->setGeometry(0, 0, width(), h);
        m_frame->setGeometry(0, h - 1, width(), std::max(0, height() - h + 1));
        m_bar->raise();
    }

protected:
    void resizeEvent(QResizeEvent*) override { Arrange(); }

private:
    QTabBar* m_bar = nullptr;
    QFrame* m_frame = nullptr;
};

QTabBar* BarOf(HWND hwnd) {
    QWidget* w = WidgetFromHandle(hwnd);
    if (auto* bar = qobject_cast<QTabBar*>(w))
        return bar;
    return w ? w->findChild<QTabBar*>() : nullptr;
}

int BarHeight(HWND hwnd) {
    QWidget* w = WidgetFromHandle(hwnd);
    if (auto* composite = dynamic_cast<TabControlWidget*>(w))
        return composite->barHeight();
    QTabBar* bar = BarOf(hwnd);
    return bar ? bar->sizeHint().height() : 0;
}

LRESULT Notify(HWND hwnd, UINT code) {
    HWND parent = ::GetParent(hwnd);
    if (!parent)
        return 0;
    NMHDR header{hwnd, static_cast<UINT_PTR>(static_cast<UINT>(::GetDlgCtrlID(hwnd))), code};
    return ::SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// Asks the parent before the user's click or key changes the tab.
class TabInput final : public QObject {
public:
    TabInput(HWND hwnd, QTabBar* bar) : QObject(bar), m_hwnd(hwnd), m_bar(bar) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        int target = -1;
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton)
                target = m_bar->tabAt(mouse->position().toPoint());
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            const int current = m_bar->currentIndex();
            if (key == Qt::Key_Left || key == Qt::Key_Up)
                target = current - 1;
            else if (key == Qt::Key_Right || key == Qt::Key_Down)
                target = current + 1;
            else if (key == Qt::Key_Home)
                target = 0;
            else if (key == Qt::Key_End)
                target = m_bar->count() - 1;
        } else if (event->type() == QEvent::Wheel) {
            return true; // Windows' tabs do not scroll with the wheel
        }
        if (target < 0 || target >= m_bar->count() || target == m_bar->currentIndex())
            return false;
        // A non-zero answer keeps the current tab.
        return Notify(m_hwnd, TCN_SELCHANGING) != 0;
    }

private:
    HWND m_hwnd;
    QTabBar* m_bar;
};

void Wire(HWND hwnd, QTabBar* bar) {
    bar->installEventFilter(new TabInput(hwnd, bar));
    QObject::connect(bar, &QTabBar::currentChanged, bar, [hwnd](int) {
        if (IsWindow(hwnd))
            Notify(hwnd, TCN_SELCHANGE);
    });
}

QString ItemText(const TCITEMW* item) {
    return item && (item->mask & TCIF_TEXT) && item->pszText
               ? QString::fromWCharArray(item->pszText)
               : QString();
}

} // namespace

HWND CreateTabControl(QWidget* parent, DWORD style, int id) {
    auto* widget = new TabControlWidget(parent);
    HWND hwnd = CreateWindowHandle(&TabControlProc, nullptr);
    if (!hwnd) {
        delete widget;
        return nullptr;
    }
    SetControlId(widget, id);
    BindWidget(hwnd, widget, L"SysTabControl32", style, 0, true);
    Wire(hwnd, widget->bar());
    widget->setVisible((style & WS_VISIBLE) != 0);
    widget->setEnabled((style & WS_DISABLED) == 0);
    return hwnd;
}

LRESULT TabControlProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QTabBar* bar = BarOf(hWnd);
    if (!bar)
        return DefWidgetProc(hWnd, msg, wParam, lParam);
    const int index = static_cast<int>(wParam);
    switch (msg) {
    case TCM_GETITEMCOUNT:
        return bar->count();
    case TCM_GETCURSEL:
        return bar->currentIndex();
    case TCM_SETCURSEL: {
        const int previous = bar->currentIndex();
        if (index < 0 || index >= bar->count())
            return -1;
        const QSignalBlocker quiet(bar);
        bar->setCurrentIndex(index);
        return previous;
    }
    case TCM_INSERTITEMW: {
        const auto* item = reinterpret_cast<const TCITEMW*>(lParam);
        if (!item || index < 0)
            return -1;
        const QSignalBlocker quiet(bar);
        const int at = bar->insertTab(std::min(index, bar->count()), ItemText(item));
        if (item->mask & TCIF_PARAM)
            bar->setTabData(at, QVariant::fromValue(static_cast<qlonglong>(item->lParam)));
        return at;
    }
    case TCM_GETITEMW: {
        auto* item = reinterpret_cast<TCITEMW*>(lParam);
        if (!item || index < 0 || index >= bar->count())
            return FALSE;
        if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
            const std::wstring text = bar->tabText(index).toStdWString();
            const size_t n =
                std::min<size_t>(text.size(), static_cast<size_t>(item->cchTextMax - 1));
            std::copy_n(text.data(), n, item->pszText);
            item->pszText[n] = L'\0';
        }
        if (item->mask & TCIF_PARAM)
            item->lParam = static_cast<LPARAM>(bar->tabData(index).toLongLong());
        return TRUE;
    }
    case TCM_SETITEMW: {
        const auto* item = reinterpret_cast<const TCITEMW*>(lParam);
        if (!item || index < 0 || index >= bar->count())
            return FALSE;
        if (item->mask & TCIF_TEXT)
            bar->setTabText(index, ItemText(item));
        if (item->mask & TCIF_PARAM)
            bar->setTabData(index, QVariant::fromValue(static_cast<qlonglong>(item->lParam)));
        return TRUE;
    }
    case TCM_DELETEITEM: {
        if (index < 0 || index >= bar->count())
            return FALSE;
        const QSignalBlocker quiet(bar);
        bar->removeTab(index);
        return TRUE;
    }
    case TCM_DELETEALLITEMS: {
        const QSignalBlocker quiet(bar);
        while (bar->count() > 0)
            bar->removeTab(0);
        return TRUE;
    }
    case TCM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (!rect || index < 0 || index >= bar->count())
            return FALSE;
        QWidget* w = WidgetFromHandle(hWnd);
        const QRect r = bar->tabRect(index).translated(bar->mapTo(w, QPoint(0, 0)));
        *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        return TRUE;
    }
    case TCM_ADJUSTRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (!rect)
            return 0;
        const int top = BarHeight(hWnd) + kInset;
        if (wParam) {
            rect->left -= kInset;
            rect->top -= top;
            rect->right += kInset;
            rect->bottom += kInset;
        } else {
            rect->left += kInset;
            rect->top += top;
            rect->right -= kInset;
            rect->bottom -= kInset;
        }
        return 0;
    }
    default:
        return DefWidgetProc(hWnd, msg, wParam, lParam);
    }
}

} // namespace zx

BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (m_hWnd || !pParentWnd || !pParentWnd->GetWidget())
        return FALSE;
    HWND hwnd =
        zx::CreateTabControl(pParentWnd->GetWidget(), dwStyle | WS_CHILD, static_cast<int>(nID));
    if (!hwnd)
        return FALSE;
    ::MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
    return SubclassWindow(hwnd);
}

int CTabCtrl::GetItemCount() const {
    return static_cast<int>(SendMessageW(TCM_GETITEMCOUNT));
}

int CTabCtrl::GetCurSel() const {
    return m_hWnd ? static_cast<int>(SendMessageW(TCM_GETCURSEL)) : -1;
}

int CTabCtrl::SetCurSel(int nItem) {
    return static_cast<int>(SendMessageW(TCM_SETCURSEL, static_cast<WPARAM>(nItem)));
}

LONG CTabCtrl::InsertItem(int nItem, LPCWSTR lpszItem) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(lpszItem ? lpszItem : L"");
    return InsertItem(nItem, &item);
}

LONG CTabCtrl::InsertItem(int nItem, TCITEMW* pTabCtrlItem) {
    if (!m_hWnd)
        return -1;
    return static_cast<LONG>(SendMessageW(TCM_INSERTITEMW, static_cast<WPARAM>(nItem),
                                          reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::GetItem(int nItem, TCITEMW* pTabCtrlItem) const {
    return static_cast<BOOL>(SendMessageW(TCM_GETITEMW, static_cast<WPARAM>(nItem),
                                          reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::SetItem(int nItem, TCITEMW* pTabCtrlItem) {
    return static_cast<BOOL>(SendMessageW(TCM_SETITEMW, static_cast<WPARAM>(nItem),
                                          reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::DeleteItem(int nItem) {
    return static_cast<BOOL>(SendMessageW(TCM_DELETEITEM, static_cast<WPARAM>(nItem)));
}

BOOL CTabCtrl::DeleteAllItems() {
    return static_cast<BOOL>(SendMessageW(TCM_DELETEALLITEMS));
}

BOOL CTabCtrl::GetItemRect(int nItem, LPRECT lpRect) const {
    return static_cast<BOOL>(SendMessageW(TCM_GETITEMRECT, static_cast<WPARAM>(nItem),
                                          reinterpret_cast<LPARAM>(lpRect)));
}

void CTabCtrl::AdjustRect(BOOL bLarger, LPRECT lpRect) {
    SendMessageW(TCM_ADJUSTRECT, static_cast<WPARAM>(bLarger), reinterpret_cast<LPARAM>(lpRect));
}
