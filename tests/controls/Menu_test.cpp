// Menus load from resources, expose their pop-ups and items, and a tracked
// pop-up returns the command chosen (here by the automation hook).

#include "platform/Menu.h"
#include "platform/String.h"
#include "platform/WindowHandles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct HookGuard {
    zx::PopupMenuHook previous;
    explicit HookGuard(zx::PopupMenuHook hook) : previous(zx::SetPopupMenuHook(std::move(hook))) {}
    ~HookGuard() { zx::SetPopupMenuHook(std::move(previous)); }
};

TEST(Menu, LoadsTheResourceAndTracksItsPopUpReturningTheChosenCommand) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenuW(7014)); // ids of the library's own menus would find those first
    ASSERT_EQ(menu.GetMenuItemCount(), 1u);
    CMenu* popup = menu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(menu.GetSubMenu(1), nullptr);
    CString title;
    menu.GetMenuStringW(0, title, MF_BYPOSITION);
    EXPECT_EQ(title, L"PrintWindowPopUp");

    ASSERT_EQ(popup->GetMenuItemCount(), 3u);
    EXPECT_EQ(popup->GetMenuItemID(0), 32773u);
    EXPECT_EQ(popup->GetMenuItemID(1), 0u); // separator
    EXPECT_EQ(popup->GetMenuItemID(2), 32774u);
    EXPECT_TRUE(popup->GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(popup->GetMenuState(32774, MF_BYCOMMAND) & MF_GRAYED);
    popup->GetMenuStringW(32774, title, MF_BYCOMMAND);
    EXPECT_EQ(title, L"Copy");

    std::vector<POINT> shownAt;
    HookGuard guard([&](HMENU shown, POINT at, UINT flags) -> UINT {
        EXPECT_EQ(shown, popup->GetSafeHmenu());
        EXPECT_EQ(flags, TPM_NONOTIFY | TPM_RETURNCMD);
        shownAt.push_back(at);
        return shownAt.size() == 1 ? 32773 : 999; // 999 is not in the menu
    });
    EXPECT_EQ(popup->TrackPopupMenu(TPM_NONOTIFY | TPM_RETURNCMD, 40, 50, nullptr), 32773);
    EXPECT_EQ(popup->TrackPopupMenu(TPM_NONOTIFY | TPM_RETURNCMD, 1, 2, nullptr), 0);
    ASSERT_EQ(shownAt.size(), 2u);
    EXPECT_EQ(shownAt[0].x, 40);
    EXPECT_EQ(shownAt[0].y, 50);

    HMENU handle = menu.GetSafeHmenu();
    HMENU sub = popup->GetSafeHmenu();
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_FALSE(IsMenu(handle));
    EXPECT_FALSE(IsMenu(sub)); // pop-ups go with their menu
}

TEST(Menu, WithoutReturnCmdTheChoicePostsACommandToTheOwner) {
    static std::vector<WPARAM> commands;
    commands.clear();
    HWND owner = zx::CreateWindowHandle(
        [](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT {
            if (msg == WM_COMMAND)
                commands.push_back(w);
            return 0;
        },
        nullptr);
    HMENU menu = LoadMenuW(nullptr, MAKEINTRESOURCEW(7015));
    ASSERT_NE(menu, nullptr);
    HMENU board = GetSubMenu(menu, 0);
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(GetMenuState(board, 2001, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(GetMenuItemID(board, 1), 0xFFFFFFFFu); // a pop-up has no command
    EXPECT_EQ(GetMenuItemID(GetSubMenu(board, 1), 0), 2101u);

    HookGuard guard([](HMENU, POINT, UINT) -> UINT { return 2101; });
    EXPECT_EQ(TrackPopupMenu(board, 0, 0, 0, 0, owner, nullptr), TRUE);
    EXPECT_EQ(TrackPopupMenu(board, TPM_NONOTIFY, 0, 0, 0, owner, nullptr), TRUE);
    MSG msg;
    while (PeekMessageW(&msg, owner, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], MAKEWPARAM(2101, 0));

    EXPECT_EQ(LoadMenuW(nullptr, MAKEINTRESOURCEW(77)), nullptr);
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(DestroyMenu(menu));
    DestroyWindow(owner);
}

} // namespace
