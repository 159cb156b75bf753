// The pictures of the start menu: entry bitmaps from the shell's icons of real shortcut files in
// temporary start-menu folders, the "Grafiken" files of the current folder, the banner and the
// folder bitmap.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "catalogue/menu_publication.h"
#include "presentation/item_bitmaps.h"
#include "presentation/menu_assembly.h"
#include "tests/support/image_files.h"
#include "tests/support/test_support.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"

namespace {

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

// A .lnk to the launch recorder that shows the icon of icon_file.
bool shortcut_with_icon(const std::string& lnk, const std::string& icon_file)
{
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(test::fixture_path("record_launch.exe").c_str());
    link->SetIconLocation(icon_file.c_str(), 0);
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
    bool saved = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                 SUCCEEDED(file->Save(wide, TRUE));
    if (file)
        file->Release();
    link->Release();
    return saved;
}

class ItemBitmaps : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        init_menu_library();
        init_image_library();
        reset_menu_publication();
        ASSERT_FALSE((base_ = test::make_temp_folder("pictures")).empty());
        roots_ = {base_ + "user\\", base_ + "common\\"};
        ASSERT_TRUE(test::make_folders(roots_.user + "Programs") && test::make_folders(roots_.common + "Programs"));
        use_programs_roots(roots_);
    }
    void TearDown() override
    {
        release_entry_bitmaps();
        free_menu(0);
        free_all_images();
        reset_menu_publication();
        test::remove_tree(base_);
        CoUninitialize();
    }
    std::string base_;
    programs_roots roots_;
};

TEST_F(ItemBitmaps, EntryIconsComeFromTheLastCandidateTheShellAnswersFor)
{
    const std::string red_icon = base_ + "red.ico", programs_user = roots_.user + "Programs\\",
                      programs_common = roots_.common + "Programs\\";
    ASSERT_TRUE(test::write_file(red_icon, test::ico_bytes(16, RGB(255, 0, 0), 3)));
    ASSERT_TRUE(test::create_shortcut(programs_user + "x.lnk", test::fixture_path("record_launch.exe"), "", ""));
    ASSERT_TRUE(shortcut_with_icon(programs_common + "x.lnk", red_icon));
    ASSERT_TRUE(shortcut_with_icon(programs_user + "y.lnk", red_icon));
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
    for (const auto& row : rows) {
        fetch_entry_icon(row.entry, row.sources);
        EXPECT_EQ(test::bitmap_pixels(static_cast<HBITMAP>(image_handle(make_entry_bitmap()))), row.expected) << row.what;
    }
    EXPECT_EQ(entry_bitmap_count(), 6);

    // The folder bitmap: the shell's folder icon on white.
    make_folder_bitmap();
    HICON folder = nullptr;
    ASSERT_EQ(ExtractIconExA("shell32.dll", 3, nullptr, &folder, 1), 1u);
    EXPECT_EQ(test::bitmap_pixels(static_cast<HBITMAP>(image_handle(folder_bitmap_image))), test::icon_on_white(folder));
    DestroyIcon(folder);
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

    release_old_menu(0);
    ASSERT_NE(create_popup_menu(0), 0);
    build_start_menu(programs_tree{{"Programs\\"}, {0}, {}, 0}, roots_);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS;
    ASSERT_TRUE(GetMenuItemInfoA(menu_handle(0), 10001, FALSE, &info));
    EXPECT_EQ(info.hbmpChecked, nullptr);  // "Suchen"
    ASSERT_TRUE(GetMenuItemInfoA(menu_handle(0), 10002, FALSE, &info));
    EXPECT_EQ(info.hbmpChecked, image_handle(11));
    EXPECT_NE(info.hbmpChecked, nullptr);
}

}  // namespace
