// The start menu as the platform sees it after a rebuild: structure, ids, captions, greyed
// commands and the bitmap of every item, read back with GetMenuItemInfoA and friends. The trees
// are made here; their entries have no shortcut files (sources 0), so every entry bitmap is white.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "catalogue/menu_publication.h"
#include "presentation/commands.h"
#include "presentation/item_bitmaps.h"
#include "presentation/menu_assembly.h"
#include "tests/support/image_files.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"

namespace {

programs_tree tree_of(const path_list& elements)
{
    programs_tree tree;
    tree.tree = elements;
    tree.sources.assign(elements.size(), 0);
    for (const std::string& element : elements)
        if (!element.empty() && element.back() != '\\')
            tree.launch.push_back(element);
    return tree;
}

// One rebuild, in the order the change watcher runs it.
void rebuild(const programs_tree& tree)
{
    release_old_menu(0);
    ASSERT_NE(create_popup_menu(0), 0);
    build_start_menu(tree, programs_roots{});
    make_folder_bitmap();
    attach_folder_bitmaps();
}

struct item {
    std::string text;
    UINT id;
    HMENU submenu;
    UINT state;
    HBITMAP checked;
    HBITMAP unchecked;
};

item item_at(HMENU menu, int position)
{
    char text[256] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS | MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info));
    return {text, info.wID, info.hSubMenu, GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION),
            info.hbmpChecked, info.hbmpUnchecked};
}

// "text#id" for entries and commands, "[text]" for submenus, "-" for separators.
std::vector<std::string> outline(HMENU menu)
{
    std::vector<std::string> lines;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        item it = item_at(menu, i);
        if (it.state & MF_SEPARATOR)
            lines.push_back("-");
        else if (it.submenu)
            lines.push_back(std::string("[").append(it.text).append("]"));
        else
            lines.push_back(std::string(it.text).append("#").append(std::to_string(it.id)));
    }
    return lines;
}

HBITMAP folder_bitmap()
{
    return static_cast<HBITMAP>(image_handle(folder_bitmap_image));
}

bool shows(const item& it, HBITMAP bitmap)
{
    return bitmap && it.checked == bitmap && it.unchecked == bitmap;
}

// An entry bitmap: a live 16x16 bitmap given as both check-mark bitmaps.
bool shows_entry_bitmap(const item& it)
{
    BITMAP info = {};
    return it.checked && it.checked == it.unchecked && GetObjectA(it.checked, sizeof info, &info) &&
           info.bmWidth == 16 && info.bmHeight == 16 && it.checked != folder_bitmap();
}

// "Programs\f1\...\fn\" for n nested folders.
std::string nested_folder(int n)
{
    std::string path = "Programs\\";
    for (int i = 1; i <= n; ++i)
        path.append("f").append(std::to_string(i)).append("\\");
    return path;
}

class StartMenuAssembly : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        init_menu_library();
        init_image_library();
        reset_menu_publication();
        // Stand-ins for the command pictures of "Grafiken".
        for (const fixed_command& command : fixed_commands)
            ASSERT_NE(create_image(command.image, 13, 13, 32), 0);
    }
    void TearDown() override
    {
        release_entry_bitmaps();
        free_menu(0);
        free_all_images();
        reset_menu_publication();
        CoUninitialize();
    }
};

TEST_F(StartMenuAssembly, BuildsTheExampleTreeWithEveryBitmap)
{
    rebuild(tree_of({"Programs\\", "Programs\\a", "Programs\\B\\", "Programs\\B\\c", "Programs\\D\\"}));
    HMENU top = menu_handle(0);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(menu_depth(), 0);

    std::vector<std::string> expected_top = {
        "[Programs]", "-", "Suchen#10001", "Ausf\xFChren#10002", "Benutzer wechseln#10003",
        "Benutzer abmelden#10004", "Standby#10005", "Ruhezustand#10006", "Neu starten#10007",
        "Herunterfahren#10008", "-", "Informationen#10009", "Velmora beenden#10010"};
    EXPECT_EQ(outline(top), expected_top);
    HMENU programs = GetSubMenu(top, 0);
    ASSERT_NE(programs, nullptr);
    EXPECT_EQ(outline(programs), (std::vector<std::string>{"a#1", "[B]", "[D]"}));
    EXPECT_EQ(outline(GetSubMenu(programs, 1)), std::vector<std::string>{"c#2"});
    EXPECT_TRUE(outline(GetSubMenu(programs, 2)).empty());

    // Pictures: the folder bitmap on every submenu item, an entry bitmap on every entry, the
    // command's own image on every command.
    EXPECT_TRUE(shows(item_at(top, 0), folder_bitmap()));
    EXPECT_TRUE(shows(item_at(programs, 1), folder_bitmap()));
    EXPECT_TRUE(shows(item_at(programs, 2), folder_bitmap()));
    EXPECT_TRUE(shows_entry_bitmap(item_at(programs, 0)));
    EXPECT_TRUE(shows_entry_bitmap(item_at(GetSubMenu(programs, 1), 0)));
    EXPECT_NE(item_at(programs, 0).checked, item_at(GetSubMenu(programs, 1), 0).checked);
    EXPECT_EQ(test::bitmap_pixels(item_at(programs, 0).checked),
              std::vector<COLORREF>(256, RGB(255, 255, 255)));  // no shortcut: a white square
    for (const fixed_command& command : fixed_commands) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_CHECKMARKS | MIIM_STATE;
        ASSERT_TRUE(GetMenuItemInfoA(top, command.id, FALSE, &info)) << command.id;
        auto picture = static_cast<HBITMAP>(image_handle(command.image));
        EXPECT_EQ(info.hbmpChecked, picture) << command.id;
        EXPECT_EQ(info.hbmpUnchecked, picture) << command.id;
        EXPECT_EQ((info.fState & MFS_GRAYED) != 0, command.greyed) << command.id;
    }
    EXPECT_EQ(entry_bitmap_count(), 2);
}

TEST_F(StartMenuAssembly, BuildsTheTwoRootExample)
{
    rebuild(tree_of({"Programs\\", "Programs\\Editor", "Programs\\Games\\", "Programs\\Tools\\",
                     "Programs\\Tools\\Calc", "Programs\\Tools\\Notes", "Programs\\Tools\\Extra\\",
                     "Programs\\Tools\\Extra\\Backup"}));
    HMENU programs = GetSubMenu(menu_handle(0), 0);
    ASSERT_NE(programs, nullptr);
    EXPECT_EQ(outline(programs), (std::vector<std::string>{"Editor#1", "[Games]", "[Tools]"}));
    HMENU tools = GetSubMenu(programs, 2);
    EXPECT_EQ(outline(tools), (std::vector<std::string>{"Calc#2", "Notes#3", "[Extra]"}));
    EXPECT_EQ(outline(GetSubMenu(tools, 2)), std::vector<std::string>{"Backup#4"});
    EXPECT_TRUE(outline(GetSubMenu(programs, 1)).empty());
}

TEST_F(StartMenuAssembly, FolderBitmapsReachDepthElevenAndPositionHundred)
{
    path_list elements = {"Programs\\"};
    for (int i = 1; i <= 12; ++i)  // folders of depth 2 to 13
        elements.push_back(nested_folder(i));
    for (int i = 0; i < 102; ++i) {  // 102 folders side by side, sorted as their names go
        char name[32];
        snprintf(name, sizeof name, "Programs\\w%03d\\", i);
        elements.push_back(name);
    }
    rebuild(tree_of(elements));

    HMENU menu = GetSubMenu(menu_handle(0), 0);
    for (int depth = 2; depth <= 13; ++depth) {
        item it = item_at(menu, 0);
        ASSERT_NE(it.submenu, nullptr) << depth;
        EXPECT_EQ(shows(it, folder_bitmap()), depth <= 11) << "folder of depth " << depth;
        EXPECT_EQ(it.checked, depth <= 11 ? folder_bitmap() : nullptr) << depth;
        menu = it.submenu;
    }
    HMENU programs = GetSubMenu(menu_handle(0), 0);
    ASSERT_EQ(GetMenuItemCount(programs), 103);
    EXPECT_TRUE(shows(item_at(programs, 100), folder_bitmap()));
    EXPECT_EQ(item_at(programs, 101).checked, nullptr);
    EXPECT_EQ(item_at(programs, 102).checked, nullptr);
}

TEST_F(StartMenuAssembly, DeepFoldersStayReachableWithinTheBuilderStack)
{
    path_list elements = {"Programs\\"};
    for (int i = 1; i <= 70; ++i) {
        elements.push_back(nested_folder(i));
        elements.push_back(nested_folder(i).append("e").append(std::to_string(i)));
    }
    rebuild(tree_of(elements));
    EXPECT_EQ(menu_depth(), 0);

    HMENU menu = GetSubMenu(menu_handle(0), 0);
    int levels = 1;
    for (;;) {
        HMENU next = nullptr;
        for (int i = 0; i < GetMenuItemCount(menu) && !next; ++i)
            next = GetSubMenu(menu, i);
        if (!next)
            break;
        menu = next;
        ++levels;
    }
    EXPECT_EQ(levels, max_menu_depth);
    // The deepest submenu (folder f63) holds its own entry and those of f64 to f70.
    std::vector<std::string> deepest = {"e63#63", "e64#64", "e65#65", "e66#66",
                                        "e67#67", "e68#68", "e69#69", "e70#70"};
    EXPECT_EQ(outline(menu), deepest);
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        EXPECT_TRUE(shows_entry_bitmap(item_at(menu, i))) << i;
    EXPECT_EQ(outline(GetSubMenu(menu_handle(0), 0)).back(), "[f1]");
}

TEST_F(StartMenuAssembly, CaptionsShowAmpersandsAsTheyAre)
{
    rebuild(tree_of({"Programs\\", "Programs\\R&D Tools\\", "Programs\\R&D Tools\\Q&A"}));
    HMENU programs = GetSubMenu(menu_handle(0), 0);
    EXPECT_EQ(item_at(programs, 0).text, "R&&D Tools");  // shown as "R&D Tools"
    EXPECT_EQ(item_at(GetSubMenu(programs, 0), 0).text, "Q&&A");
}

TEST_F(StartMenuAssembly, EntryIdsNeverReachTheCommands)
{
    path_list elements = {"Programs\\"};
    for (int i = 0; i < 10050; ++i) {
        char name[32];
        snprintf(name, sizeof name, "Programs\\e%05d", i);
        elements.push_back(name);
    }
    rebuild(tree_of(elements));
    HMENU programs = GetSubMenu(menu_handle(0), 0);
    ASSERT_EQ(GetMenuItemCount(programs), 10000);
    EXPECT_EQ(GetMenuItemID(programs, 0), 1u);
    EXPECT_EQ(GetMenuItemID(programs, 9999), 10000u);
    EXPECT_EQ(entry_bitmap_count(), 10000);
    // Each command id is found once, at the top.
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    char text[64] = {};
    info.dwTypeData = text;
    info.cch = sizeof text;
    ASSERT_TRUE(GetMenuItemInfoA(menu_handle(0), command_search, FALSE, &info));
    EXPECT_STREQ(text, "Suchen");
}

TEST_F(StartMenuAssembly, RebuildsReleaseTheirPredecessorsPictures)
{
    HBITMAP previous_folder = nullptr;
    const int live_commands = live_image_count();
    for (int build = 1; build <= 10; ++build) {
        path_list elements = {"Programs\\"};
        for (int i = 0; i < build * 3; ++i)
            elements.push_back(std::string("Programs\\e").append(std::to_string(i)));
        rebuild(tree_of(elements));
        EXPECT_EQ(entry_bitmap_count(), build * 3);
        // Commands, the folder bitmap and this build's entries: nothing of earlier builds.
        EXPECT_EQ(live_image_count(), live_commands + 1 + build * 3) << "build " << build;
        if (previous_folder) {
            EXPECT_EQ(GetObjectType(previous_folder), 0u) << "build " << build;
        }
        previous_folder = folder_bitmap();
        EXPECT_EQ(GetObjectType(previous_folder), static_cast<DWORD>(OBJ_BITMAP));
    }
}

TEST_F(StartMenuAssembly, AMenuOnScreenKeepsItsPicturesUntilItCloses)
{
    rebuild(tree_of({"Programs\\", "Programs\\alt1", "Programs\\alt2"}));
    HMENU old_menu = menu_handle(0);
    HMENU old_programs = GetSubMenu(old_menu, 0);
    std::vector<HBITMAP> old_pictures = {item_at(old_programs, 0).checked,
                                         item_at(old_programs, 1).checked, folder_bitmap()};

    shown_menu shown;
    ASSERT_TRUE(begin_showing(&shown));
    EXPECT_EQ(shown.menu, old_menu);
    rebuild(tree_of({"Programs\\", "Programs\\neu"}));
    EXPECT_NE(menu_handle(0), old_menu);
    EXPECT_TRUE(IsMenu(old_menu));
    for (HBITMAP picture : old_pictures)
        EXPECT_EQ(GetObjectType(picture), static_cast<DWORD>(OBJ_BITMAP));
    // The retired menu still shows the old pictures.
    EXPECT_EQ(item_at(old_programs, 1).checked, old_pictures[1]);
    EXPECT_EQ(live_image_count(), 10 + 1 + 1);  // the old ones are out of the table already

    end_showing();
    EXPECT_FALSE(IsMenu(old_menu));
    for (HBITMAP picture : old_pictures)
        EXPECT_EQ(GetObjectType(picture), 0u);
    EXPECT_TRUE(shows_entry_bitmap(item_at(GetSubMenu(menu_handle(0), 0), 0)));
}

TEST_F(StartMenuAssembly, ACancelledRebuildStopsAddingEntries)
{
    ASSERT_TRUE(stop_rebuilds(0));
    rebuild(tree_of({"Programs\\", "Programs\\a", "Programs\\B\\", "Programs\\B\\c"}));
    EXPECT_EQ(menu_depth(), 0);
    EXPECT_EQ(entry_bitmap_count(), 0);
    HMENU top = menu_handle(0);
    HMENU programs = GetSubMenu(top, 0);
    ASSERT_NE(programs, nullptr);
    EXPECT_EQ(GetMenuItemCount(programs), 0);
    EXPECT_EQ(GetMenuItemCount(top), 13);  // the commands are all there
}

}  // namespace
