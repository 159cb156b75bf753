// test-label: setups
// The start menu as the platform sees it after a rebuild, read back with GetMenuItemInfoA; entry
// pictures of real shortcut files, Grafiken and banner, in folders the ANSI code page cannot name,
// every picture at the system's small-icon size and the banner at the session's DPI.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "about/about_window.h"
#include "app/menu_publication_state.h"
#include "catalogue/start_menu_fs.h"
#include "presentation/commands.h"
#include "presentation/item_bitmaps.h"
#include "presentation/pictures.h"
#include "presentation/menu_assembly.h"
#include "tests/support/image_files.h"
#include "tests/support/test_support.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "toolkit/numbered_table.h"

namespace {

constexpr COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), white = RGB(255, 255, 255), sand = RGB(210, 180, 140),
                   green = RGB(0, 128, 0);
const int picture_width = GetSystemMetrics(SM_CXSMICON), picture_height = GetSystemMetrics(SM_CYSMICON);
const std::vector<COLORREF> white_square(static_cast<size_t>(picture_width * picture_height), white);

// A tree whose entries all stand for the same shortcut files (sources 0: none, a white square).
programs_tree tree_of(const path_list& elements, uint8_t sources = 0)
{
    programs_tree tree{elements, {}, {}, {}};
    for (const std::string& element : elements)
        tree.sources.push_back(element.back() == '\\' ? 0 : sources);
    return tree;
}

// A build as the change watcher makes it, beside the menu on offer, handed over as menu 0; without
// ask_shell the plain one that may come first.
void rebuild(const programs_tree& tree, const programs_roots& roots = {}, bool ask_shell = true)
{
    menu_build build;
    build.menu = static_cast<int32_t>(create_popup_menu(dynamic_number));
    begin_entry_bitmaps(roots, offered_pictures(), ask_shell);
    EXPECT_TRUE(build_start_menu(tree, rebuild_cancelled));
    build.pictures = take_entry_bitmaps();
    build.folder_bitmap = make_folder_bitmap();
    attach_folder_bitmaps(build.menu, build.folder_bitmap);
    EXPECT_TRUE(hand_over(&build));
}

MENUITEMINFOA item_at(HMENU menu, UINT item, BOOL by_position = TRUE)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS | MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_FTYPE;
    EXPECT_TRUE(GetMenuItemInfoA(menu, item, by_position, &info));
    return info;
}
HMENU programs_menu() { return GetSubMenu(menu_handle(0), 0); }
HBITMAP picture_at(HMENU menu, int position) { return item_at(menu, static_cast<UINT>(position)).hbmpChecked; }
HBITMAP bitmap(int32_t image) { return static_cast<HBITMAP>(image_handle(image)); }
HBITMAP folder_bitmap() { return bitmap(folder_bitmap_image); }

// The whole menu in one line, UTF-8: "text#id" for items, "name{...}" for submenus, "-" for
// separators; "~" marks a greyed item, "*" one whose check-mark bitmaps differ, else "^" one with the
// folder bitmap.
std::string describe(HMENU menu)
{
    std::string text;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t caption[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), caption, 256, MF_BYPOSITION);
        const MENUITEMINFOA item = item_at(menu, static_cast<UINT>(i));
        text.append(i ? "," : "").append(item.fType & MFT_SEPARATOR ? "-" : test::utf8(caption));
        if (item.hSubMenu)
            text.append("{").append(describe(item.hSubMenu)).append("}");
        else if (!(item.fType & MFT_SEPARATOR))
            text.append("#").append(std::to_string(item.wID)).append(item.fState & MFS_GRAYED ? "~" : "");
        text.append(item.hbmpChecked != item.hbmpUnchecked ? "*" : item.hbmpChecked == folder_bitmap() ? "^" : "");
    }
    return text;
}

// Stand-ins for the command pictures, and real shortcut files in temporary start-menu folders.
class StartMenuAssembly : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        init_menu_library();
        init_image_library();
        reset_menu_publication();
        for (const fixed_command& command : fixed_commands)
            ASSERT_NE(create_image(command.image, 13, 13, 32), 0);
        // Outside the assertion, whose message would spell the name in Windows-1252, which lacks it.
        base_ = test::make_temp_folder(test::utf8(u8"pictures_Łódź_中文_😀"));
        ASSERT_FALSE(base_.empty());
        roots_ = {base_ + "user\\", base_ + "common\\"};
        ASSERT_TRUE(test::make_folders(user_ = roots_.user + "Programs\\") &&
                    test::make_folders(common_ = roots_.common + "Programs\\"));
        for (const auto& [name, colour] : {std::pair{"red.ico", red}, {"blue.ico", blue}, {"tan.ico", sand}, {"green.ico", green}})
            ASSERT_TRUE(test::write_file(base_ + name, test::ico_bytes(16, colour, 3)));
        begin_entry_bitmaps(roots_);
    }
    void TearDown() override
    {
        observe_shell_questions(nullptr);
        take_entry_bitmaps();
        free_menu(0);
        free_all_images();
        reset_menu_publication();
        CoUninitialize();
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
using ItemBitmaps = StartMenuAssembly;

// Folders and entries show their names as they are on disk; the commands their Windows-1252 texts.
TEST_F(StartMenuAssembly, BuildsTheTreeWithEveryBitmapAndGreyedCommand)
{
    using test::utf8;
    rebuild(tree_of({"Programs\\", "Programs\\a", utf8(u8"Programs\\Łódź 中文\\"), utf8(u8"Programs\\Łódź 中文\\Ελλάδα 😀"),
                     "Programs\\D\\"}));
    const std::string expected =
        utf8(u8"Programs{a#1,Łódź 中文{Ελλάδα 😀#2}^,D{}^}^,-,Suchen#10001,Ausführen#10002,Benutzer wechseln#10003,"
             u8"Benutzer abmelden#10004,Standby#10005~,Ruhezustand#10006~,Neu starten#10007,"
             u8"Herunterfahren#10008,-,Informationen#10009,Velmora beenden#10010");
    EXPECT_EQ(describe(menu_handle(0)), expected);
    wchar_t command[32] = {};  // as the program wrote it, whatever the ANSI code page
    const int length = GetMenuStringW(menu_handle(0), command_run, command, 32, MF_BYCOMMAND);
    EXPECT_EQ(test::text_1252(command, length), "Ausf\xFChren");
    for (const fixed_command& row : fixed_commands)
        EXPECT_EQ(item_at(menu_handle(0), row.id, FALSE).hbmpChecked, image_handle(row.image)) << row.id;
}

// Only the build on screen waits for its menu to close: builds replaced unseen meanwhile, kept as
// well, would pile up without bound while the folders keep changing. A picture that later builds
// keep lives on with them.
TEST_F(StartMenuAssembly, AMenuOnScreenKeepsItsPicturesUntilItClosesAndNoOtherBuild)
{
    ASSERT_TRUE(shortcut(user_ + "a.lnk", "red.ico") && shortcut(user_ + "b.lnk", "blue.ico") &&
                shortcut(user_ + "c.lnk", "red.ico"));
    shown_menu shown;  // a click before the first hand-over, even before the build began, waits
    EXPECT_FALSE(begin_showing(&shown));
    rebuild(tree_of({"Programs\\", "Programs\\a", "Programs\\b"}, source_user_lnk), roots_);
    const auto [on_screen, kept, entry, folder] =
        std::tuple{menu_handle(0), picture_at(programs_menu(), 0), picture_at(programs_menu(), 1), folder_bitmap()};
    ASSERT_TRUE(begin_showing(&shown) && shown.menu == on_screen);
    rebuild(tree_of({"Programs\\", "Programs\\a", "Programs\\c"}, source_user_lnk), roots_);
    const auto [unseen, unseen_entry, unseen_folder] = std::tuple{menu_handle(0), picture_at(programs_menu(), 1), folder_bitmap()};
    EXPECT_TRUE(picture_at(programs_menu(), 0) == kept && unseen_entry != kept) << "a keeps its picture, c has one of its own";
    rebuild(tree_of({"Programs\\", "Programs\\a"}, source_user_lnk), roots_);
    EXPECT_TRUE(!IsMenu(unseen) && GetObjectType(unseen_folder) == 0 && GetObjectType(unseen_entry) == 0)
        << "the unseen build is freed at once";
    EXPECT_TRUE(IsMenu(on_screen) && GetObjectType(entry) == OBJ_BITMAP && GetObjectType(folder) == OBJ_BITMAP);
    end_showing();
    EXPECT_TRUE(!IsMenu(on_screen) && GetObjectType(entry) == 0 && GetObjectType(folder) == 0) << "freed on closing";
    EXPECT_TRUE(picture_at(programs_menu(), 0) == kept && GetObjectType(kept) == OBJ_BITMAP) << "a build still shows it";
}

std::vector<std::string> g_asked;  // the shortcut files the shell was asked about, by name

// An entry keeps its picture while its shortcut files stay as they were: only new and changed ones
// are asked about, not even in the plain build that may come first. Nothing grows meanwhile.
TEST_F(ItemBitmaps, OnlyNewAndChangedShortcutsAreAskedAboutAndTheOthersKeepTheirPictures)
{
    for (const auto& [name, icon] : {std::pair{"a", "red.ico"}, {"b", "blue.ico"}, {"c", "red.ico"}, {"d", "red.ico"}})
        ASSERT_TRUE(shortcut(user_ + name + ".lnk", icon));
    ASSERT_TRUE(shortcut(common_ + "e.lnk", "blue.ico"));
    observe_shell_questions([](const std::string& path) { g_asked.push_back(path.substr(path.rfind('\\') + 1)); });
    const auto tree = [&] { return build_programs_tree(platform_file_system(), roots_); };
    // The shell may still hold a shortcut it was just asked about for a moment, as it may on Windows.
    const auto move = [](const std::string& from, const std::string& to) {
        return test::wait_until([&] { return MoveFileW(test::wide(from).c_str(), test::wide(to).c_str()) != FALSE; },
                                10000);
    };
    const auto colours = [] {
        std::vector<COLORREF> found;
        for (int i = 0; i < GetMenuItemCount(programs_menu()); ++i)
            found.push_back(test::pixel_at(picture_at(programs_menu(), i), picture_width / 2, picture_height / 2));
        return found;
    };
    rebuild(tree(), roots_);
    const HBITMAP kept = picture_at(programs_menu(), 0);
    // b goes and f comes; c is renamed, which keeps size and time; d is replaced by a shortcut of the
    // same size and another time, e by a larger one.
    const int64_t size = probe_path(user_ + "d.lnk");
    const FILETIME long_ago = {0, 0x01D00000};
    ASSERT_TRUE(move(user_ + "b.lnk", base_ + "b.lnk") && shortcut(user_ + "f.lnk", "blue.ico") &&
                move(user_ + "c.lnk", user_ + "c2.lnk") && shortcut(user_ + "d.lnk", "tan.ico") &&
                shortcut(common_ + "e.lnk", "green.ico"));
    HANDLE d = CreateFileW(test::wide(user_ + "d.lnk").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(SetFileTime(d, nullptr, nullptr, &long_ago) && CloseHandle(d) && probe_path(user_ + "d.lnk") == size);
    g_asked.clear();
    rebuild(tree(), roots_, false);
    EXPECT_TRUE(g_asked.empty());
    EXPECT_EQ(colours(), (std::vector{red, white, white, white, white}));
    rebuild(tree(), roots_);
    EXPECT_EQ(g_asked, (std::vector<std::string>{"c2.lnk", "d.lnk", "e.lnk", "f.lnk"}));
    EXPECT_EQ(colours(), (std::vector{red, red, sand, green, blue}));
    EXPECT_EQ(picture_at(programs_menu(), 0), kept);

    // f comes and goes, now and then a plain build first, now and then a menu on screen meanwhile.
    const int gdi = test::live_gdi_objects(), images = live_image_count();
    for (int i = 0; i < 24; ++i) {
        shown_menu shown;
        const bool showing = i % 3 == 0 && begin_showing(&shown);
        ASSERT_TRUE(i % 2 ? move(base_ + "f.lnk", user_ + "f.lnk") : move(user_ + "f.lnk", base_ + "f.lnk"));
        if (i % 4 == 1)
            rebuild(tree(), roots_, false);
        rebuild(tree(), roots_);
        if (showing)
            end_showing();
    }
    EXPECT_EQ(test::live_gdi_objects(), gdi);
    EXPECT_EQ(live_image_count(), images);
}

TEST_F(ItemBitmaps, EntryIconsComeFromTheLastCandidateTheShellAnswersFor)
{
    const std::string named = test::utf8(u8"Programs\\Ελληνικά\\Łódź 😀");
    ASSERT_TRUE(test::create_internet_shortcut(common_ + "y.url", "http://x.invalid/") && shortcut(user_ + "x.lnk") &&
                shortcut(common_ + "x.lnk", "red.ico") && shortcut(user_ + "y.lnk", "red.ico") &&
                test::make_folders(roots_.user + named.substr(0, named.rfind('\\'))) &&
                shortcut(roots_.user + named + ".lnk", "red.ico"));
    const auto shell_picture = [](const std::string& path) {  // its small icon on white, made without the program
        SHFILEINFOW info = {};
        SHGetFileInfoW(test::wide(path).c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON);
        std::vector<COLORREF> pixels = info.hIcon ? test::icon_on_white(info.hIcon) : std::vector<COLORREF>{};
        DestroyIcon(info.hIcon);
        return pixels;
    };
    const std::vector<COLORREF> plain = shell_picture(user_ + "x.lnk"), own = shell_picture(common_ + "x.lnk"),
                                web = shell_picture(common_ + "y.url");
    ASSERT_FALSE(plain.empty() || own == plain || own == web);

    const struct { const char* what; std::string entry; uint8_t sources; const std::vector<COLORREF>& expected; } rows[] = {
        {"a .lnk in both folders: the common one", "Programs\\x", source_user_lnk | source_common_lnk, own},
        {"a name the code page cannot write, in such a folder", named, source_user_lnk, own},
        {"the user's .lnk against the common .url: the .url", "Programs\\y", source_user_lnk | source_common_url, web},
        {"only what the tree says exists is asked", "Programs\\x", source_user_lnk, plain},
        // The shell fails on the missing .url (and may leave a bogus handle): the .lnk still counts.
        {"a vanished candidate is passed over", "Programs\\x", source_user_lnk | source_user_url, plain},
        {"nothing left on disk: a white square", "Programs\\gone", source_user_lnk | source_common_url, white_square},
        {"no sources at all: a white square", "Programs\\x", 0, white_square},
    };
    for (const auto& row : rows) {
        fetch_entry_icon(row.entry, row.sources);
        const HBITMAP picture = bitmap(make_entry_bitmap());
        EXPECT_TRUE(test::bitmap_pixels(picture) == row.expected && test::opaque(picture)) << row.what;
    }
    EXPECT_EQ(take_entry_bitmaps()->shown.size(), (std::set{own, web, plain, white_square}.size())) << "one for each picture";
    HICON icon = nullptr;  // the folder bitmap: the shell's folder icon on white
    ASSERT_EQ(ExtractIconExA("shell32.dll", 3, nullptr, &icon, 1), 1u);
    EXPECT_EQ(test::bitmap_pixels(bitmap(make_folder_bitmap())), test::icon_on_white(icon));
    DestroyIcon(icon);
}

// As many entries as a menu numbers, 200 folders of 50, every one pictured with the one picture
// they share: the ten command pictures, the folder bitmap and one entry bitmap stay alive.
TEST_F(ItemBitmaps, EntriesShareTheBitmapOfTheirPictureEvenInTheLargestMenu)
{
    path_list big = {"Programs\\"};
    for (int i = 0; i < 10000; ++i) {
        const std::string folder = "Programs\\G" + std::to_string(1000 + i / 50) + "\\";
        if (i % 50 == 0)
            big.push_back(folder);
        big.push_back(folder + std::to_string(1000 + i));
    }
    rebuild(tree_of(big));
    int pictured = 0;
    for (int folder = 0; folder < 200; ++folder)
        for (int entry = 0; entry < 50; ++entry)
            pictured += picture_at(GetSubMenu(programs_menu(), folder), entry) != nullptr;
    EXPECT_EQ(pictured, 10000);
    EXPECT_EQ(live_image_count(), 10 + 1 + 1);
}

// Every picture but Suchen.bmp, from the current folder (named beyond the ANSI code page): the
// banner grows with the DPI and gets both icons 9 pixels (at 96 DPI) in from its corners, the
// command pictures take the small-icon size, and only "Suchen" is left without a picture.
TEST_F(ItemBitmaps, GraphicsLoadFromTheCurrentFolderAndAMissingOneLeavesOnlyItsItem)
{
    ASSERT_TRUE(test::make_folders(base_ + "Grafiken"));
    for (const graphics_file& file : graphics_files) {
        const std::string bytes = file.image == banner_image ? test::bmp_bytes(300, 60, 24, white)
                                  : file.image == banner_left_icon_image  ? test::ico_bytes(32, red, 0)
                                  : file.image == banner_right_icon_image ? test::ico_bytes(32, blue, 0)
                                                                          : test::bmp_bytes(13, 13, 8, RGB(0, 128, 0));
        ASSERT_TRUE(std::string(file.path) == "Grafiken\\Suchen.bmp" || test::write_file(base_ + file.path, bytes));
    }
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(test::wide(base_).c_str()));
    load_graphics();
    compose_banner();
    SetCurrentDirectoryW(previous);

    using test::scaled;
    SIZE banner = {};
    EXPECT_TRUE(image_size(image_handle(banner_image), &banner) && banner.cx == scaled(300) && banner.cy == scaled(60));
    for (const auto& [x, y, colour] : {std::tuple{9, 9, red}, {40, 40, red}, {8, 9, white}, {259, 9, blue},
                                       {290, 40, blue}, {291, 9, white}})
        EXPECT_EQ(test::pixel_at(bitmap(banner_image), scaled(x), scaled(y)), colour) << x << "," << y;
    rebuild(tree_of({"Programs\\", "Programs\\x"}));
    EXPECT_TRUE(!picture_at(menu_handle(0), 2) && picture_at(menu_handle(0), 3)) << "only Suchen has none";
    for (HBITMAP picture : {picture_at(menu_handle(0), 3), picture_at(menu_handle(0), 0), picture_at(programs_menu(), 0)}) {
        SIZE size = {};
        EXPECT_TRUE(image_size(picture, &size) && size.cx == picture_width && size.cy == picture_height)
            << "command, folder and entry pictures: " << size.cx << " x " << size.cy;
    }
}

}  // namespace
