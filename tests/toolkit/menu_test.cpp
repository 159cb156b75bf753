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

TEST_F(MenuLibrary, NestsSubmenusWithinTheStack)
{
    ASSERT_NE(create_popup_menu(0), 0);
    HMENU stale = open_submenu("alt");  // left open: an unbalanced build
    ASSERT_NE(create_popup_menu(0), 0);
    EXPECT_FALSE(IsMenu(stale));        // the old menu went with its submenus
    EXPECT_EQ(menu_depth(), 0);         // and the new one starts at its top
    HMENU top = menu_handle(0);

    close_submenu();  // surplus at depth 0: nothing moves
    add_menu_item(1, "eins");
    HMENU a = open_submenu("A");
    open_submenu("B");
    close_submenu();
    add_menu_item(7, "sieben");  // into A, after B
    add_menu_separator();
    for (int i = 0; i < 3; ++i)
        close_submenu();
    add_menu_item(2, "zwei");
    ASSERT_EQ(GetMenuItemCount(top), 3);
    EXPECT_EQ(item_text(top, 0), "eins");
    EXPECT_EQ(GetSubMenu(top, 1), a);
    EXPECT_EQ(item_text(top, 1), "A");
    EXPECT_EQ(GetMenuItemID(top, 2), 2u);
    ASSERT_EQ(GetMenuItemCount(a), 3);
    EXPECT_EQ(GetMenuItemID(a, 1), 7u);
    EXPECT_TRUE(GetMenuState(a, 2, MF_BYPOSITION) & MF_SEPARATOR);

    // 64 levels, then no more: the target stays in the deepest submenu.
    for (int i = 0; i < max_menu_depth; ++i)
        ASSERT_NE(open_submenu("tief"), nullptr) << i;
    HMENU deepest = menu_append_target();
    EXPECT_EQ(open_submenu("zu tief"), nullptr);
    EXPECT_EQ(menu_depth(), max_menu_depth);
    add_menu_item(9, "unten");
    EXPECT_EQ(GetMenuItemID(deepest, 0), 9u);
    for (int i = 0; i < max_menu_depth + 5; ++i)
        close_submenu();
    EXPECT_EQ(menu_append_target(), top);
}

TEST_F(MenuLibrary, NumbersGreyingAndRelease)
{
    EXPECT_FALSE(menu_exists(5));  // nothing under the number: nothing happens
    disable_menu_item(5, 1, 1);
    free_menu(5);
    EXPECT_EQ(detach_menu(5), nullptr);

    intptr_t number = create_popup_menu(dynamic_number);
    ASSERT_GE(number, first_dynamic_id);
    auto dynamic = static_cast<int32_t>(number);
    HMENU menu = menu_handle(dynamic);
    open_submenu("A");
    add_menu_item(10005, "Standby");
    close_submenu();
    disable_menu_item(dynamic, 10005, 1);  // found by command inside the submenu
    EXPECT_TRUE(GetMenuState(menu, 10005, MF_BYCOMMAND) & MF_GRAYED);
    disable_menu_item(dynamic, 10005, 0);
    EXPECT_FALSE(GetMenuState(menu, 10005, MF_BYCOMMAND) & MF_GRAYED);

    EXPECT_EQ(detach_menu(dynamic), menu);
    EXPECT_FALSE(menu_exists(dynamic));
    EXPECT_TRUE(IsMenu(menu));      // now the caller's to destroy
    add_menu_item(1, "verloren");   // the builder let go of it too
    EXPECT_EQ(GetMenuItemCount(menu), 1);
    DestroyMenu(menu);
}

// The owner records the commands the menu sends it.
std::vector<WPARAM> g_commands;

LRESULT CALLBACK owner_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_COMMAND)
        g_commands.push_back(wparam);
    return DefWindowProcA(window, message, wparam, lparam);
}

// While the menu is up, a timer clicks the item at position click, then gives the menu a few
// ticks to react before closing it itself.
struct menu_script {
    HWND owner;
    int click;
    RECT menu_rect;
    int ticks;
};
menu_script g_script;

void CALLBACK script_timer(HWND, UINT, UINT_PTR, DWORD)
{
    HWND popup = FindWindowA("#32768", nullptr);
    if (!popup || !IsWindowVisible(popup))
        return;
    if (g_script.ticks++ > 4) {
        EndMenu();
        return;
    }
    if (g_script.ticks > 1)
        return;
    GetWindowRect(popup, &g_script.menu_rect);
    RECT item = {};
    GetMenuItemRect(g_script.owner, menu_handle(1), static_cast<UINT>(g_script.click), &item);
    // Wine answers relative to the menu window, Windows in screen coordinates.
    POINT centre = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    if (!PtInRect(&g_script.menu_rect, centre))
        centre = {centre.x + g_script.menu_rect.left, centre.y + g_script.menu_rect.top};
    test::click(centre.x, centre.y);
}

BOOL show_and_click(HWND owner, int click)
{
    g_script = {owner, click, {}, 0};
    UINT_PTR timer = SetTimer(nullptr, 0, 100, script_timer);
    BOOL shown = show_popup_menu(1, owner, 200, 150);
    KillTimer(nullptr, timer);
    test::pump_messages(200);
    return shown;
}

TEST_F(MenuLibrary, ShowsAtThePointAndReportsOnlyEnabledPicks)
{
    WNDCLASSA type = {};
    type.lpfnWndProc = owner_procedure;
    type.lpszClassName = "menu_test_owner";
    RegisterClassA(&type);
    HWND owner = CreateWindowExA(0, "menu_test_owner", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(owner, nullptr);

    HWND foreground = GetForegroundWindow();
    EXPECT_FALSE(show_popup_menu(1, owner, 100, 100));  // no menu: no call at all
    EXPECT_EQ(GetForegroundWindow(), foreground);

    ASSERT_NE(create_popup_menu(1), 0);
    add_menu_item(5, "grau");
    add_menu_item(7, "sieben");
    disable_menu_item(1, 5, 1);
    show_and_click(owner, 0);  // the greyed item
    EXPECT_EQ(g_script.menu_rect.left, 200);
    EXPECT_EQ(g_script.menu_rect.top, 150);
    EXPECT_TRUE(g_commands.empty());

    EXPECT_TRUE(show_and_click(owner, 1));
    EXPECT_LE(g_script.ticks, 4);  // the click closed the menu, not the timer
    EXPECT_EQ(g_commands, std::vector<WPARAM>{7});
    DestroyWindow(owner);
}

}  // namespace
