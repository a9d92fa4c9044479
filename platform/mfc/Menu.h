#pragma once
// CMenu: menus loaded from MENU/MENUEX resources or built by calls, with
// HMENU handles, and pop-up tracking. A pop-up is shown as a Qt menu; a test
// or an automation hook can answer in place of the user (zx::SetPopupMenuHook).

#include "platform/Messages.h"
#include "platform/WinTypes.h"
#include "platform/rc/zxres.h"

#include <functional>
#include <map>
#include <memory>

struct HMENU__;
using HMENU = HMENU__*;
class CString;
class CWnd;

#define TPM_LEFTBUTTON 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_LEFTALIGN 0x0000u
#define TPM_CENTERALIGN 0x0004u
#define TPM_RIGHTALIGN 0x0008u
#define TPM_TOPALIGN 0x0000u
#define TPM_VCENTERALIGN 0x0010u
#define TPM_BOTTOMALIGN 0x0020u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u

// A menu resource of module (the resource chain when null: the resource
// module, then the program); null when missing or damaged.
HMENU LoadMenuW(HINSTANCE module, LPCWSTR name);
HMENU CreatePopupMenu();
HMENU CreateMenu();
// Destroys the menu and its pop-ups.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
// The command id at position; 0xFFFFFFFF for pop-ups and bad positions.
UINT GetMenuItemID(HMENU menu, int position);
// MF_BYCOMMAND or MF_BYPOSITION; copies at most max - 1 characters.
int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int max, UINT flags);
// MF_* state bits of the item (MF_GRAYED, MF_CHECKED, MF_SEPARATOR, MF_POPUP...),
// 0xFFFFFFFF when there is no such item.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text);
UINT EnableMenuItem(HMENU menu, UINT item, UINT enable);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
// A window's menu bar (top-level windows only): the bar is shown across the
// top with the client area below it, and its commands are sent to the window
// as WM_COMMAND. The window destroys its menu when it goes; a menu replaced
// by SetMenu is the caller's to destroy. DrawMenuBar shows changes to the
// bar's own items.
HMENU GetMenu(HWND window);
BOOL SetMenu(HWND window, HMENU menu);
BOOL DrawMenuBar(HWND window);
// With TPM_RETURNCMD returns the chosen command (0 for none); otherwise
// returns TRUE and, unless TPM_NONOTIFY, posts WM_COMMAND to owner.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* rect);

namespace zx {
// Chooses an item of a tracked pop-up in place of the user: returns the
// command id (0 closes the menu without a choice). An empty hook shows the
// menu. Returns the hook that was installed before.
using PopupMenuHook = std::function<UINT(HMENU menu, POINT at, UINT flags)>;
PopupMenuHook SetPopupMenuHook(PopupMenuHook hook);
} // namespace zx

class CMenu {
public:
    CMenu() = default;
    // Destroys the menu it owns (one loaded, created or attached).
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // A wrapper of a menu made elsewhere, kept until the menu is destroyed;
    // null for a handle that is not a menu.
    static CMenu* FromHandle(HMENU menu);

    BOOL LoadMenuW(UINT id);
    BOOL LoadMenuW(LPCWSTR name);
    BOOL LoadMenu(UINT id) { return LoadMenuW(id); }
    BOOL CreatePopupMenu();
    BOOL CreateMenu();
    BOOL DestroyMenu();
    BOOL Attach(HMENU menu);
    HMENU Detach();

    // A wrapper owned by this object, valid while the menu lives; null for
    // positions without a pop-up.
    CMenu* GetSubMenu(int position);
    UINT GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;
    int GetMenuStringW(UINT item, CString& text, UINT flags) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    BOOL AppendMenuW(UINT flags, UINT_PTR id = 0, LPCWSTR text = nullptr);
    UINT EnableMenuItem(UINT item, UINT enable);
    UINT CheckMenuItem(UINT item, UINT check);
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr);

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    HMENU m_hMenu = nullptr;

private:
    bool m_owned = false;
    std::map<HMENU, std::unique_ptr<CMenu>> m_subMenus;
};
