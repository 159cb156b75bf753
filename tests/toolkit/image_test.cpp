// The image library: BMP and ICO files and blank bitmaps under numbers, pixels read back with
// GetDIBits; and the pictures of the Grafiken folder, which the build copies beside the tests.

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "presentation/commands.h"
#include "presentation/pictures.h"
#include "tests/support/image_files.h"
#include "tests/support/test_support.h"
#include "toolkit/image.h"
#include "toolkit/numbered_table.h"

namespace {

constexpr COLORREF red = RGB(255, 0, 0);

class ImageLibrary : public testing::Test {
protected:
    void SetUp() override { init_image_library(); folder_ = test::make_temp_folder("images"); }
    void TearDown() override
    {
        free_all_images();
        EXPECT_EQ(live_image_count(), 0);  // dynamic numbers as well
        test::remove_tree(folder_);
    }
    std::string file(const std::string& name, const std::string& bytes)
    {
        EXPECT_TRUE(test::write_file(folder_ + name, bytes));
        return folder_ + name;
    }
    std::string folder_;
};

TEST_F(ImageLibrary, LoadsBitmapsAndIconsAlsoWhileHeldOpenAndAFailedLoadLeavesTheNumberEmpty)
{
    for (const auto& [number, depth, object] : {std::tuple{10, 24, sizeof(DIBSECTION)}, {11, 8, sizeof(BITMAP)}}) {
        const std::string path = file(std::to_string(depth) + ".bmp", test::bmp_bytes(20, 10, depth, red));
        ASSERT_NE(load_image(number, path.c_str()), 0);
        DIBSECTION section = {};  // true colour stays a DIB section, a palette becomes a device-dependent bitmap
        EXPECT_EQ(GetObjectA(image_handle(number), sizeof section, &section), static_cast<int>(object)) << depth;
        EXPECT_EQ(test::pixel_at(static_cast<HBITMAP>(image_handle(number)), 19, 9), red) << depth;
    }
    const intptr_t number = load_image(dynamic_number, file("logo.ico", test::ico_bytes(32, red, 4)).c_str());
    ASSERT_TRUE(number >= first_dynamic_id && number <= INT32_MAX) << number;  // a counter above the fixed ones
    SIZE size = {};
    EXPECT_TRUE(image_size(image_handle(static_cast<int32_t>(number)), &size) && size.cx * 100 + size.cy == 3232);

    // A picture that a virus scanner or a thumbnail reader holds open loads all the same.
    for (const std::string& path : {folder_ + "24.bmp", folder_ + "logo.ico"}) {
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_TRUE(reader != INVALID_HANDLE_VALUE && load_image(13, path.c_str()) != 0) << path;
        CloseHandle(reader);
    }

    ASSERT_NE(create_image(12, 16, 16, 32), 0);
    HANDLE previous = image_handle(12);
    // A broken bitmap that would load as an icon: "BM" decides, it is never tried as one. A bitmap
    // cut short is refused before the system reads past its end.
    for (const std::string& path : {file("broken.bmp", "BM" + test::ico_bytes(16, red, 4).substr(2)),
                                    file("cut.bmp", test::bmp_bytes(16, 16, 24, red).substr(0, 400)),
                                    folder_ + "missing.bmp", file("text.ico", "no icon")})
        EXPECT_TRUE(load_image(12, path.c_str()) == 0 && image_handle(12) == nullptr) << path;
    EXPECT_TRUE(GetObjectType(previous) == 0 && live_image_count() == 4) << "the old image went, no record stayed";
}

// As the program loads them: all thirteen, the ten command pictures 16x16 and different.
TEST(Grafiken, EveryPictureLoadsAndTheCommandsShowDifferentOnes)
{
    init_image_library();
    ASSERT_TRUE(SetCurrentDirectoryA(test::exe_folder().c_str()));
    load_graphics();
    EXPECT_EQ(live_image_count(), static_cast<int>(std::size(graphics_files)));
    std::set<std::vector<COLORREF>> pictures;
    for (const fixed_command& command : fixed_commands) {
        SIZE size = {};
        EXPECT_TRUE(image_size(image_handle(command.image), &size) && size.cx * 100 + size.cy == 1616) << command.id;
        pictures.insert(test::bitmap_pixels(static_cast<HBITMAP>(image_handle(command.image))));
    }
    EXPECT_EQ(pictures.size(), std::size(fixed_commands));
}

}  // namespace
