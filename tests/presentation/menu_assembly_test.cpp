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

// One rebuild, in the order the change watcher runs it.
void rebuild(const path_list& elements)
{
    release_old_menu(0);
    ASSERT_NE(create_popup_menu(0), 0);
    build_start_menu(programs_tree{elements, std::vector<uint8_t>(elements.size(), 0), {}, 0}, programs_roots{});
    make_folder_bitmap();
    attach_folder_bitmaps();
    EXPECT_EQ(menu_depth(), 0);
}

struct item {
    std::string text;
    UINT id;
    HMENU submenu;
    UINT type;
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
    return {text, info.wID, info.hSubMenu, info.fType, info.fState, info.hbmpChecked, info.hbmpUnchecked};
}

// The whole menu in one line: "text#id" for items, "name{...}" for submenus, "-" for separators.
std::string describe(HMENU menu)
{
    std::string text;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        item it = item_at(menu, i);
        text.append(i ? "," : "");
        if (it.type & MFT_SEPARATOR)
            text.append("-");
        else if (it.submenu)
            text.append(it.text).append("{").append(describe(it.submenu)).append("}");
        else
            text.append(it.text).append("#").append(std::to_string(it.id));
    }
    return text;
}

HMENU programs_menu()
{
    return GetSubMenu(menu_handle(0), 0);
}

HBITMAP folder_bitmap()
{
    return static_cast<HBITMAP>(image_handle(folder_bitmap_image));
}

// A white 16x16 entry bitmap, given as both check-mark bitmaps.
bool shows_entry_bitmap(const item& it)
{
    return it.checked && it.checked == it.unchecked && it.checked != folder_bitmap() &&
           test::bitmap_pixels(it.checked) == std::vector<COLORREF>(256, RGB(255, 255, 255));
}

std::string nested_folder(int n)  // "Programs\f1\...\fn\"
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
        for (const fixed_command& command : fixed_commands)  // stand-ins for the pictures
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
    rebuild({"Programs\\", "Programs\\a", "Programs\\B\\", "Programs\\B\\c", "Programs\\D\\"});
    HMENU top = menu_handle(0);
    EXPECT_EQ(describe(top),
              "Programs{a#1,B{c#2},D{}},-,Suchen#10001,Ausf\xFChren#10002,Benutzer wechseln#10003,"
              "Benutzer abmelden#10004,Standby#10005,Ruhezustand#10006,Neu starten#10007,"
              "Herunterfahren#10008,-,Informationen#10009,Velmora beenden#10010");
    HMENU programs = programs_menu();
    for (item folder : {item_at(top, 0), item_at(programs, 1), item_at(programs, 2)}) {
        EXPECT_EQ(folder.checked, folder_bitmap());
        EXPECT_EQ(folder.unchecked, folder_bitmap());
    }
    item a = item_at(programs, 0);
    item c = item_at(GetSubMenu(programs, 1), 0);
    EXPECT_TRUE(shows_entry_bitmap(a));
    EXPECT_TRUE(shows_entry_bitmap(c));
    EXPECT_NE(a.checked, c.checked);
    for (int position = 2; position < 13; ++position) {
        item command = item_at(top, position);
        for (const fixed_command& row : fixed_commands) {
            if (row.id != command.id)
                continue;
            EXPECT_EQ(command.checked, image_handle(row.image)) << row.id;
            EXPECT_EQ(command.unchecked, image_handle(row.image)) << row.id;
            EXPECT_EQ((command.state & MFS_GRAYED) != 0, row.greyed) << row.id;
        }
    }
    EXPECT_EQ(entry_bitmap_count(), 2);

    rebuild({"Programs\\", "Programs\\Editor", "Programs\\Games\\", "Programs\\Tools\\", "Programs\\Tools\\Calc",
             "Programs\\Tools\\Notes", "Programs\\Tools\\Extra\\", "Programs\\Tools\\Extra\\Backup"});
    EXPECT_EQ(describe(programs_menu()), "Editor#1,Games{},Tools{Calc#2,Notes#3,Extra{Backup#4}}");
}

// Folders f1 to f70 nested, each with an entry, beside "R&D" and 102 folders side by side.
TEST_F(StartMenuAssembly, DeepFoldersAndAmpersandsStayUsableAndFolderBitmapsReachDepthEleven)
{
    path_list elements = {"Programs\\", "Programs\\R&D\\", "Programs\\R&D\\Q&A"};
    for (int i = 1; i <= 70; ++i) {
        elements.push_back(nested_folder(i));
        elements.push_back(nested_folder(i).append("e").append(std::to_string(i)));
    }
    for (int i = 0; i < 102; ++i)
        elements.push_back("Programs\\w" + std::to_string(1000 + i) + "\\");
    rebuild(elements);
    EXPECT_EQ(describe(GetSubMenu(programs_menu(), 0)), "Q&&A#1");  // shows "Q&A"
    EXPECT_EQ(item_at(programs_menu(), 0).text, "R&&D");

    // 64 nested submenus: "Programs" and folders f1 to f63; f63's holds the entries of f64 to f70.
    // A folder bitmap on folders to depth 11 ("Programs\\f1\\" is 2) and to position 100.
    HMENU menu = programs_menu();
    for (int depth = 2; depth <= 64; ++depth) {
        item folder = item_at(menu, 1);
        ASSERT_NE(menu = folder.submenu, nullptr) << depth;
        EXPECT_EQ(folder.checked, depth <= 11 ? folder_bitmap() : nullptr) << "depth " << depth;
    }
    EXPECT_EQ(describe(menu), "e63#64,e64#65,e65#66,e66#67,e67#68,e68#69,e69#70,e70#71");
    ASSERT_EQ(GetMenuItemCount(programs_menu()), 104);
    EXPECT_EQ(item_at(programs_menu(), 100).checked, folder_bitmap());
    EXPECT_EQ(item_at(programs_menu(), 101).checked, nullptr);
}

TEST_F(StartMenuAssembly, EntryIdsNeverReachTheCommands)
{
    path_list elements = {"Programs\\"};
    for (int i = 0; i < 10050; ++i) {
        char name[32];
        snprintf(name, sizeof name, "Programs\\e%05d", i);
        elements.push_back(name);
    }
    rebuild(elements);
    ASSERT_EQ(GetMenuItemCount(programs_menu()), 10000);
    EXPECT_EQ(GetMenuItemID(programs_menu(), 9999), 10000u);
    EXPECT_EQ(GetMenuItemID(menu_handle(0), 2), static_cast<UINT>(command_search));

    // Pictures for the first entries only, so that two builds stay within a process's GDI quota.
    EXPECT_EQ(entry_bitmap_count(), max_entry_bitmaps);
    auto has_picture = [](int position) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_CHECKMARKS;
        GetMenuItemInfoA(programs_menu(), static_cast<UINT>(position), TRUE, &info);
        return info.hbmpUnchecked != nullptr;
    };
    EXPECT_TRUE(has_picture(max_entry_bitmaps - 1));
    EXPECT_FALSE(has_picture(max_entry_bitmaps));
}

TEST_F(StartMenuAssembly, RebuildsReleaseTheirPredecessorsPictures)
{
    HBITMAP previous_folder = nullptr;
    for (int build = 1; build <= 10; ++build) {
        path_list elements = {"Programs\\"};
        for (int i = 0; i < build * 3; ++i)
            elements.push_back(std::string("Programs\\e").append(std::to_string(i)));
        rebuild(elements);
        // The ten command pictures, the folder bitmap and this build's entries: nothing older.
        EXPECT_EQ(live_image_count(), 10 + 1 + build * 3) << "build " << build;
        EXPECT_EQ(GetObjectType(previous_folder), 0u) << "build " << build;
        previous_folder = folder_bitmap();
    }

    // A rebuild cancelled for shutdown adds no more entries; the commands are all there.
    ASSERT_TRUE(stop_rebuilds(0));
    rebuild({"Programs\\", "Programs\\a", "Programs\\B\\", "Programs\\B\\c"});
    EXPECT_EQ(describe(programs_menu()), "");
    EXPECT_EQ(GetMenuItemCount(menu_handle(0)), 13);
}

TEST_F(StartMenuAssembly, AMenuOnScreenKeepsItsPicturesUntilItCloses)
{
    rebuild({"Programs\\", "Programs\\alt1", "Programs\\alt2"});
    HMENU old_menu = menu_handle(0);
    std::vector<HBITMAP> old_pictures = {item_at(programs_menu(), 0).checked,
                                         item_at(programs_menu(), 1).checked, folder_bitmap()};
    shown_menu shown;
    ASSERT_TRUE(begin_showing(&shown));
    rebuild({"Programs\\", "Programs\\neu"});
    EXPECT_TRUE(IsMenu(old_menu));
    for (HBITMAP picture : old_pictures)
        EXPECT_EQ(GetObjectType(picture), static_cast<DWORD>(OBJ_BITMAP));
    end_showing();
    EXPECT_FALSE(IsMenu(old_menu));
    for (HBITMAP picture : old_pictures)
        EXPECT_EQ(GetObjectType(picture), 0u);
    EXPECT_TRUE(shows_entry_bitmap(item_at(programs_menu(), 0)));
}

}  // namespace
