// test-lock: desktop
// The menu library: the builder's nesting, numbers, greyed items, and a popup menu shown at a point
// and picked with the mouse. Menus are read back with the platform's own queries.

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_support.h"
#include "toolkit/menu.h"
#include "toolkit/numbered_table.h"

namespace {

std::string item_text(HMENU menu, int position)
{
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

class MenuLibrary : public testing::Test {
protected:
    void SetUp() override { init_menu_library(); }
    void TearDown() override
    {
        while (menu_depth() > 0)
            close_submenu();
        free_menu(0);
        free_menu(1);
    }
};

TEST_F(MenuLibrary, NestsSubmenusAndIgnoresSurplusCloses)
{
    intptr_t created = create_popup_menu(0);
    ASSERT_NE(created, 0);
    HMENU top = menu_handle(0);
    EXPECT_EQ(reinterpret_cast<HMENU>(created), top);
    EXPECT_TRUE(menu_exists(0));

    close_submenu();  // at depth 0: nothing moves
    EXPECT_EQ(menu_append_target(), top);
    add_menu_item(1, "eins");
    HMENU first = open_submenu("A");
    HMENU second = open_submenu("B");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(menu_depth(), 2);
    close_submenu();
    add_menu_item(7, "sieben");  // lands in A, after B
    add_menu_separator();
    close_submenu();
    close_submenu();
    close_submenu();
    EXPECT_EQ(menu_depth(), 0);
    add_menu_item(2, "zwei");

    ASSERT_EQ(GetMenuItemCount(top), 3);
    EXPECT_EQ(item_text(top, 0), "eins");
    EXPECT_EQ(GetSubMenu(top, 1), first);
    EXPECT_EQ(item_text(top, 1), "A");
    EXPECT_EQ(GetMenuItemID(top, 2), 2u);
    ASSERT_EQ(GetMenuItemCount(first), 3);
    EXPECT_EQ(GetSubMenu(first, 0), second);
    EXPECT_EQ(GetMenuItemID(first, 1), 7u);
    EXPECT_EQ(GetMenuState(first, 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuItemCount(second), 0);
}

TEST_F(MenuLibrary, RecreatingANumberDestroysTheOldMenuAndStartsAtTheTop)
{
    ASSERT_NE(create_popup_menu(0), 0);
    HMENU old_top = menu_handle(0);
    HMENU old_sub = open_submenu("A");
    open_submenu("B");  // left open on purpose: an unbalanced build

    ASSERT_NE(create_popup_menu(0), 0);
    EXPECT_FALSE(IsMenu(old_top));
    EXPECT_FALSE(IsMenu(old_sub));
    EXPECT_EQ(menu_depth(), 0);
    close_submenu();  // must not bring back a target of the destroyed menu
    add_menu_item(3, "drei");
    EXPECT_EQ(GetMenuItemCount(menu_handle(0)), 1);
}

TEST_F(MenuLibrary, StopsNestingAtTheStackDepth)
{
    ASSERT_NE(create_popup_menu(0), 0);
    for (int i = 0; i < max_menu_depth; ++i)
        ASSERT_NE(open_submenu("tief"), nullptr) << i;
    HMENU deepest = menu_append_target();
    EXPECT_EQ(open_submenu("zu tief"), nullptr);
    EXPECT_EQ(menu_depth(), max_menu_depth);
    EXPECT_EQ(menu_append_target(), deepest);
    add_menu_item(9, "unten");
    EXPECT_EQ(GetMenuItemCount(deepest), 1);
    for (int i = 0; i < max_menu_depth + 5; ++i)
        close_submenu();
    EXPECT_EQ(menu_append_target(), menu_handle(0));

    // All 64 levels hang together below the top menu.
    HMENU walk = menu_handle(0);
    int levels = 0;
    while (HMENU next = GetSubMenu(walk, 0)) {
        walk = next;
        ++levels;
    }
    EXPECT_EQ(levels, max_menu_depth);
    EXPECT_EQ(GetMenuItemID(walk, 0), 9u);
}

TEST_F(MenuLibrary, NumbersGreyingAndRelease)
{
    EXPECT_EQ(menu_handle(5), nullptr);
    EXPECT_FALSE(menu_exists(5));
    disable_menu_item(5, 1, 1);  // nothing there: nothing happens
    free_menu(5);
    EXPECT_EQ(detach_menu(5), nullptr);

    intptr_t number = create_popup_menu(dynamic_number);
    ASSERT_GE(number, first_dynamic_id);
    auto dynamic = static_cast<int32_t>(number);
    HMENU menu = menu_handle(dynamic);
    ASSERT_NE(menu, nullptr);
    open_submenu("A");
    add_menu_item(10005, "Standby");
    close_submenu();
    add_menu_item(10007, "Neu starten");

    disable_menu_item(dynamic, 10005, 1);  // found by command inside the submenu
    EXPECT_TRUE(GetMenuState(menu, 10005, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(menu, 10007, MF_BYCOMMAND) & MF_GRAYED);
    disable_menu_item(dynamic, 10005, 0);
    EXPECT_FALSE(GetMenuState(menu, 10005, MF_BYCOMMAND) & MF_GRAYED);

    HMENU detached = detach_menu(dynamic);
    EXPECT_EQ(detached, menu);
    EXPECT_FALSE(menu_exists(dynamic));
    EXPECT_TRUE(IsMenu(detached));  // the caller destroys it
    add_menu_item(1, "verloren");   // the builder no longer points at it
    EXPECT_EQ(GetMenuItemCount(detached), 2);
    DestroyMenu(detached);

    ASSERT_NE(create_popup_menu(1), 0);
    HMENU one = menu_handle(1);
    free_menu(1);
    EXPECT_FALSE(IsMenu(one));
    EXPECT_FALSE(menu_exists(1));
}

// A hidden owner window that counts the WM_COMMAND messages it receives.
struct owner_window {
    HWND window = nullptr;
    std::vector<WPARAM> commands;
};
owner_window* g_owner;

LRESULT CALLBACK owner_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_COMMAND && g_owner)
        g_owner->commands.push_back(wparam);
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND make_owner()
{
    WNDCLASSA type = {};
    type.lpfnWndProc = owner_procedure;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "menu_test_owner";
    RegisterClassA(&type);
    return CreateWindowExA(0, "menu_test_owner", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           type.hInstance, nullptr);
}

// What the timer saw and did while the menu was up: it clicks the item at position click, then
// gives the menu a few ticks to react before closing it itself.
struct menu_script {
    int click = 0;
    RECT menu_rect = {};
    int ticks = 0;
    bool ended_by_script = false;
};
menu_script g_script;
HMENU g_shown;
HWND g_shown_owner;

void CALLBACK script_timer(HWND, UINT, UINT_PTR, DWORD)
{
    HWND popup = FindWindowA("#32768", nullptr);
    if (!popup || !IsWindowVisible(popup))
        return;
    if (g_script.ticks++ == 0) {
        GetWindowRect(popup, &g_script.menu_rect);
        RECT item = {};
        GetMenuItemRect(g_shown_owner, g_shown, static_cast<UINT>(g_script.click), &item);
        // Wine answers relative to the menu window, Windows in screen coordinates.
        POINT centre = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        if (!PtInRect(&g_script.menu_rect, centre)) {
            centre.x += g_script.menu_rect.left;
            centre.y += g_script.menu_rect.top;
        }
        test::click(centre.x, centre.y);
    } else if (g_script.ticks > 4) {
        g_script.ended_by_script = true;
        EndMenu();
    }
}

BOOL show_and_click(HWND owner, int click)
{
    g_script = {};
    g_script.click = click;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, script_timer);
    BOOL shown = show_popup_menu(1, owner, 200, 150);
    KillTimer(nullptr, timer);
    test::pump_messages(200);
    return shown;
}

TEST_F(MenuLibrary, ShowsAtThePointAndReportsOnlyEnabledPicks)
{
    owner_window owner;
    owner.window = make_owner();
    ASSERT_NE(owner.window, nullptr);
    g_owner = &owner;

    // Nothing under the number: no menu, no call, and the foreground stays.
    HWND foreground = GetForegroundWindow();
    EXPECT_FALSE(show_popup_menu(1, owner.window, 100, 100));
    EXPECT_EQ(GetForegroundWindow(), foreground);

    ASSERT_NE(create_popup_menu(1), 0);
    add_menu_item(5, "grau");
    add_menu_item(7, "sieben");
    disable_menu_item(1, 5, 1);
    g_shown = menu_handle(1);
    g_shown_owner = owner.window;

    show_and_click(owner.window, 0);  // the greyed item
    EXPECT_EQ(g_script.menu_rect.left, 200);
    EXPECT_EQ(g_script.menu_rect.top, 150);
    EXPECT_TRUE(owner.commands.empty());

    EXPECT_TRUE(show_and_click(owner.window, 1));
    EXPECT_FALSE(g_script.ended_by_script);
    ASSERT_EQ(owner.commands.size(), 1u);
    EXPECT_EQ(owner.commands[0], static_cast<WPARAM>(7));

    g_owner = nullptr;
    DestroyWindow(owner.window);
}

}  // namespace
