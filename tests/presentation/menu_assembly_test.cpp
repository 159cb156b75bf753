// The start menu as the platform sees it after a rebuild: structure, ids, captions, greyed
// commands and the bitmap of every item, read back with GetMenuItemInfoA. Then the pictures
// themselves: entry bitmaps from the shell's icons of real shortcut files in temporary start-menu
// folders, the Grafiken files of the current folder and the banner.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <set>
#include <string>
#include <vector>

#include "catalogue/menu_publication.h"
#include "presentation/commands.h"
#include "presentation/item_bitmaps.h"
#include "presentation/menu_assembly.h"
#include "tests/support/image_files.h"
#include "tests/support/test_support.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "toolkit/numbered_table.h"

namespace {

const std::vector<COLORREF> white(256, RGB(255, 255, 255));

// A tree whose entries all stand for the same shortcut files (sources 0: none, a white square).
programs_tree tree_of(const path_list& elements, uint8_t sources = 0)
{
    programs_tree tree{elements, {}, {}};
    for (const std::string& element : elements)
        tree.sources.push_back(element.back() == '\\' ? 0 : sources);
    return tree;
}

// A build as the change watcher makes it, beside the menu on offer.
menu_build build_of(const programs_tree& tree, const programs_roots& roots)
{
    menu_build build;
    build.menu = static_cast<int32_t>(create_popup_menu(dynamic_number));
    build_start_menu(tree, roots);
    build.pictures = take_entry_bitmaps();
    build.folder_bitmap = make_folder_bitmap();
    attach_folder_bitmaps(build.menu, build.folder_bitmap);
    EXPECT_EQ(menu_append_target(), menu_handle(build.menu)) << "the builder is back at the top";
    return build;
}

// One rebuild: the build, then its hand-over as menu 0.
void rebuild(const programs_tree& tree, const programs_roots& roots = {})
{
    menu_build build = build_of(tree, roots);
    ASSERT_TRUE(hand_over(&build));
}

MENUITEMINFOA item_at(HMENU menu, int position, char* text = nullptr)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS | MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = text ? 256 : 0;
    EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info));
    return info;
}

// The whole menu in one line: "text#id" for items, "name{...}" for submenus, "-" for separators;
// "*" marks an item whose two check-mark bitmaps differ.
std::string describe(HMENU menu)
{
    std::string text;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char caption[256] = {};
        const MENUITEMINFOA item = item_at(menu, i, caption);
        text.append(i ? "," : "").append(item.fType & MFT_SEPARATOR ? "-" : caption);
        if (item.hSubMenu)
            text.append("{").append(describe(item.hSubMenu)).append("}");
        else if (!(item.fType & MFT_SEPARATOR))
            text.append("#").append(std::to_string(item.wID));
        text.append(item.hbmpChecked != item.hbmpUnchecked ? "*" : "");
    }
    return text;
}

HMENU programs_menu() { return GetSubMenu(menu_handle(0), 0); }
HBITMAP picture_at(HMENU menu, int position) { return item_at(menu, position).hbmpChecked; }
HBITMAP folder_bitmap() { return static_cast<HBITMAP>(image_handle(folder_bitmap_image)); }

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
        take_entry_bitmaps();
        free_menu(0);
        free_all_images();
        reset_menu_publication();
        CoUninitialize();
    }
};

TEST_F(StartMenuAssembly, BuildsTheTreeWithEveryBitmapAndGreyedCommand)
{
    rebuild(tree_of({"Programs\\", "Programs\\a", "Programs\\B\\", "Programs\\B\\c", "Programs\\D\\"}));
    EXPECT_EQ(describe(menu_handle(0)),
              "Programs{a#1,B{c#2},D{}},-,Suchen#10001,Ausf\xFChren#10002,Benutzer wechseln#10003,"
              "Benutzer abmelden#10004,Standby#10005,Ruhezustand#10006,Neu starten#10007,"
              "Herunterfahren#10008,-,Informationen#10009,Velmora beenden#10010");
    for (HBITMAP folder : {picture_at(menu_handle(0), 0), picture_at(programs_menu(), 1), picture_at(programs_menu(), 2)})
        EXPECT_EQ(folder, folder_bitmap());
    const HBITMAP a = picture_at(programs_menu(), 0);
    EXPECT_TRUE(a && a != folder_bitmap() && test::bitmap_pixels(a) == white && test::opaque(a));
    EXPECT_EQ(picture_at(GetSubMenu(programs_menu(), 1), 0), a) << "the same picture is one bitmap";
    for (const fixed_command& row : fixed_commands)
        for (int position = 2; position < 13; ++position) {
            const MENUITEMINFOA command = item_at(menu_handle(0), position);
            if (command.wID == row.id) {
                EXPECT_EQ(command.hbmpChecked, image_handle(row.image)) << row.id;
                EXPECT_EQ((command.fState & MFS_GRAYED) != 0, row.greyed) << row.id;
            }
        }
}

// A click before the first menu has been handed over, even before its build has begun, waits.
TEST_F(StartMenuAssembly, NothingIsShownBeforeTheFirstMenuIsHandedOver)
{
    shown_menu shown;
    EXPECT_FALSE(begin_showing(&shown));
    rebuild(tree_of({"Programs\\", "Programs\\a"}));
    ASSERT_TRUE(begin_showing(&shown));
    EXPECT_EQ(shown.menu, menu_handle(0));
    end_showing();
}

// A rebuild cancelled for shutdown adds no more entries, and it is never handed over.
TEST_F(StartMenuAssembly, ACancelledRebuildStopsAddingEntriesAndIsNotHandedOver)
{
    rebuild(tree_of({"Programs\\", "Programs\\a"}));
    ASSERT_TRUE(stop_rebuilds(0));
    menu_build build = build_of(tree_of({"Programs\\", "Programs\\b", "Programs\\C\\", "Programs\\C\\d"}), {});
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu_handle(build.menu), 0)), 0);
    EXPECT_FALSE(hand_over(&build));
    discard_build(&build);
    EXPECT_EQ(describe(programs_menu()), "a#1");
    EXPECT_EQ(live_image_count(), 10 + 2);  // the commands' and the offered build's
}

// A menu left open while the folders keep changing: only the build on screen waits for the menu
// to close. Builds replaced unseen meanwhile, kept as well, would pile up without bound towards the
// system's limits on menus and GDI objects.
TEST_F(StartMenuAssembly, AMenuOnScreenKeepsItsPicturesUntilItClosesAndNoOtherBuild)
{
    rebuild(tree_of({"Programs\\", "Programs\\alt1", "Programs\\alt2"}));
    const HMENU on_screen = menu_handle(0);
    const HBITMAP pictures_on_screen[] = {picture_at(programs_menu(), 0), folder_bitmap()};
    shown_menu shown;
    ASSERT_TRUE(begin_showing(&shown));
    rebuild(tree_of({"Programs\\", "Programs\\neu"}));
    const HMENU unseen = menu_handle(0);
    const HBITMAP unseen_folder = folder_bitmap();
    rebuild(tree_of({"Programs\\", "Programs\\neuer"}));
    EXPECT_FALSE(IsMenu(unseen));
    EXPECT_EQ(GetObjectType(unseen_folder), 0u);
    EXPECT_TRUE(IsMenu(on_screen));
    for (HBITMAP picture : pictures_on_screen)
        EXPECT_EQ(GetObjectType(picture), static_cast<DWORD>(OBJ_BITMAP));
    end_showing();
    EXPECT_FALSE(IsMenu(on_screen));
    for (HBITMAP picture : pictures_on_screen)
        EXPECT_EQ(GetObjectType(picture), 0u);
}

// Real shortcut files in temporary start-menu folders, for the entry pictures.
class ItemBitmaps : public StartMenuAssembly {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartMenuAssembly::SetUp());
        ASSERT_FALSE((base_ = test::make_temp_folder("pictures")).empty());
        roots_ = {base_ + "user\\", base_ + "common\\"};
        ASSERT_TRUE(test::make_folders(user_ = roots_.user + "Programs\\") &&
                    test::make_folders(common_ = roots_.common + "Programs\\"));
        for (const auto& [name, colour] : {std::pair{"red.ico", RGB(255, 0, 0)}, std::pair{"blue.ico", RGB(0, 0, 255)}})
            ASSERT_TRUE(test::write_file(base_ + name, test::ico_bytes(16, colour, 3)));
        begin_entry_bitmaps(roots_);
    }
    void TearDown() override
    {
        StartMenuAssembly::TearDown();
        test::remove_tree(base_);
    }
    // A .lnk to the launch recorder, showing the icon of icon_file when one is given.
    bool shortcut(const std::string& lnk, const std::string& icon_file = "")
    {
        return test::create_shortcut(lnk, test::fixture_path("record_launch.exe"), "", "",
                                     icon_file.empty() ? "" : base_ + icon_file);
    }
    std::string base_, user_, common_;
    programs_roots roots_;
};

// The picture the shell's small icon of a file gives on white, made without the program.
std::vector<COLORREF> shell_picture(const std::string& path)
{
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) || !info.hIcon)
        return {};
    std::vector<COLORREF> pixels = test::icon_on_white(info.hIcon);
    DestroyIcon(info.hIcon);
    return pixels;
}

TEST_F(ItemBitmaps, EntryIconsComeFromTheLastCandidateTheShellAnswersFor)
{
    ASSERT_TRUE(shortcut(user_ + "x.lnk") && shortcut(common_ + "x.lnk", "red.ico") && shortcut(user_ + "y.lnk", "red.ico"));
    ASSERT_TRUE(test::create_internet_shortcut(common_ + "y.url", "http://example.invalid/"));
    const std::vector<COLORREF> plain = shell_picture(user_ + "x.lnk"), own = shell_picture(common_ + "x.lnk"),
                                web = shell_picture(common_ + "y.url");
    ASSERT_FALSE(plain.empty() || own == plain || own == web);

    const struct {
        const char* what;
        const char* entry;
        uint8_t sources;
        const std::vector<COLORREF>& expected;
    } rows[] = {
        {"a .lnk in both folders: the common one", "Programs\\x", source_user_lnk | source_common_lnk, own},
        {"the user's .lnk against the common .url: the .url", "Programs\\y", source_user_lnk | source_common_url, web},
        {"only what the tree says exists is asked", "Programs\\x", source_user_lnk, plain},
        // The shell fails on the missing .url (and may leave a bogus handle): the .lnk still counts.
        {"a vanished candidate is passed over", "Programs\\x", source_user_lnk | source_user_url, plain},
        {"nothing left on disk: a white square", "Programs\\gone", source_user_lnk | source_common_url, white},
        {"no sources at all: a white square", "Programs\\x", 0, white},
    };
    std::set<std::vector<COLORREF>> pictures;
    for (const auto& row : rows) {
        pictures.insert(row.expected);
        fetch_entry_icon(row.entry, row.sources);
        const auto picture = static_cast<HBITMAP>(image_handle(make_entry_bitmap()));
        EXPECT_EQ(test::bitmap_pixels(picture), row.expected) << row.what;
        EXPECT_TRUE(test::opaque(picture)) << row.what;
    }
    EXPECT_EQ(take_entry_bitmaps().size(), pictures.size()) << "one bitmap for each picture";

    // The folder bitmap: the shell's folder icon on white.
    const auto folder_picture = static_cast<HBITMAP>(image_handle(make_folder_bitmap()));
    HICON folder = nullptr;
    ASSERT_EQ(ExtractIconExA("shell32.dll", 3, nullptr, &folder, 1), 1u);
    EXPECT_EQ(test::bitmap_pixels(folder_picture), test::icon_on_white(folder));
    DestroyIcon(folder);
}

// Entries with the same icon share one bitmap; after ten rebuilds only the last build's pictures
// and the fixed ones are alive.
TEST_F(ItemBitmaps, EntriesShareTheBitmapOfTheirPictureAndRebuildsKeepOnlyTheLastBuilds)
{
    ASSERT_TRUE(shortcut(user_ + "a.lnk", "red.ico") && shortcut(user_ + "b.lnk", "red.ico") &&
                shortcut(user_ + "c.lnk", "blue.ico"));
    programs_tree three = tree_of({"Programs\\", "Programs\\a", "Programs\\b", "Programs\\c"}, source_user_lnk);
    const programs_tree two = tree_of({"Programs\\", "Programs\\a", "Programs\\b"}, source_user_lnk);
    HBITMAP previous_folder = nullptr;
    for (int build = 1; build <= 10; ++build) {
        rebuild(build % 2 ? three : two, roots_);
        // The ten command pictures, the folder bitmap and this build's different pictures.
        EXPECT_EQ(live_image_count(), 10 + 1 + (build % 2 ? 2 : 1)) << "build " << build;
        EXPECT_EQ(GetObjectType(previous_folder), 0u) << "build " << build;
        previous_folder = folder_bitmap();
    }
    rebuild(three, roots_);
    const HBITMAP a = picture_at(programs_menu(), 0), c = picture_at(programs_menu(), 2);
    EXPECT_EQ(picture_at(programs_menu(), 1), a);
    EXPECT_EQ(test::pixel_at(a, 8, 8), RGB(255, 0, 0));
    EXPECT_EQ(test::pixel_at(c, 8, 8), RGB(0, 0, 255));
}

// Every picture but Suchen.bmp, from the current folder: the banner gets both icons 9 pixels in
// from its corners, and only "Suchen" is left without a picture.
TEST_F(ItemBitmaps, GraphicsLoadFromTheCurrentFolderAndAMissingOneLeavesOnlyItsItem)
{
    const std::string folder = base_ + "app\\";
    ASSERT_TRUE(test::make_folders(folder + "Grafiken"));
    for (const graphics_file& file : graphics_files) {
        const std::string bytes = file.image == banner_image ? test::bmp_bytes(300, 60, 24, RGB(255, 255, 255))
                                  : file.image == banner_left_icon_image  ? test::ico_bytes(32, RGB(255, 0, 0), 0)
                                  : file.image == banner_right_icon_image ? test::ico_bytes(32, RGB(0, 0, 255), 0)
                                                                          : test::bmp_bytes(13, 13, 8, RGB(0, 128, 0));
        if (std::string(file.path) != "Grafiken\\Suchen.bmp") {
            ASSERT_TRUE(test::write_file(folder + file.path, bytes)) << file.path;
        }
    }
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    load_graphics();
    compose_banner();
    SetCurrentDirectoryA(previous);

    const auto banner = static_cast<HBITMAP>(image_handle(banner_image));
    const struct {
        int x, y;
        COLORREF colour;
    } spots[] = {{9, 9, RGB(255, 0, 0)}, {40, 40, RGB(255, 0, 0)}, {8, 9, RGB(255, 255, 255)},
                 {259, 9, RGB(0, 0, 255)}, {290, 40, RGB(0, 0, 255)}, {291, 9, RGB(255, 255, 255)}};
    for (const auto& spot : spots)
        EXPECT_EQ(test::pixel_at(banner, spot.x, spot.y), spot.colour) << spot.x << "," << spot.y;
    rebuild(tree_of({"Programs\\"}));
    EXPECT_EQ(picture_at(menu_handle(0), 2), nullptr);  // "Suchen"
    EXPECT_NE(picture_at(menu_handle(0), 3), nullptr);
}

}  // namespace
