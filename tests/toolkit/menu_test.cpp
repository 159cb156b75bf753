// The menu library: the builder's nesting, numbers and greyed items, read back with the platform's
// own queries. Showing a menu and picking from it is driven end to end in tests/app/.

#include <gtest/gtest.h>

#include <string>

#include "toolkit/menu.h"

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

TEST_F(MenuLibrary, GreysByCommandInsideSubmenusAndIgnoresFreeNumbers)
{
    EXPECT_FALSE(menu_exists(5));  // nothing under the number: nothing happens
    disable_menu_item(5, 1, 1);
    free_menu(5);
    EXPECT_EQ(detach_menu(5), nullptr);

    ASSERT_NE(create_popup_menu(1), 0);
    open_submenu("A");
    add_menu_item(10005, "Standby");
    close_submenu();
    disable_menu_item(1, 10005, 1);
    EXPECT_TRUE(GetMenuState(menu_handle(1), 10005, MF_BYCOMMAND) & MF_GRAYED);
    disable_menu_item(1, 10005, 0);
    EXPECT_FALSE(GetMenuState(menu_handle(1), 10005, MF_BYCOMMAND) & MF_GRAYED);
}

}  // namespace
