#include "platform/Wnd.h"

#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "platform/Font.h"
#include "platform/WindowTable.h"
#include "platform/rc/zxres.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <memory>
#include <unordered_map>
#include <vector>

// Grants the window layer's helpers what CWnd keeps protected.
struct CWndAccess {
    static const AFX_MSGMAP* Map(const CWnd* wnd) { return wnd->GetMessageMap(); }
    static CFont*& Font(CWnd* wnd) { return wnd->m_pFont; }
    static BOOL WndMsg(CWnd* wnd, UINT m, WPARAM w, LPARAM l, LRESULT* r) {
        return wnd->OnWndMsg(m, w, l, r);
    }
    static CWnd Special(HWND h) { return CWnd(h); }
};

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

namespace zx {
namespace {

// Windows and their objects. User-interface thread only.
struct HandleMaps {
    std::unordered_map<HWND, CWnd*> permanent;
    // Objects made by FromHandle for windows that have no object of their own.
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
};

HandleMaps& Maps() {
    static auto* maps = new HandleMaps;
    return *maps;
}

void DropTemporary(HWND hwnd) {
    auto it = Maps().temporary.find(hwnd);
    if (it == Maps().temporary.end())
        return;
    std::unique_ptr<CWnd> wnd = std::move(it->second);
    Maps().temporary.erase(it);
    wnd->m_hWnd = nullptr;
}

// Frees the objects of windows that went without the window layer seeing it.
void SweepTemporaries() {
    std::vector<HWND> dead;
    for (auto& [hwnd, wnd] : Maps().temporary) {
        if (!IsWindow(hwnd))
            dead.push_back(hwnd);
    }
    for (HWND hwnd : dead)
        DropTemporary(hwnd);
}

// The message each window procedure call is serving, for CWnd::Default.
struct CurrentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local CurrentMessage t_current{};

CWnd*& MainWnd() {
    static CWnd* main = nullptr;
    return main;
}

bool HasOwnProcedure(HWND hwnd) {
    WindowInfo info;
    return LookupWindow(hwnd, info) && info.proc == &AfxWndProc;
}

// The CWnd that handles a window's messages through its message map.
CWnd* RoutedObject(HWND hwnd) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    return wnd && HasOwnProcedure(hwnd) ? wnd : nullptr;
}

bool HandlesMessage(CWnd* wnd, UINT message) {
    return FindMessageEntry(CWndAccess::Map(wnd), message, 0, 0) != nullptr;
}

// ---- Qt events become the messages Windows would send -----------------------

class EventBridge final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return KeyEvent(watched, static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return MouseEvent(watched, static_cast<QMouseEvent*>(event));
        case QEvent::Paint:
            return PaintEvent(watched);
        case QEvent::Close:
            return CloseEvent(watched, static_cast<QCloseEvent*>(event));
        case QEvent::Resize:
            ResizeEvent(watched);
            return false;
        case QEvent::Show:
            ShowEvent(watched);
            return false;
        case QEvent::Enter:
            EnterEvent(watched);
            return false;
        default:
            return false;
        }
    }

private:
    static HWND BoundHandle(QObject* watched) {
        auto* w = qobject_cast<QWidget*>(watched);
        return w ? HandleFromWidget(w) : nullptr;
    }

    // An event travels up the widget tree while widgets ignore it, meeting
    // this filter at every step: only its first step is translated.
    bool FirstSighting(QWidget* receiver, const QInputEvent* event) {
        const bool propagation = event == m_lastInput && event->type() == m_lastType &&
                                 m_lastReceiver && receiver->isAncestorOf(m_lastReceiver);
        m_lastInput = event;
        m_lastType = event->type();
        m_lastReceiver = receiver;
        return !propagation;
    }

    bool KeyEvent(QObject* watched, QKeyEvent* event) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !FirstSighting(w, event))
            return false;
        HWND target = WindowFromWidget(w);
        if (!target)
            return false;
        WPARAM vk = 0;
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            vk = VK_RETURN;
            break;
        case Qt::Key_Escape:
            vk = VK_ESCAPE;
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            vk = VK_TAB;
            break;
        default:
            if (event->key() >= Qt::Key_Space && event->key() <= Qt::Key_AsciiTilde)
                vk = static_cast<WPARAM>(QChar::toUpper(static_cast<char32_t>(event->key())));
            else
                return false;
        }
        MSG msg{target,
                event->type() == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP,
                vk,
                1,
                static_cast<DWORD>(event->timestamp()),
                CursorPoint()};
        return WalkPreTranslateTree(&msg);
    }

    bool MouseEvent(QObject* watched, QMouseEvent* event) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !FirstSighting(w, event))
            return false;
        HWND target = WindowFromWidget(w);
        if (!target)
            return false;
        UINT message = 0;
        const bool right = event->button() == Qt::RightButton;
        if (event->button() != Qt::LeftButton && !right)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            message = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
            break;
        case QEvent::MouseButtonRelease:
            message = right ? WM_RBUTTONUP : WM_LBUTTONUP;
            break;
        default:
            message = right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
            break;
        }
        const QPoint global = event->globalPosition().toPoint();
        QWidget* targetWidget = WidgetFromHandle(target);
        const QPoint local = targetWidget ? targetWidget->mapFromGlobal(global) : QPoint();
        MSG msg{target,
                message,
                0,
                MAKELPARAM(local.x(), local.y()),
                static_cast<DWORD>(event->timestamp()),
                POINT{global.x(), global.y()}};
        return WalkPreTranslateTree(&msg);
    }

    // WM_ERASEBKGND and WM_PAINT for the windows whose maps handle them; a
    // WM_PAINT handler paints instead of the widget.
    static bool PaintEvent(QObject* watched) {
        HWND hwnd = BoundHandle(watched);
        CWnd* wnd = hwnd ? RoutedObject(hwnd) : nullptr;
        if (!wnd)
            return false;
        if (HandlesMessage(wnd, WM_ERASEBKGND)) {
            QPainter painter(static_cast<QWidget*>(watched));
            CDC dc(&painter);
            SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        }
        if (HandlesMessage(wnd, WM_PAINT)) {
            SendMessageW(hwnd, WM_PAINT, 0, 0);
            return true;
        }
        return false;
    }

    static bool CloseEvent(QObject* watched, QCloseEvent* event) {
        HWND hwnd = BoundHandle(watched);
        if (!hwnd || !static_cast<QWidget*>(watched)->isWindow() || !RoutedObject(hwnd))
            return false;
        // The window decides: dialogs cancel, other windows destroy themselves.
        event->ignore();
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        return true;
    }

    static void ResizeEvent(QObject* watched) {
        HWND hwnd = BoundHandle(watched);
        if (!hwnd || !RoutedObject(hwnd))
            return;
        auto* w = static_cast<QWidget*>(watched);
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width(), w->height()));
    }

    static void ShowEvent(QObject* watched) {
        if (HWND hwnd = BoundHandle(watched); hwnd && RoutedObject(hwnd))
            RefreshControlColours(hwnd);
    }

    static void EnterEvent(QObject* watched) {
        HWND hwnd = BoundHandle(watched);
        if (!hwnd)
            return;
        SetCursorTarget(static_cast<QWidget*>(watched));
        const LPARAM lParam = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
        for (HWND h = hwnd; h; h = GetParent(h)) {
            if (SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), lParam))
                break;
            if (!(WindowStyle(h) & WS_CHILD))
                break;
        }
        SetCursorTarget(nullptr);
    }

    static POINT CursorPoint() {
        const QPoint p = QCursor::pos();
        return POINT{p.x(), p.y()};
    }

    const QInputEvent* m_lastInput = nullptr;
    QEvent::Type m_lastType = QEvent::None;
    QPointer<QWidget> m_lastReceiver;
};

void EnsureEventBridge() {
    static QPointer<EventBridge> bridge;
    if (bridge || !QCoreApplication::instance())
        return;
    bridge = new EventBridge(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(bridge);
}

// A control class the dialog builder knows.
bool IsControlClass(std::wstring_view cls) {
    const std::wstring name = CanonicalClassName(cls);
    return name == L"Button" || name == L"Edit" || name == L"Static" || name == L"ComboBox" ||
           name == L"ListBox" || name == L"msctls_progress32" || name == L"RichEdit20A" ||
           name == L"RichEdit20W" || name == L"RICHEDIT50W" || name == L"SysTabControl32";
}

} // namespace

void SetMainWnd(CWnd* pWnd) {
    MainWnd() = pWnd;
}

LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (message == WM_NCDESTROY) {
        // The children go before their parent's last message.
        if (QWidget* w = WidgetFromHandle(hWnd)) {
            std::vector<HWND> children;
            for (QObject* child : w->children()) {
                if (auto* cw = qobject_cast<QWidget*>(child)) {
                    if (HWND h = WindowFromWidget(cw); h && h != hWnd)
                        children.push_back(h);
                }
            }
            for (HWND child : children)
                DestroyWindowTree(child);
        }
    }
    if (!wnd)
        return DefWidgetProc(hWnd, message, wParam, lParam);
    const CurrentMessage saved = t_current;
    t_current = CurrentMessage{hWnd, message, wParam, lParam};
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    t_current = saved;
    return result;
}

bool WalkPreTranslateTree(MSG* pMsg) {
    for (HWND h = pMsg->hwnd; h; h = GetParent(h)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(h); wnd && wnd->PreTranslateMessage(pMsg))
            return true;
        if (!IsWindow(pMsg->hwnd))
            return true; // a handler destroyed the target: the message is spent
        if (!(WindowStyle(h) & WS_CHILD))
            break;
    }
    return false;
}

// Posted messages that the Qt event loop drains get the same first look as
// those of explicit pumps.
const bool g_preTranslateInstalled = (SetPreTranslateHook(&WalkPreTranslateTree), true);

bool DestroyWindowTree(HWND hwnd) {
    if (!IsWindow(hwnd))
        return false;
    if (QWidget* w = WidgetFromHandle(hwnd)) {
        std::vector<HWND> children;
        std::vector<QWidget*> pending{w};
        while (!pending.empty()) {
            QWidget* current = pending.back();
            pending.pop_back();
            for (QObject* child : current->children()) {
                auto* cw = qobject_cast<QWidget*>(child);
                if (!cw)
                    continue;
                if (HWND h = HandleFromWidget(cw))
                    children.push_back(h);
                else
                    pending.push_back(cw);
            }
        }
        for (HWND child : children)
            DestroyWindowTree(child);
    }
    const BOOL destroyed = ::DestroyWindow(hwnd);
    // An object attached without routing its window's messages never heard
    // of the end.
    if (CWnd* attached = CWnd::FromHandlePermanent(hwnd))
        attached->Detach();
    ReleaseBinding(hwnd);
    DropTemporary(hwnd);
    return destroyed != FALSE;
}

const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id) {
    UINT lookup = message;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        lookup = WM_CTLCOLOR;
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
            if (e->pnRegisteredMessage) {
                if (message >= 0xC000u && *e->pnRegisteredMessage == message)
                    return e;
                continue;
            }
            if (e->nMessage != lookup)
                continue;
            if (lookup == WM_COMMAND || lookup == WM_NOTIFY) {
                if (e->nCode == code && id >= e->nID && id <= e->nLastID)
                    return e;
            } else if (lookup == WM_COMMAND + WM_REFLECT_BASE ||
                       lookup == WM_NOTIFY + WM_REFLECT_BASE) {
                if (e->nCode == code)
                    return e;
            } else {
                return e;
            }
        }
    }
    return nullptr;
}

} // namespace zx

CWnd* AfxGetMainWnd() {
    return zx::MainWnd();
}

// ---- CWnd -------------------------------------------------------------------------

CWnd::CWnd() {
    zx::EnsureEventBridge();
}

CWnd::~CWnd() {
    if (m_hWnd && this != &wndTop && this != &wndBottom && this != &wndTopMost &&
        this != &wndNoTopMost) {
        if (zx::Maps().permanent.count(m_hWnd) && zx::Maps().permanent[m_hWnd] == this) {
            // The object goes first: its window goes with it, without calling
            // back into the half-destroyed object.
            HWND hwnd = m_hWnd;
            if (m_pfnSuper) {
                zx::SetWindowProcedure(hwnd, m_pfnSuper);
                m_pfnSuper = nullptr;
            }
            zx::Maps().permanent.erase(hwnd);
            m_hWnd = nullptr;
            if (zx::HasOwnProcedure(hwnd))
                zx::SetWindowProcedure(hwnd, &zx::DefWidgetProc);
            zx::DestroyWindowTree(hwnd);
        }
    }
    if (zx::MainWnd() == this)
        zx::MainWnd() = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (!hWnd)
        return nullptr;
    auto it = zx::Maps().permanent.find(hWnd);
    return it != zx::Maps().permanent.end() ? it->second : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd || !IsWindow(hWnd))
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hWnd))
        return wnd;
    auto& temporary = zx::Maps().temporary;
    if (auto it = temporary.find(hWnd); it != temporary.end())
        return it->second.get();
    if (temporary.size() >= 64 && (temporary.size() & (temporary.size() - 1)) == 0)
        zx::SweepTemporaries();
    auto wnd = std::make_unique<CWnd>();
    wnd->m_hWnd = hWnd;
    CWnd* result = wnd.get();
    temporary.emplace(hWnd, std::move(wnd));
    return result;
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (!hWndNew || !IsWindow(hWndNew) || m_hWnd || FromHandlePermanent(hWndNew))
        return FALSE;
    zx::Maps().permanent[hWndNew] = this;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (hwnd) {
        auto it = zx::Maps().permanent.find(hwnd);
        if (it != zx::Maps().permanent.end() && it->second == this)
            zx::Maps().permanent.erase(it);
    }
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC old = zx::SetWindowProcedure(hWnd, &zx::AfxWndProc);
    m_pfnSuper = old && old != &zx::AfxWndProc ? old : &zx::DefWidgetProc;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent || !pParent->m_hWnd)
        return FALSE;
    HWND item = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
    return item ? SubclassWindow(item) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_hWnd)
        return nullptr;
    if (m_pfnSuper) {
        zx::SetWindowProcedure(m_hWnd, m_pfnSuper);
        m_pfnSuper = nullptr;
    }
    return Detach();
}

QWidget* CWnd::GetWidget() const {
    return zx::WidgetFromHandle(m_hWnd);
}

BOOL CWnd::CreateForWidget(QWidget* widget, std::wstring_view className, DWORD style,
                           DWORD exStyle) {
    if (!widget || m_hWnd)
        return FALSE;
    HWND hwnd = zx::CreateWindowHandle(&zx::AfxWndProc, this);
    if (!hwnd)
        return FALSE;
    zx::Maps().permanent[hwnd] = this;
    m_hWnd = hwnd;
    zx::BindWidget(hwnd, widget, className, style, exStyle, true);
    zx::EnsureEventBridge();
    return TRUE;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, void*) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, nullptr);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID) {
    if (m_hWnd)
        return FALSE;
    QWidget* parent = pParentWnd ? pParentWnd->GetWidget() : nullptr;
    if ((dwStyle & WS_CHILD) && !parent)
        return FALSE;
    const std::wstring cls = lpszClassName && !IS_INTRESOURCE(lpszClassName)
                                 ? std::wstring(lpszClassName)
                                 : std::wstring(L"ZxWindow");
    const CRect r(rect);
    if (zx::IsControlClass(cls) && parent) {
        zx::DialogItem item;
        item.style = dwStyle;
        item.exStyle = dwExStyle;
        item.id = nID;
        item.windowClass.kind = zx::SzOrOrd::Kind::String;
        item.windowClass.text = cls;
        if (lpszWindowName) {
            item.title.kind = zx::SzOrOrd::Kind::String;
            item.title.text = lpszWindowName;
        }
        QWidget* widget = zx::DialogBuilder::createControl(item, parent);
        widget->setGeometry(r.left, r.top, r.Width(), r.Height());
        HWND hwnd = zx::CreateControlHandle(widget, cls, dwStyle, dwExStyle, static_cast<int>(nID));
        if (!hwnd) {
            delete widget;
            return FALSE;
        }
        if (!SubclassWindow(hwnd)) {
            zx::DestroyWindowTree(hwnd);
            return FALSE;
        }
        return TRUE;
    }
    auto* widget = new QWidget(parent, (dwStyle & WS_CHILD) || !parent ? Qt::Widget : Qt::Window);
    if (!(dwStyle & WS_CHILD) && parent)
        widget->setWindowFlags(Qt::Window);
    widget->setGeometry(r.left, r.top, r.Width(), r.Height());
    if (lpszWindowName)
        widget->setWindowTitle(QString::fromWCharArray(lpszWindowName));
    zx::SetControlId(widget, static_cast<int>(nID));
    if (!CreateForWidget(widget, cls, dwStyle, dwExStyle)) {
        delete widget;
        return FALSE;
    }
    SendMessageW(WM_CREATE, 0, 0);
    if (dwStyle & WS_DISABLED)
        widget->setEnabled(false);
    if (dwStyle & WS_VISIBLE)
        widget->show();
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    return zx::DestroyWindowTree(m_hWnd) ? TRUE : FALSE;
}

CWnd* CWnd::GetDlgItem(int nID) const {
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

void CWnd::GetDlgItem(int nID, HWND* phWnd) const {
    if (phWnd)
        *phWnd = ::GetDlgItem(m_hWnd, nID);
}

int CWnd::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(m_hWnd);
}

int CWnd::SetDlgCtrlID(int nID) {
    return static_cast<int>(::SetWindowLongPtrW(m_hWnd, GWL_ID, nID));
}

CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::GetTopLevelParent() const {
    HWND h = m_hWnd;
    while (h && (zx::WindowStyle(h) & WS_CHILD) && ::GetParent(h))
        h = ::GetParent(h);
    return FromHandle(h);
}

BOOL CWnd::IsChild(const CWnd* pWnd) const {
    return pWnd ? ::IsChild(m_hWnd, pWnd->m_hWnd) : FALSE;
}

CWnd* CWnd::GetFocus() {
    return FromHandle(::GetFocus());
}

CWnd* CWnd::SetFocus() {
    return FromHandle(::SetFocus(m_hWnd));
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    return ::EnableWindow(m_hWnd, bEnable);
}

BOOL CWnd::IsWindowEnabled() const {
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}

DWORD CWnd::GetStyle() const {
    return zx::WindowStyle(m_hWnd);
}

DWORD CWnd::GetExStyle() const {
    return zx::WindowExStyle(m_hWnd);
}

namespace {
// Changes one style word; FALSE when the window is gone or nothing changes.
BOOL ChangeStyleWord(HWND hWnd, int index, DWORD current, DWORD dwRemove, DWORD dwAdd) {
    const DWORD updated = (current & ~dwRemove) | dwAdd;
    if (updated == current)
        return FALSE;
    ::SetWindowLongPtrW(hWnd, index, static_cast<LONG_PTR>(updated));
    return TRUE;
}
} // namespace

BOOL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT) {
    return IsWindow(hWnd) &&
           ChangeStyleWord(hWnd, GWL_STYLE, zx::WindowStyle(hWnd), dwRemove, dwAdd);
}

BOOL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT) {
    return IsWindow(hWnd) &&
           ChangeStyleWord(hWnd, GWL_EXSTYLE, zx::WindowExStyle(hWnd), dwRemove, dwAdd);
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    return ModifyStyle(m_hWnd, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    return ModifyStyleEx(m_hWnd, dwRemove, dwAdd, nFlags);
}

void CWnd::SetWindowTextW(LPCWSTR lpszString) {
    ::SetWindowTextW(m_hWnd, lpszString);
}

int CWnd::GetWindowTextW(LPWSTR lpszStringBuf, int nMaxCount) const {
    return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowTextW(CString& rString) const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const int n = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    rString = CString(buffer.c_str(), n);
}

int CWnd::GetWindowTextLengthW() const {
    return ::GetWindowTextLengthW(m_hWnd);
}

void CWnd::SetDlgItemTextW(int nID, LPCWSTR lpszString) {
    ::SetDlgItemTextW(m_hWnd, nID, lpszString);
}

int CWnd::GetDlgItemTextW(int nID, CString& rString) const {
    rString.Empty();
    if (CWnd* item = GetDlgItem(nID))
        item->GetWindowTextW(rString);
    return rString.GetLength();
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) {
    ::CheckDlgButton(m_hWnd, nIDButton, nCheck);
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const {
    return ::IsDlgButtonChecked(m_hWnd, nIDButton);
}

LRESULT CWnd::SendDlgItemMessageW(int nID, UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
    ::GetWindowRect(m_hWnd, lpRect);
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    ::GetClientRect(m_hWnd, lpRect);
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const {
    ::ScreenToClient(m_hWnd, lpPoint);
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
    if (!lpRect)
        return;
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const {
    ::ClientToScreen(m_hWnd, lpPoint);
}

void CWnd::ClientToScreen(LPRECT lpRect) const {
    if (!lpRect)
        return;
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
    if (lpRect)
        ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                     lpRect->bottom - lpRect->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : HWND_TOP, x, y, cx,
                          cy, nFlags);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    QWidget* w = GetWidget();
    if (!w || !w->isWindow())
        return;
    QRect area;
    QWidget* owner = pAlternateOwner ? pAlternateOwner->GetWidget() : w->parentWidget();
    if (owner && owner->window()->isVisible())
        area = owner->window()->frameGeometry();
    else if (QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    const QSize size = w->frameGeometry().size();
    w->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

void CWnd::Invalidate(BOOL bErase) {
    ::InvalidateRect(m_hWnd, nullptr, bErase);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
    ::InvalidateRect(m_hWnd, lpRect, bErase);
}

void CWnd::UpdateWindow() {
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, void* prgnUpdate, UINT flags) {
    return ::RedrawWindow(m_hWnd, lpRectUpdate, prgnUpdate, flags);
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    m_pFont = pFont;
    SendMessageW(WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->GetSafeHandle() : nullptr),
                 bRedraw);
}

CFont* CWnd::GetFont() const {
    return m_pFont;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    return ::KillTimer(m_hWnd, nIDEvent);
}

LRESULT CWnd::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const auto& m = zx::t_current;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    if (!m_hWnd)
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const zx::DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper)
        return m_pfnSuper(m_hWnd, message, wParam, lParam);
    return zx::DefWidgetProc(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        if (!OnCommand(wParam, lParam))
            return FALSE;
        result = 1;
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || !OnNotify(wParam, lParam, &result))
            return FALSE;
        break;
    }
    case WM_NCDESTROY:
        OnNcDestroy();
        break;
    default: {
        const AFX_MSGMAP_ENTRY* entry = zx::FindMessageEntry(GetMessageMap(), message, 0, 0);
        if (!entry) {
            if (message == WM_DESTROY) {
                OnDestroy();
                break;
            }
            if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
                result = reinterpret_cast<LRESULT>(OnCtlColor(
                    CDC::FromHandle(reinterpret_cast<HDC>(wParam)),
                    FromHandle(reinterpret_cast<HWND>(lParam)), message - WM_CTLCOLORMSGBOX));
                break;
            }
            return FALSE;
        }
        entry->pfn(this, message, wParam, lParam, &result);
        break;
    }
    }
    if (pResult)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    auto control = reinterpret_cast<HWND>(lParam);
    if (control) {
        CWnd* child = FromHandlePermanent(control);
        if (child && child != this && zx::HasOwnProcedure(control) &&
            child->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = zx::FindMessageEntry(GetMessageMap(), WM_COMMAND, code, id);
    if (!entry)
        return FALSE;
    LRESULT ignored = 0;
    entry->pfn(this, WM_COMMAND, wParam, lParam, &ignored);
    return TRUE;
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header)
        return FALSE;
    if (CWnd* child = FromHandlePermanent(header->hwndFrom);
        child && child != this && zx::HasOwnProcedure(header->hwndFrom) &&
        child->OnChildNotify(WM_NOTIFY, 0, lParam, pResult))
        return TRUE;
    const AFX_MSGMAP_ENTRY* entry = zx::FindMessageEntry(GetMessageMap(), WM_NOTIFY, header->code,
                                                         static_cast<UINT>(header->idFrom));
    if (!entry)
        return FALSE;
    LRESULT result = 0;
    entry->pfn(this, WM_NOTIFY, 0, lParam, &result);
    if (pResult)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    UINT code = 0;
    if (message == WM_COMMAND)
        code = HIWORD(wParam);
    else if (message == WM_NOTIFY && lParam)
        code = reinterpret_cast<const NMHDR*>(lParam)->code;
    const AFX_MSGMAP_ENTRY* entry =
        zx::FindMessageEntry(GetMessageMap(), message + WM_REFLECT_BASE, code, 0);
    if (!entry)
        return FALSE;
    LRESULT result = 0;
    entry->pfn(this, message + WM_REFLECT_BASE, wParam, lParam, &result);
    if (pResult)
        *pResult = result;
    // ON_CONTROL_REFLECT_EX handlers say whether the parent sees it too.
    return message == WM_COMMAND ? result != 0 : TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

void CWnd::PostNcDestroy() {}

void CWnd::PreSubclassWindow() {}

void CWnd::OnTimer(UINT_PTR) {
    Default();
}

void CWnd::OnPaint() {
    Default();
}

BOOL CWnd::OnEraseBkgnd(CDC*) {
    return static_cast<BOOL>(Default());
}

HBRUSH CWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    // A control that picks its own colours (ON_WM_CTLCOLOR_REFLECT) wins.
    if (pWnd && pWnd != this && zx::HasOwnProcedure(pWnd->m_hWnd)) {
        if (CWnd* child = FromHandlePermanent(pWnd->m_hWnd)) {
            const AFX_MSGMAP_ENTRY* entry =
                zx::FindMessageEntry(child->GetMessageMap(), WM_CTLCOLOR + WM_REFLECT_BASE, 0, 0);
            if (entry) {
                LRESULT brush = 0;
                entry->pfn(child, WM_CTLCOLOR + WM_REFLECT_BASE,
                           reinterpret_cast<WPARAM>(pDC ? pDC->GetSafeHdc() : nullptr), nCtlColor,
                           &brush);
                if (brush)
                    return reinterpret_cast<HBRUSH>(brush);
            }
        }
    }
    return reinterpret_cast<HBRUSH>(Default());
}

BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return static_cast<BOOL>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) {
    Default();
}

void CWnd::OnDestroy() {
    Default();
}

void CWnd::OnNcDestroy() {
    Default();
    HWND hwnd = m_hWnd;
    if (m_pfnSuper) {
        zx::SetWindowProcedure(hwnd, m_pfnSuper);
        m_pfnSuper = nullptr;
    }
    Detach();
    zx::ReleaseBinding(hwnd);
    if (zx::MainWnd() == this)
        zx::MainWnd() = nullptr;
    PostNcDestroy();
}

void CWnd::OnSize(UINT, int, int) {
    Default();
}

void CWnd::OnClose() {
    Default();
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}
