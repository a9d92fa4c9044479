#include "platform/Menu.h"

#include "platform/MenuTemplate.h"
#include "platform/ResImage.h"
#include "platform/Resources.h"
#include "platform/String.h"
#include "platform/WidgetHandles.h"
#include "platform/Wnd.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace zx {
namespace {

struct Item {
    UINT id = 0;
    UINT state = 0; // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_DEFAULT
    bool separator = false;
    HMENU popup = nullptr;
    std::wstring text;
};

struct MenuNode {
    bool bar = false;
    std::vector<Item> items;
};

struct MenuTable {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, MenuNode> menus;
    std::uintptr_t next = 1;
    std::unordered_map<HWND, HMENU> windowMenus;                // SetMenu
    std::unordered_map<HMENU, std::unique_ptr<CMenu>> wrappers; // CMenu::FromHandle
};

MenuTable& Table() {
    static auto* t = new MenuTable;
    return *t;
}

PopupMenuHook& Hook() {
    static PopupMenuHook h;
    return h;
}

// Call with the lock held.
HMENU NewMenu(MenuTable& t, bool bar) {
    const std::uintptr_t handle = (t.next++ << 4) | 0x9;
    t.menus[handle].bar = bar;
    return reinterpret_cast<HMENU>(handle);
}

MenuNode* Find(MenuTable& t, HMENU menu) {
    const auto it = t.menus.find(reinterpret_cast<std::uintptr_t>(menu));
    return it == t.menus.end() ? nullptr : &it->second;
}

void Destroy(MenuTable& t, HMENU menu, int depth) {
    MenuNode* node = Find(t, menu);
    if (!node || depth > 64)
        return;
    std::vector<HMENU> popups;
    for (const Item& item : node->items) {
        if (item.popup)
            popups.push_back(item.popup);
    }
    t.menus.erase(reinterpret_cast<std::uintptr_t>(menu));
    for (HMENU popup : popups)
        Destroy(t, popup, depth + 1);
}

void Build(MenuTable& t, HMENU menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& src : items) {
        Item item;
        item.text = src.text;
        item.separator = src.separator;
        item.state = ((src.state & MFS_GRAYED) ? MF_GRAYED : 0) |
                     ((src.state & MFS_CHECKED) ? MF_CHECKED : 0) |
                     ((src.state & MFS_DEFAULT) ? MF_DEFAULT : 0);
        if (src.popup) {
            item.popup = NewMenu(t, false);
            Build(t, item.popup, src.children);
        } else {
            item.id = src.id;
        }
        Find(t, menu)->items.push_back(std::move(item));
    }
}

// The item named by position or command (searching pop-ups for commands).
Item* Locate(MenuTable& t, HMENU menu, UINT item, UINT flags, int depth = 0) {
    MenuNode* node = Find(t, menu);
    if (!node || depth > 64)
        return nullptr;
    if (flags & MF_BYPOSITION)
        return item < node->items.size() ? &node->items[item] : nullptr;
    for (Item& entry : node->items) {
        if (!entry.popup && !entry.separator && entry.id == item)
            return &entry;
    }
    for (Item& entry : node->items) {
        if (entry.popup) {
            if (Item* found = Locate(t, entry.popup, item, flags, depth + 1))
                return found;
        }
    }
    return nullptr;
}

// Windows marks accelerators with '&' and separates a shortcut with a tab;
// Qt reads both the same way.
template <class QtMenu> void Fill(MenuTable& t, QtMenu& qmenu, HMENU menu, int depth) {
    const MenuNode* node = Find(t, menu);
    if (!node || depth > 64)
        return;
    for (const Item& item : node->items) {
        if (item.separator) {
            // A menu bar shows no separators.
            if constexpr (std::is_same_v<QtMenu, QMenu>)
                qmenu.addSeparator();
        } else if (item.popup) {
            QMenu* sub = qmenu.addMenu(QString::fromStdWString(item.text));
            Fill(t, *sub, item.popup, depth + 1);
            sub->setEnabled((item.state & (MF_GRAYED | MF_DISABLED)) == 0);
        } else {
            QAction* action = qmenu.addAction(QString::fromStdWString(item.text));
            action->setData(item.id);
            action->setEnabled((item.state & (MF_GRAYED | MF_DISABLED)) == 0);
            if (item.state & MF_CHECKED) {
                action->setCheckable(true);
                action->setChecked(true);
            }
        }
    }
}

HMENU LoadFrom(HINSTANCE module, LPCWSTR name) {
    HRSRC res = FindResourceW(module, name, MAKEINTRESOURCEW(kRtMenu));
    if (!res)
        return nullptr;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    const DWORD size = SizeofResource(module, res);
    if (!data)
        return nullptr;
    const auto parsed = ParseMenuTemplate({data, size});
    if (!parsed)
        return nullptr;
    MenuTable& t = Table();
    std::lock_guard lock(t.mutex);
    HMENU menu = NewMenu(t, true);
    Build(t, menu, parsed->items);
    return menu;
}

// The bar of a window's menu: a command chosen in it reaches the window as
// WM_COMMAND (HIWORD(wParam) = 0), as Windows sends it. Pop-ups are filled
// again when they open, so that items enabled or checked since show as they
// are.
void SendCommands(QWidget* menu, HWND hwnd, int depth = 0) {
    if (depth > 64)
        return;
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu()) {
            SendCommands(sub, hwnd, depth + 1);
        } else if (action->data().isValid()) {
            const UINT id = action->data().toUInt();
            QObject::connect(action, &QAction::triggered, action,
                             [hwnd, id] { SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); });
        }
    }
}

void FillBar(MenuTable& t, QMenuBar& bar, HMENU menu, HWND hwnd) {
    const MenuNode* node = Find(t, menu);
    if (!node)
        return;
    for (const Item& item : node->items) {
        if (item.separator)
            continue;
        const bool enabled = (item.state & (MF_GRAYED | MF_DISABLED)) == 0;
        if (!item.popup) {
            QAction* action = bar.addAction(QString::fromStdWString(item.text));
            action->setData(item.id);
            action->setEnabled(enabled);
            continue;
        }
        QMenu* sub = bar.addMenu(QString::fromStdWString(item.text));
        sub->setEnabled(enabled);
        const HMENU popup = item.popup;
        QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, popup, hwnd] {
            sub->clear();
            {
                MenuTable& table = Table();
                std::lock_guard lock(table.mutex);
                Fill(table, *sub, popup, 1);
            }
            SendCommands(sub, hwnd);
        });
        Fill(t, *sub, popup, 1);
    }
}

QMenuBar* NewBar(HWND hwnd, HMENU menu) {
    auto* bar = new QMenuBar;
    {
        MenuTable& t = Table();
        std::lock_guard lock(t.mutex);
        FillBar(t, *bar, menu, hwnd);
    }
    SendCommands(bar, hwnd);
    // The window's menu goes with its window, as on Windows.
    QObject::connect(bar, &QObject::destroyed, [hwnd, menu] {
        MenuTable& t = Table();
        {
            std::lock_guard lock(t.mutex);
            const auto it = t.windowMenus.find(hwnd);
            if (it == t.windowMenus.end() || it->second != menu)
                return;
            t.windowMenus.erase(it);
        }
        ::DestroyMenu(menu);
    });
    return bar;
}

} // namespace

PopupMenuHook SetPopupMenuHook(PopupMenuHook newHook) {
    PopupMenuHook previous = std::move(Hook());
    Hook() = std::move(newHook);
    return previous;
}

} // namespace zx

HMENU LoadMenuW(HINSTANCE module, LPCWSTR name) {
    if (module)
        return zx::LoadFrom(module, name);
    if (HMENU menu = zx::LoadFrom(AfxGetResourceHandle(), name))
        return menu;
    if (HMENU menu = zx::LoadFrom(nullptr, name))
        return menu;
    return zx::LoadFrom(AfxGetInstanceHandle(), name);
}

HMENU CreatePopupMenu() {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    return zx::NewMenu(t, false);
}

HMENU CreateMenu() {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    return zx::NewMenu(t, true);
}

BOOL DestroyMenu(HMENU menu) {
    std::unique_ptr<CMenu> wrapper; // destroyed after the lock is let go
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    if (!zx::Find(t, menu))
        return FALSE;
    zx::Destroy(t, menu, 0);
    if (const auto it = t.wrappers.find(menu); it != t.wrappers.end()) {
        wrapper = std::move(it->second);
        t.wrappers.erase(it);
    }
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    return zx::Find(t, menu) ? TRUE : FALSE;
}

HMENU GetSubMenu(HMENU menu, int position) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    const zx::Item* item =
        position < 0 ? nullptr : zx::Locate(t, menu, static_cast<UINT>(position), MF_BYPOSITION);
    return item ? item->popup : nullptr;
}

int GetMenuItemCount(HMENU menu) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    const zx::MenuNode* node = zx::Find(t, menu);
    return node ? static_cast<int>(node->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    const zx::Item* item =
        position < 0 ? nullptr : zx::Locate(t, menu, static_cast<UINT>(position), MF_BYPOSITION);
    if (!item || item->popup)
        return 0xFFFFFFFFu;
    return item->separator ? 0 : item->id;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int max, UINT flags) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    const zx::Item* found = zx::Locate(t, menu, item, flags);
    if (!found)
        return 0;
    const int length = static_cast<int>(found->text.size());
    if (!buffer || max <= 0)
        return length;
    const int n = std::min(length, max - 1);
    std::copy_n(found->text.data(), n, buffer);
    buffer[n] = L'\0';
    return n;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    const zx::Item* found = zx::Locate(t, menu, item, flags);
    if (!found)
        return 0xFFFFFFFFu;
    UINT state = found->state;
    if (found->separator)
        state |= MF_SEPARATOR;
    if (found->popup) {
        const zx::MenuNode* sub = zx::Find(t, found->popup);
        state |= MF_POPUP | (static_cast<UINT>(sub ? sub->items.size() : 0) << 8);
    }
    return state;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    zx::MenuNode* node = zx::Find(t, menu);
    if (!node)
        return FALSE;
    zx::Item item;
    item.separator = (flags & MF_SEPARATOR) != 0;
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
    if (flags & MF_POPUP) {
        auto* popup = reinterpret_cast<HMENU>(idOrPopup);
        if (!zx::Find(t, popup) || popup == menu)
            return FALSE;
        item.popup = popup;
    } else {
        item.id = static_cast<UINT>(idOrPopup);
    }
    if (text && !item.separator)
        item.text = text;
    zx::Find(t, menu)->items.push_back(std::move(item));
    return TRUE;
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    zx::Item* found = zx::Locate(t, menu, item, enable);
    if (!found)
        return 0xFFFFFFFFu;
    const UINT previous = found->state & (MF_GRAYED | MF_DISABLED);
    found->state =
        (found->state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return previous;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    zx::Item* found = zx::Locate(t, menu, item, check);
    if (!found)
        return 0xFFFFFFFFu;
    const DWORD previous = found->state & MF_CHECKED;
    found->state = (found->state & ~MF_CHECKED) | (check & MF_CHECKED);
    return previous;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    if (!IsMenu(menu))
        return FALSE;
    UINT chosen = 0;
    if (zx::Hook()) {
        chosen = zx::Hook()(menu, POINT{x, y}, flags);
        // Only a command the menu holds can be chosen.
        if (chosen != 0 && GetMenuState(menu, chosen, MF_BYCOMMAND) == 0xFFFFFFFFu)
            chosen = 0;
    } else if (qApp) {
        QMenu qmenu;
        {
            auto& t = zx::Table();
            std::lock_guard lock(t.mutex);
            zx::Fill(t, qmenu, menu, 0);
        }
        if (QAction* action = qmenu.exec(QPoint(x, y)))
            chosen = action->data().toUInt();
    }
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen != 0 && !(flags & TPM_NONOTIFY) && owner)
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return TRUE;
}

HMENU GetMenu(HWND window) {
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    const auto it = t.windowMenus.find(window);
    return it == t.windowMenus.end() ? nullptr : it->second;
}

BOOL SetMenu(HWND window, HMENU menu) {
    if (!IsWindow(window) || (zx::WindowStyle(window) & WS_CHILD) || (menu && !IsMenu(menu)))
        return FALSE;
    // The menu it had is the caller's again: its bar goes without it.
    if (QMenuBar* old = zx::WindowMenuBar(window))
        QObject::disconnect(old, &QObject::destroyed, nullptr, nullptr);
    {
        auto& t = zx::Table();
        std::lock_guard lock(t.mutex);
        if (menu)
            t.windowMenus[window] = menu;
        else
            t.windowMenus.erase(window);
    }
    return zx::SetWindowMenuBar(window, menu ? zx::NewBar(window, menu) : nullptr);
}

BOOL DrawMenuBar(HWND window) {
    HMENU menu = GetMenu(window);
    QMenuBar* bar = zx::WindowMenuBar(window);
    if (!menu || !bar)
        return FALSE;
    bar->clear();
    {
        auto& t = zx::Table();
        std::lock_guard lock(t.mutex);
        zx::FillBar(t, *bar, menu, window);
    }
    zx::SendCommands(bar, window);
    return TRUE;
}

// ---- CMenu ------------------------------------------------------------------

CMenu* CMenu::FromHandle(HMENU menu) {
    if (!IsMenu(menu))
        return nullptr;
    auto& t = zx::Table();
    std::lock_guard lock(t.mutex);
    auto& wrapper = t.wrappers[menu];
    if (!wrapper) {
        wrapper = std::make_unique<CMenu>();
        wrapper->m_hMenu = menu; // not owned: whoever made the menu destroys it
    }
    return wrapper.get();
}

CMenu* CWnd::GetMenu() const {
    return CMenu::FromHandle(::GetMenu(m_hWnd));
}

BOOL CWnd::SetMenu(CMenu* pMenu) {
    return ::SetMenu(m_hWnd, pMenu ? pMenu->GetSafeHmenu() : nullptr);
}

CMenu::~CMenu() {
    if (m_owned)
        DestroyMenu();
}

BOOL CMenu::LoadMenuW(UINT id) {
    return LoadMenuW(MAKEINTRESOURCEW(id));
}

BOOL CMenu::LoadMenuW(LPCWSTR name) {
    return Attach(::LoadMenuW(nullptr, name));
}

BOOL CMenu::CreatePopupMenu() {
    return Attach(::CreatePopupMenu());
}

BOOL CMenu::CreateMenu() {
    return Attach(::CreateMenu());
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu)
        return FALSE;
    m_subMenus.clear();
    const BOOL ok = ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    m_owned = false;
    return ok;
}

BOOL CMenu::Attach(HMENU menu) {
    if (!menu)
        return FALSE;
    if (m_owned)
        DestroyMenu();
    m_subMenus.clear();
    m_hMenu = menu;
    m_owned = true;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    m_subMenus.clear();
    m_hMenu = nullptr;
    m_owned = false;
    return menu;
}

CMenu* CMenu::GetSubMenu(int position) {
    HMENU sub = ::GetSubMenu(m_hMenu, position);
    if (!sub)
        return nullptr;
    auto& wrapper = m_subMenus[sub];
    if (!wrapper) {
        wrapper = std::make_unique<CMenu>();
        wrapper->m_hMenu = sub; // owned by this menu, destroyed with it
    }
    return wrapper.get();
}

UINT CMenu::GetMenuItemCount() const {
    return static_cast<UINT>(::GetMenuItemCount(m_hMenu));
}

UINT CMenu::GetMenuItemID(int position) const {
    return ::GetMenuItemID(m_hMenu, position);
}

int CMenu::GetMenuStringW(UINT item, CString& text, UINT flags) const {
    const int length = ::GetMenuStringW(m_hMenu, item, nullptr, 0, flags);
    wchar_t* buffer = text.GetBuffer(length + 1);
    const int n = ::GetMenuStringW(m_hMenu, item, buffer, length + 1, flags);
    text.ReleaseBuffer(n);
    return n;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    return ::GetMenuState(m_hMenu, item, flags);
}

BOOL CMenu::AppendMenuW(UINT flags, UINT_PTR id, LPCWSTR text) {
    return ::AppendMenuW(m_hMenu, flags, id, text);
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    return ::EnableMenuItem(m_hMenu, item, enable);
}

UINT CMenu::CheckMenuItem(UINT item, UINT check) {
    return ::CheckMenuItem(m_hMenu, item, check);
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect) {
    HWND hwnd = owner ? owner->GetSafeHwnd() : nullptr;
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, hwnd, rect);
}
