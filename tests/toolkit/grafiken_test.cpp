// What the program ships beside and inside Velmora.exe: the pictures of its Grafiken folder, which
// the build copies beside the test programs, and its application icon.

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <vector>

#include "presentation/commands.h"
#include "presentation/item_bitmaps.h"
#include "tests/support/image_files.h"
#include "tests/support/test_support.h"
#include "toolkit/image.h"

namespace {

// All thirteen load as the program loads them; the ten command pictures are 16x16 and differ.
TEST(Grafiken, EveryPictureLoadsAndTheCommandsShowDifferentOnes)
{
    init_image_library();
    ASSERT_TRUE(SetCurrentDirectoryA(test::exe_folder().c_str()));
    load_graphics();
    std::set<std::vector<COLORREF>> pictures;
    for (const graphics_file& file : graphics_files)
        EXPECT_NE(image_handle(file.image), nullptr) << file.path;
    for (const fixed_command& command : fixed_commands) {
        SIZE size = {};
        ASSERT_TRUE(image_size(image_handle(command.image), &size)) << command.caption;
        EXPECT_EQ(size.cx * 100 + size.cy, 1616) << command.caption;
        pictures.insert(test::bitmap_pixels(static_cast<HBITMAP>(image_handle(command.image))));
    }
    EXPECT_EQ(pictures.size(), std::size(fixed_commands));
    free_all_images();
}

// Icon resource 1, the class icon of every window, holds images of the three sizes Windows asks for.
TEST(ApplicationIcon, ResourceOneHolds16And32And48PixelImages)
{
    HMODULE module = LoadLibraryExA((test::exe_folder() + "Velmora.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    // A group directory: 6 bytes of header, the count at byte 4, then 14 bytes per image, width first.
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module, group)));
    std::set<int> sizes;
    for (int i = 0; i < (bytes[4] | bytes[5] << 8); ++i)
        sizes.insert(bytes[6 + 14 * i]);
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
    FreeLibrary(module);
}

}  // namespace
