#include "platform/Menu.h"

#include "platform/MenuTemplate.h"
#include "platform/ResImage.h"
#include "platform/Resources.h"
#include "platform/String.h"
#include "platform/Wnd.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
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
};

MenuTable& table() {
    static auto* t = new MenuTable;
    return *t;
}

PopupMenuHook& hook() {
    static PopupMenuHook h;
    return h;
}

// Call with the lock held.
HMENU newMenu(MenuTable& t, bool bar) {
    const std::uintptr_t handle = (t.next++ << 4) | 0x9;
    t.menus[handle].bar = bar;
    return reinterpret_cast<HMENU>(handle);
}

MenuNode* find(MenuTable& t, HMENU menu) {
    const auto it = t.menus.find(reinterpret_cast<std::uintptr_t>(menu));
    return it == t.menus.end() ? nullptr : &it->second;
}

void destroy(MenuTable& t, HMENU menu, int depth) {
    MenuNode* node = find(t, menu);
    if (!node || depth > 64)
        return;
    std::vector<HMENU> popups;
    for (const Item& item : node->items) {
        if (item.popup)
            popups.push_back(item.popup);
    }
    t.menus.erase(reinterpret_cast<std::uintptr_t>(menu));
    for (HMENU popup : popups)
        destroy(t, popup, depth + 1);
}

void build(MenuTable& t, HMENU menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& src : items) {
        Item item;
        item.text = src.text;
        item.separator = src.separator;
        item.state = ((src.state & MFS_GRAYED) ? MF_GRAYED : 0) |
                     ((src.state & MFS_CHECKED) ? MF_CHECKED : 0) |
                     ((src.state & MFS_DEFAULT) ? MF_DEFAULT : 0);
        if (src.popup) {
            item.popup = newMenu(t, false);
            build(t, item.popup, src.children);
        } else {
            item.id = src.id;
        }
        find(t, menu)->items.push_back(std::move(item));
    }
}

// The item named by position or command (searching pop-ups for commands).
Item* locate(MenuTable& t, HMENU menu, UINT item, UINT flags, int depth = 0) {
    MenuNode* node = find(t, menu);
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
            if (Item* found = locate(t, entry.popup, item, flags, depth + 1))
                return found;
        }
    }
    return nullptr;
}

// Windows marks accelerators with '&' and separates a shortcut with a tab;
// Qt reads both the same way.
void fill(MenuTable& t, QMenu& qmenu, HMENU menu, int depth) {
    const MenuNode* node = find(t, menu);
    if (!node || depth > 64)
        return;
    for (const Item& item : node->items) {
        if (item.separator) {
            qmenu.addSeparator();
        } else if (item.popup) {
            QMenu* sub = qmenu.addMenu(QString::fromStdWString(item.text));
            fill(t, *sub, item.popup, depth + 1);
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

HMENU loadFrom(HINSTANCE module, LPCWSTR name) {
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
    MenuTable& t = table();
    std::lock_guard lock(t.mutex);
    HMENU menu = newMenu(t, true);
    build(t, menu, parsed->items);
    return menu;
}

} // namespace

PopupMenuHook SetPopupMenuHook(PopupMenuHook newHook) {
    PopupMenuHook previous = std::move(hook());
    hook() = std::move(newHook);
    return previous;
}

} // namespace zx

HMENU LoadMenuW(HINSTANCE module, LPCWSTR name) {
    if (module)
        return zx::loadFrom(module, name);
    if (HMENU menu = zx::loadFrom(AfxGetResourceHandle(), name))
        return menu;
    if (HMENU menu = zx::loadFrom(nullptr, name))
        return menu;
    return zx::loadFrom(AfxGetInstanceHandle(), name);
}

HMENU CreatePopupMenu() {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    return zx::newMenu(t, false);
}

HMENU CreateMenu() {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    return zx::newMenu(t, true);
}

BOOL DestroyMenu(HMENU menu) {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    if (!zx::find(t, menu))
        return FALSE;
    zx::destroy(t, menu, 0);
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    return zx::find(t, menu) ? TRUE : FALSE;
}

HMENU GetSubMenu(HMENU menu, int position) {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    const zx::Item* item =
        position < 0 ? nullptr : zx::locate(t, menu, static_cast<UINT>(position), MF_BYPOSITION);
    return item ? item->popup : nullptr;
}

int GetMenuItemCount(HMENU menu) {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    const zx::MenuNode* node = zx::find(t, menu);
    return node ? static_cast<int>(node->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    const zx::Item* item =
        position < 0 ? nullptr : zx::locate(t, menu, static_cast<UINT>(position), MF_BYPOSITION);
    if (!item || item->popup)
        return 0xFFFFFFFFu;
    return item->separator ? 0 : item->id;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int max, UINT flags) {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    const zx::Item* found = zx::locate(t, menu, item, flags);
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
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    const zx::Item* found = zx::locate(t, menu, item, flags);
    if (!found)
        return 0xFFFFFFFFu;
    UINT state = found->state;
    if (found->separator)
        state |= MF_SEPARATOR;
    if (found->popup) {
        const zx::MenuNode* sub = zx::find(t, found->popup);
        state |= MF_POPUP | (static_cast<UINT>(sub ? sub->items.size() : 0) << 8);
    }
    return state;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    zx::MenuNode* node = zx::find(t, menu);
    if (!node)
        return FALSE;
    zx::Item item;
    item.separator = (flags & MF_SEPARATOR) != 0;
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
    if (flags & MF_POPUP) {
        auto* popup = reinterpret_cast<HMENU>(idOrPopup);
        if (!zx::find(t, popup) || popup == menu)
            return FALSE;
        item.popup = popup;
    } else {
        item.id = static_cast<UINT>(idOrPopup);
    }
    if (text && !item.separator)
        item.text = text;
    zx::find(t, menu)->items.push_back(std::move(item));
    return TRUE;
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    zx::Item* found = zx::locate(t, menu, item, enable);
    if (!found)
        return 0xFFFFFFFFu;
    const UINT previous = found->state & (MF_GRAYED | MF_DISABLED);
    found->state =
        (found->state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return previous;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    auto& t = zx::table();
    std::lock_guard lock(t.mutex);
    zx::Item* found = zx::locate(t, menu, item, check);
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
    if (zx::hook()) {
        chosen = zx::hook()(menu, POINT{x, y}, flags);
        // Only a command the menu holds can be chosen.
        if (chosen != 0 && GetMenuState(menu, chosen, MF_BYCOMMAND) == 0xFFFFFFFFu)
            chosen = 0;
    } else if (qApp) {
        QMenu qmenu;
        {
            auto& t = zx::table();
            std::lock_guard lock(t.mutex);
            zx::fill(t, qmenu, menu, 0);
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

// ---- CMenu ------------------------------------------------------------------

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
