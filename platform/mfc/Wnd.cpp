#include "platform/Wnd.h"

#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "platform/Font.h"
#include "platform/WindowClassHooks.h"
#include "platform/WindowTable.h"
#include "platform/rc/zxres.h"

#include <QApplication>
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

// What the window system asks of the window objects.
bool RoutesMessages(HWND hwnd) {
    return RoutedObject(hwnd) != nullptr;
}

bool HandlesMessage(HWND hwnd, UINT message) {
    CWnd* wnd = RoutedObject(hwnd);
    return wnd && FindMessageEntry(CWndAccess::Map(wnd), message, 0, 0) != nullptr;
}

// An object attached without routing its window's messages never heard of
// the end.
void WindowDestroyed(HWND hwnd) {
    if (CWnd* attached = CWnd::FromHandlePermanent(hwnd))
        attached->Detach();
    DropTemporary(hwnd);
}

// A control class the dialog builder knows.
bool IsControlClass(std::wstring_view cls) {
    const std::wstring name = CanonicalClassName(cls);
    return name == L"Button" || name == L"Edit" || name == L"Static" || name == L"ComboBox" ||
           name == L"ListBox" || name == L"msctls_progress32" || name == L"RichEdit20A" ||
           name == L"RichEdit20W" || name == L"RICHEDIT50W" || name == L"SysTabControl32" ||
           name == L"msctls_updown32" || name == L"msctls_trackbar32" || name == L"SysListView32" ||
           name == L"SysTreeView32";
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
// those of explicit pumps; the window system asks the objects the rest.
const bool g_hooksInstalled = [] {
    SetPreTranslateHook(&WalkPreTranslateTree);
    SetWindowClassHooks(
        {&RoutesMessages, &HandlesMessage, &WalkPreTranslateTree, &WindowDestroyed});
    return true;
}();

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
    CRect r(rect);
    // Children are placed in the parent's client area, below a menu bar.
    if (dwStyle & WS_CHILD)
        r.OffsetRect(0, zx::ClientTop(parent));
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
