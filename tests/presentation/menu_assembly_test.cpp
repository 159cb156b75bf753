// The start menu as the platform sees it after a rebuild: structure, ids, captions, greyed
// commands and the bitmap of every item, read back with GetMenuItemInfoA and friends. The trees
// are made here; their entries have no shortcut files (sources 0), so every entry bitmap is white.
// Then the pictures themselves: entry bitmaps from the shell's icons of real shortcut files in
// temporary start-menu folders, the "Grafiken" files of the current folder, the banner and the
// folder bitmap.

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

// A tree whose entries all stand for the same shortcut files (sources 0: none).
programs_tree tree_of(const path_list& elements, uint8_t sources = 0)
{
    programs_tree tree{elements, {}, {}, 0};
    for (const std::string& element : elements)
        tree.sources.push_back(element.back() == '\\' ? 0 : sources);
    return tree;
}

// A build as the change watcher makes it, beside the menu on offer.
menu_build build_of(const programs_tree& tree, const programs_roots& roots)
{
    menu_build build;
    build.menu = static_cast<int32_t>(create_popup_menu(dynamic_number));
    EXPECT_NE(build.menu, 0);
    build_start_menu(tree, roots);
    build.pictures = take_entry_bitmaps();
    build.folder_bitmap = make_folder_bitmap();
    attach_folder_bitmaps(build.menu, build.folder_bitmap);
    EXPECT_EQ(menu_depth(), 0);
    return build;
}

// One rebuild: the build, then its hand-over as menu 0.
void rebuild(const programs_tree& tree, const programs_roots& roots = {})
{
    menu_build build = build_of(tree, roots);
    ASSERT_TRUE(hand_over(&build));
}

void rebuild(const path_list& elements)
{
    rebuild(tree_of(elements));
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

// A white 16x16 entry bitmap, opaque, given as both check-mark bitmaps.
bool shows_entry_bitmap(const item& it)
{
    return it.checked && it.checked == it.unchecked && it.checked != folder_bitmap() &&
           test::bitmap_pixels(it.checked) == std::vector<COLORREF>(256, RGB(255, 255, 255)) &&
           test::opaque(it.checked);
}

std::string nested_folder(int n)  // "Programs\f1\...\fn\"
{
    std::string path = "Programs\\";
    for (int i = 1; i <= n; ++i)
        path.append("f").append(std::to_string(i)).append("\\");
    return path;
}

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

// A .lnk to the launch recorder, showing the icon of icon_file when one is given.
bool launcher_shortcut(const std::string& lnk, const std::string& icon_file = "")
{
    return test::create_shortcut(lnk, test::fixture_path("record_launch.exe"), "", "", icon_file);
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
        take_entry_bitmaps();
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
    EXPECT_EQ(a.checked, c.checked) << "the same picture is one bitmap";
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

// A rebuild cancelled for shutdown adds no more entries, and it is never handed over.
TEST_F(StartMenuAssembly, ACancelledRebuildStopsAddingEntriesAndIsNotHandedOver)
{
    rebuild({"Programs\\", "Programs\\a"});
    ASSERT_TRUE(stop_rebuilds(0));
    menu_build build = build_of(tree_of({"Programs\\", "Programs\\b", "Programs\\C\\", "Programs\\C\\d"}), {});
    EXPECT_EQ(describe(GetSubMenu(menu_handle(build.menu), 0)), "");
    EXPECT_EQ(GetMenuItemCount(menu_handle(build.menu)), 13);
    EXPECT_FALSE(hand_over(&build));
    discard_build(&build);
    EXPECT_EQ(describe(programs_menu()), "a#1");
    EXPECT_EQ(live_image_count(), 10 + 2);  // the commands' and the offered build's
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

// Real shortcut files in temporary start-menu folders, for the entry pictures.
class ItemBitmaps : public StartMenuAssembly {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartMenuAssembly::SetUp());
        ASSERT_FALSE((base_ = test::make_temp_folder("pictures")).empty());
        roots_ = {base_ + "user\\", base_ + "common\\"};
        ASSERT_TRUE(test::make_folders(roots_.user + "Programs") && test::make_folders(roots_.common + "Programs"));
        begin_entry_bitmaps(roots_);
    }
    void TearDown() override
    {
        StartMenuAssembly::TearDown();
        test::remove_tree(base_);
    }
    std::string base_;
    programs_roots roots_;
};

TEST_F(ItemBitmaps, EntryIconsComeFromTheLastCandidateTheShellAnswersFor)
{
    const std::string red_icon = base_ + "red.ico", programs_user = roots_.user + "Programs\\",
                      programs_common = roots_.common + "Programs\\";
    ASSERT_TRUE(test::write_file(red_icon, test::ico_bytes(16, RGB(255, 0, 0), 3)));
    ASSERT_TRUE(launcher_shortcut(programs_user + "x.lnk"));
    ASSERT_TRUE(launcher_shortcut(programs_common + "x.lnk", red_icon));
    ASSERT_TRUE(launcher_shortcut(programs_user + "y.lnk", red_icon));
    ASSERT_TRUE(test::create_internet_shortcut(programs_common + "y.url", "http://example.invalid/"));
    const std::vector<COLORREF> plain = shell_picture(programs_user + "x.lnk"), own = shell_picture(programs_common + "x.lnk"),
                                web = shell_picture(programs_common + "y.url"), white(256, RGB(255, 255, 255));
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
    EXPECT_TRUE(test::opaque(folder_picture));
    DestroyIcon(folder);
}

// Entries with the same icon share one bitmap; after ten rebuilds only the last build's pictures
// and the fixed ones are alive.
TEST_F(ItemBitmaps, EntriesShareTheBitmapOfTheirPictureAndRebuildsKeepOnlyTheLastBuilds)
{
    const std::string programs = roots_.user + "Programs\\";
    ASSERT_TRUE(test::write_file(base_ + "red.ico", test::ico_bytes(16, RGB(255, 0, 0), 3)));
    ASSERT_TRUE(test::write_file(base_ + "blue.ico", test::ico_bytes(16, RGB(0, 0, 255), 3)));
    ASSERT_TRUE(launcher_shortcut(programs + "a.lnk", base_ + "red.ico"));
    ASSERT_TRUE(launcher_shortcut(programs + "b.lnk", base_ + "red.ico"));
    ASSERT_TRUE(launcher_shortcut(programs + "c.lnk", base_ + "blue.ico"));
    ASSERT_TRUE(test::create_internet_shortcut(programs + "d.url", "http://example.invalid/"));
    const programs_tree four = tree_of({"Programs\\", "Programs\\a", "Programs\\b", "Programs\\c"}, source_user_lnk);
    programs_tree with_url = four;
    with_url.tree.push_back("Programs\\d");
    with_url.sources.push_back(source_user_url);
    const programs_tree two = tree_of({"Programs\\", "Programs\\a", "Programs\\b"}, source_user_lnk);

    HBITMAP previous_folder = nullptr;
    for (int build = 1; build <= 10; ++build) {
        const bool large = build % 2;
        rebuild(large ? with_url : two, roots_);
        // The ten command pictures, the folder bitmap and this build's different pictures.
        EXPECT_EQ(live_image_count(), 10 + 1 + (large ? 3 : 1)) << "build " << build;
        EXPECT_EQ(GetObjectType(previous_folder), 0u) << "build " << build;
        previous_folder = folder_bitmap();
    }
    rebuild(with_url, roots_);
    const HBITMAP a = item_at(programs_menu(), 0).checked, b = item_at(programs_menu(), 1).checked,
                  c = item_at(programs_menu(), 2).checked, d = item_at(programs_menu(), 3).checked;
    EXPECT_EQ(a, b);
    EXPECT_TRUE(a && c && d && a != c && a != d && c != d);
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
    for (const graphics_file& file : graphics_files)
        EXPECT_EQ(image_handle(file.image) != nullptr, file.image != 16) << file.path;

    const struct {
        int x, y;
        COLORREF colour;
    } spots[] = {
        {9, 9, RGB(255, 0, 0)},     {40, 40, RGB(255, 0, 0)},   {8, 9, RGB(255, 255, 255)},   {41, 41, RGB(255, 255, 255)},
        {259, 9, RGB(0, 0, 255)},   {290, 40, RGB(0, 0, 255)},  {291, 9, RGB(255, 255, 255)}, {150, 30, RGB(255, 255, 255)},
    };
    for (const auto& spot : spots)
        EXPECT_EQ(test::pixel_at(static_cast<HBITMAP>(image_handle(banner_image)), spot.x, spot.y), spot.colour)
            << spot.x << "," << spot.y;

    rebuild({"Programs\\"});
    EXPECT_EQ(item_at(menu_handle(0), 2).checked, nullptr);  // "Suchen"
    EXPECT_EQ(item_at(menu_handle(0), 3).checked, image_handle(11));
    EXPECT_NE(item_at(menu_handle(0), 3).checked, nullptr);
}

}  // namespace
