// The image library: loading BMP and ICO files, blank bitmaps, the table under numbers and
// drawing boxes, bitmaps and icons into a bitmap. Pixels are read back with GetDIBits.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/image_files.h"
#include "tests/support/test_support.h"
#include "toolkit/image.h"
#include "toolkit/numbered_table.h"

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF red = RGB(255, 0, 0);

class ImageLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        init_image_library();
        folder_ = test::make_temp_folder("images");
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override
    {
        stop_drawing();
        free_all_images();
        test::remove_tree(folder_);
    }
    std::string file(const char* name, const std::string& bytes)
    {
        std::string path = folder_ + name;
        EXPECT_TRUE(test::write_file(path, bytes));
        return path;
    }
    static HBITMAP bitmap_of(int32_t number) { return static_cast<HBITMAP>(image_handle(number)); }

    std::string folder_;
};

int dib_section_size(HANDLE bitmap)
{
    DIBSECTION section = {};
    return GetObjectA(bitmap, sizeof section, &section);
}

bool all_pixels(HBITMAP bitmap, COLORREF colour)
{
    std::vector<COLORREF> pixels = test::bitmap_pixels(bitmap);
    if (pixels.empty())
        return false;
    for (COLORREF pixel : pixels)
        if (pixel != colour)
            return false;
    return true;
}

TEST_F(ImageLibrary, LoadsBitmapsAsDibSectionsAndPaletteBitmapsAsDeviceBitmaps)
{
    intptr_t handle = load_image(10, file("true.bmp", test::bmp_bytes(20, 10, 24, red)).c_str(), 0);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(reinterpret_cast<HANDLE>(handle), image_handle(10));
    EXPECT_EQ(dib_section_size(image_handle(10)), static_cast<int>(sizeof(DIBSECTION)));
    image_info info = {};
    ASSERT_TRUE(image_details(10, &info));
    EXPECT_EQ(info.width, 20);
    EXPECT_EQ(info.height, 10);
    EXPECT_EQ(info.depth, 24);
    EXPECT_EQ(test::pixel_at(bitmap_of(10), 19, 9), red);

    ASSERT_NE(load_image(11, file("palette.bmp", test::bmp_bytes(16, 16, 8, red)).c_str(), 0), 0);
    EXPECT_EQ(dib_section_size(image_handle(11)), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(test::pixel_at(bitmap_of(11), 0, 0), red);
}

TEST_F(ImageLibrary, LoadsIconFilesWithTheirSize)
{
    ASSERT_NE(load_image(21, file("logo.ico", test::ico_bytes(32, red, 4)).c_str(), 0), 0);
    EXPECT_NE(GetObjectType(image_handle(21)), static_cast<DWORD>(OBJ_BITMAP));
    ICONINFO parts = {};
    ASSERT_TRUE(GetIconInfo(static_cast<HICON>(image_handle(21)), &parts));
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    image_info info = {};
    ASSERT_TRUE(image_details(21, &info));
    EXPECT_EQ(info.width, 32);
    EXPECT_EQ(info.height, 32);
    EXPECT_EQ(info.depth, 32);
}

TEST_F(ImageLibrary, AFailedLoadLeavesTheNumberEmpty)
{
    ASSERT_NE(create_image(12, 16, 16, 32), 0);
    HANDLE previous = image_handle(12);

    // "BM" decides: a broken bitmap is not tried as an icon.
    std::string broken = file("broken.bmp", "BM" + std::string(60, 'x'));
    EXPECT_EQ(load_image(12, broken.c_str(), 0), 0);
    EXPECT_EQ(image_handle(12), nullptr);
    EXPECT_EQ(GetObjectType(previous), 0u);  // the old image went all the same

    const std::string cases[] = {
        folder_ + "missing.bmp",
        file("empty.ico", ""),
        file("one_byte.bmp", "B"),
        file("text.ico", "not an icon at all"),
    };
    for (const std::string& path : cases) {
        EXPECT_EQ(load_image(12, path.c_str(), 0), 0) << path;
        EXPECT_EQ(image_handle(12), nullptr) << path;
    }
    EXPECT_EQ(load_image(dynamic_number, broken.c_str(), 0), 0);
    EXPECT_EQ(live_image_count(), 0);  // no empty record was left behind
}

TEST_F(ImageLibrary, CreatesBlackBitmapsAndReplacesTheOldOneUnderTheNumber)
{
    intptr_t first = create_image(1, 16, 16, 32);
    ASSERT_NE(first, 0);
    EXPECT_EQ(dib_section_size(image_handle(1)), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_TRUE(all_pixels(bitmap_of(1), black));
    image_info info = {};
    ASSERT_TRUE(image_details(1, &info));
    EXPECT_EQ(info.depth, 32);
    EXPECT_EQ(info.flags, 0u);

    ASSERT_NE(create_image(1, 16, 16, 32), 0);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HANDLE>(first)), 0u);
    EXPECT_EQ(live_image_count(), 1);

    // Palette depths get a palette of their own, black included.
    ASSERT_NE(create_image(2, 8, 8, 8), 0);
    EXPECT_TRUE(all_pixels(bitmap_of(2), black));
    EXPECT_EQ(create_image(3, 0, 16, 32), 0);
    EXPECT_EQ(create_image(3, 16, 16, 7), 0);
    EXPECT_EQ(image_handle(3), nullptr);
}

TEST_F(ImageLibrary, DynamicNumbersDetachAndFreeAll)
{
    intptr_t a = create_image(dynamic_number, 16, 16, 32);
    intptr_t b = create_image(dynamic_number, 16, 16, 32);
    ASSERT_GE(a, first_dynamic_id);
    ASSERT_GE(b, first_dynamic_id);
    EXPECT_NE(a, b);
    EXPECT_EQ(live_image_count(), 2);

    free_image(dynamic_number);  // ignored
    EXPECT_EQ(live_image_count(), 2);

    HANDLE kept = detach_image(static_cast<int32_t>(a));
    EXPECT_EQ(image_handle(static_cast<int32_t>(a)), nullptr);
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BITMAP));  // still alive, now the caller's
    release_image_handle(kept);
    EXPECT_EQ(GetObjectType(kept), 0u);

    HANDLE last = image_handle(static_cast<int32_t>(b));
    ASSERT_NE(load_image(40, file("i.ico", test::ico_bytes(16, red, 2)).c_str(), 0), 0);
    free_all_images();
    EXPECT_EQ(live_image_count(), 0);
    EXPECT_EQ(GetObjectType(last), 0u);
    EXPECT_EQ(image_handle(40), nullptr);
}

TEST_F(ImageLibrary, BoxesFillExactlyTheirPixels)
{
    ASSERT_NE(create_image(1, 16, 16, 32), 0);
    ASSERT_NE(start_drawing(image_output(1)), nullptr);
    draw_box(0, 0, 16, 16, rgb(255, 255, 255));
    stop_drawing();
    EXPECT_TRUE(all_pixels(bitmap_of(1), white));

    ASSERT_NE(start_drawing(image_output(1)), nullptr);
    draw_box(2, 3, 4, 5, rgb(0, 0, 0));    // the front colour: the default pen and brush
    draw_box(10, 10, 1, 1, rgb(255, 0, 0));  // one pixel
    stop_drawing();
    std::vector<COLORREF> pixels = test::bitmap_pixels(bitmap_of(1));
    ASSERT_EQ(pixels.size(), 256u);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            COLORREF expected = white;
            if (x >= 2 && x < 6 && y >= 3 && y < 8)
                expected = black;
            if (x == 10 && y == 10)
                expected = red;
            EXPECT_EQ(pixels[static_cast<size_t>(y * 16 + x)], expected) << x << "," << y;
        }
    }
}

TEST_F(ImageLibrary, DrawsIconsThroughTheirMaskAndBitmapsScaled)
{
    ASSERT_NE(load_image(21, file("i.ico", test::ico_bytes(16, red, 4)).c_str(), 0), 0);
    ASSERT_NE(load_image(10, file("b.bmp", test::bmp_bytes(2, 2, 24, RGB(0, 0, 255))).c_str(), 0), 0);
    ASSERT_NE(create_image(1, 16, 16, 32), 0);
    ASSERT_NE(create_image(2, 16, 16, 32), 0);

    ASSERT_NE(start_drawing(image_output(1)), nullptr);
    draw_box(0, 0, 16, 16, rgb(255, 255, 255));
    draw_image(image_handle(21), 0, 0, 16, 16);
    stop_drawing();
    std::vector<COLORREF> pixels = test::bitmap_pixels(bitmap_of(1));
    ASSERT_EQ(pixels.size(), 256u);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool inside = x >= 4 && x < 12 && y >= 4 && y < 12;
            EXPECT_EQ(pixels[static_cast<size_t>(y * 16 + x)], inside ? red : white) << x << "," << y;
        }

    ASSERT_NE(start_drawing(image_output(2)), nullptr);
    draw_image(image_handle(10), 0, 0, 16, 16);  // stretched
    draw_image(image_handle(10), 14, 0, 0, 0);   // its own size
    draw_image(nullptr, 0, 0, 16, 16);           // nothing
    stop_drawing();
    EXPECT_TRUE(all_pixels(bitmap_of(2), RGB(0, 0, 255)));
}

TEST_F(ImageLibrary, NoTargetMeansNoDrawing)
{
    ASSERT_NE(load_image(21, file("i.ico", test::ico_bytes(16, red, 0)).c_str(), 0), 0);
    EXPECT_EQ(image_output(21).kind, 0);  // an icon is no drawing target
    EXPECT_EQ(image_output(99).kind, 0);
    EXPECT_EQ(start_drawing(image_output(99)), nullptr);
    draw_box(0, 0, 16, 16, rgb(255, 255, 255));
    draw_image(image_handle(21), 0, 0, 16, 16);
    stop_drawing();

    // A target taken but never drawn on is let go by the next one, so its bitmap can be freed.
    ASSERT_NE(create_image(1, 16, 16, 32), 0);
    ASSERT_NE(create_image(2, 16, 16, 32), 0);
    HANDLE first = image_handle(1);
    EXPECT_NE(image_output(1).kind, 0);
    ASSERT_NE(start_drawing(image_output(2)), nullptr);
    stop_drawing();
    free_image(1);
    EXPECT_EQ(GetObjectType(first), 0u);
}

TEST_F(ImageLibrary, LookupsAreSafeWhileAnotherThreadFillsTheTable)
{
    ASSERT_NE(create_image(5, 16, 16, 32), 0);
    HANDLE fixed = image_handle(5);
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::thread reader([&] {
        while (!done.load())
            if (image_handle(5) != fixed)
                ++wrong;
    });
    // Growing the array and the dynamic records while the reader looks up number 5.
    for (int32_t i = 0; i < 300; ++i) {
        create_image(100 + i * 16, 1, 1, 32);
        intptr_t n = create_image(dynamic_number, 1, 1, 32);
        if (i % 2)
            free_image(static_cast<int32_t>(n));
    }
    done.store(true);
    reader.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(live_image_count(), 1 + 300 + 150);
}

}  // namespace
