// The image library: loading BMP and ICO files and blank bitmaps under numbers. Pixels are read back
// with GetDIBits. Drawing icons into a bitmap, the way the menu's pictures are made, is read back in
// tests/presentation/menu_assembly_test.cpp.

#include <gtest/gtest.h>

#include "tests/support/image_files.h"
#include "tests/support/test_support.h"
#include "toolkit/image.h"
#include "toolkit/numbered_table.h"

namespace {

constexpr COLORREF red = RGB(255, 0, 0);

class ImageLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        init_image_library();
        folder_ = test::make_temp_folder("images");
    }
    void TearDown() override
    {
        free_all_images();
        EXPECT_EQ(live_image_count(), 0);
        test::remove_tree(folder_);
    }
    std::string file(const char* name, const std::string& bytes)
    {
        EXPECT_TRUE(test::write_file(folder_ + name, bytes));
        return folder_ + name;
    }
    static HBITMAP bitmap(int32_t number) { return static_cast<HBITMAP>(image_handle(number)); }

    std::string folder_;
};

int object_size(HANDLE bitmap)  // sizeof(DIBSECTION) for a DIB section, sizeof(BITMAP) otherwise
{
    DIBSECTION section = {};
    return GetObjectA(bitmap, sizeof section, &section);
}

TEST_F(ImageLibrary, LoadsBitmapsAndIconsAlsoWhileAnotherProgramReadsThem)
{
    ASSERT_NE(load_image(10, file("true.bmp", test::bmp_bytes(20, 10, 24, red)).c_str()), 0);
    EXPECT_EQ(object_size(image_handle(10)), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_EQ(test::pixel_at(bitmap(10), 19, 9), red);
    // A palette bitmap is loaded again as a device-dependent bitmap.
    ASSERT_NE(load_image(11, file("palette.bmp", test::bmp_bytes(16, 16, 8, red)).c_str()), 0);
    EXPECT_EQ(object_size(image_handle(11)), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(test::pixel_at(bitmap(11), 0, 0), red);
    // Under a dynamic number: a counter above every fixed number that fits 32 bits.
    const intptr_t number = load_image(dynamic_number, file("logo.ico", test::ico_bytes(32, red, 4)).c_str());
    ASSERT_GE(number, first_dynamic_id);
    SIZE size = {};
    ASSERT_TRUE(image_size(image_handle(static_cast<int32_t>(number)), &size));
    EXPECT_EQ(size.cx * 100 + size.cy, 3232);

    // A picture that a virus scanner or a thumbnail reader holds open loads all the same.
    for (const std::string& path : {file("held.bmp", test::bmp_bytes(8, 8, 24, red)), folder_ + "logo.ico"}) {
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        EXPECT_NE(load_image(13, path.c_str()), 0) << path;
        CloseHandle(reader);
    }
}

TEST_F(ImageLibrary, AFailedLoadLeavesTheNumberEmpty)
{
    ASSERT_NE(create_image(12, 16, 16, 32), 0);
    HANDLE previous = image_handle(12);
    // A broken bitmap that would load as an icon: "BM" decides, it is never tried as one. A bitmap
    // cut short is refused before the system reads past its end.
    const std::string whole = test::bmp_bytes(16, 16, 24, red);
    for (const std::string& path : {file("broken.bmp", "BM" + test::ico_bytes(16, red, 4).substr(2)),
                                    file("cut.bmp", whole.substr(0, whole.size() / 2)), folder_ + "missing.bmp",
                                    file("text.ico", "no icon")}) {
        EXPECT_EQ(load_image(12, path.c_str()), 0) << path;
        EXPECT_EQ(image_handle(12), nullptr) << path;
    }
    EXPECT_EQ(GetObjectType(previous), 0u);  // the old image went all the same
    EXPECT_EQ(live_image_count(), 0);        // and no empty record stayed behind
}

}  // namespace
