// The picture files beside the program and the application icon: sizes, depths and what the menu
// and the banner show of them. The build copies Grafiken\ beside the test programs.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

const char* const command_bitmaps[] = {
    "Abmelden.bmp", "Ausfuehren.bmp", "Herunterfahren.bmp", "Neustarten.bmp",    "Ruhezustand.bmp",
    "Standby.bmp",  "Suchen.bmp",     "Wechseln.bmp",       "Informationen.bmp", "Beenden.bmp",
};
const char* const banner_icons[] = {"Quarnet-Logo.ico", "Velmora.ico"};
constexpr int menu_visible = 13;       // Wine cuts a menu item bitmap to the check-mark size

std::string grafiken(const char* name)
{
    return test::exe_folder() + "Grafiken\\" + name;
}

// A 24-bit bitmap file loaded as the program loads it, its pixels top row first.
struct pixels {
    int width = 0, height = 0, depth = 0;
    std::vector<COLORREF> rgb;
    COLORREF at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
pixels load_bitmap(const char* name)
{
    pixels p;
    HANDLE bitmap = LoadImageA(nullptr, grafiken(name).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    DIBSECTION dib{};
    if (bitmap && GetObjectA(bitmap, sizeof dib, &dib) == sizeof dib && dib.dsBm.bmBitsPixel == 24) {
        p = {dib.dsBm.bmWidth, dib.dsBm.bmHeight, 24, {}};
        for (int y = 0; y < p.height; ++y) {
            const auto* row = static_cast<const uint8_t*>(dib.dsBm.bmBits) +
                              static_cast<size_t>(dib.dsBmih.biHeight > 0 ? p.height - 1 - y : y) * dib.dsBm.bmWidthBytes;
            for (int x = 0; x < p.width; ++x)
                p.rgb.push_back(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
        }
    }
    DeleteObject(bitmap);
    return p;
}

uint32_t little_endian(const std::string& s, size_t at, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(s[at + i]);
    return value;
}

// The images of an .ico file: width (= height), bit count and bits (header, colour rows, mask rows).
struct icon_image {
    int width;
    int bit_count;
    std::string bits;
};
std::vector<icon_image> icon_file_images(const std::string& file)
{
    std::vector<icon_image> images;
    for (size_t i = 0; file.size() >= 6 && i < little_endian(file, 4, 2); ++i) {
        const size_t at = 6 + 16 * i;
        const uint32_t size = little_endian(file, at + 8, 4), offset = little_endian(file, at + 12, 4);
        if (at + 16 > file.size() || offset > file.size() || size > file.size() - offset)
            return {};
        EXPECT_EQ(file[at], file[at + 1]) << "a square image";
        images.push_back({static_cast<uint8_t>(file[at]), static_cast<int>(little_endian(file, at + 6, 2)),
                          file.substr(offset, size)});
    }
    return images;
}

TEST(Grafiken, CommandBitmapsAre16x16WithDistinctSymbolsInsideTheShownCorner)
{
    std::set<std::vector<COLORREF>> distinct;
    for (const char* name : command_bitmaps) {
        SCOPED_TRACE(name);
        pixels p = load_bitmap(name);
        ASSERT_EQ(p.width * 100 + p.height, 1616) << "16x16 at 24 bits";
        int drawn = 0, outside = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                (x < menu_visible && y < menu_visible ? drawn : outside) += p.at(x, y) != RGB(255, 255, 255);
        EXPECT_EQ(outside, 0) << "the menu would cut it off";
        EXPECT_GE(drawn, menu_visible * menu_visible / 4) << "a symbol, not a speck";
        distinct.insert(p.rgb);
    }
    EXPECT_EQ(distinct.size(), std::size(command_bitmaps)) << "two commands share a picture";
}

// The banner's icons: 16 and 32 pixels at 32 bits; loaded without a size, as the program does, the
// 32-pixel image. Where the mask leaves a pixel out its alpha is 0 and the reverse, or a drawing by
// the mask alone shows junk on the banner.
TEST(Grafiken, BannerIconsHold32And16PixelImagesWhoseMaskAgreesWithTheirAlpha)
{
    for (const char* name : banner_icons) {
        SCOPED_TRACE(name);
        std::set<int> sizes;
        for (const icon_image& image : icon_file_images(test::read_file(grafiken(name)))) {
            EXPECT_EQ(image.bit_count, 32);
            sizes.insert(image.width);
            const int w = image.width;
            const size_t header = little_endian(image.bits, 0, 4), mask_stride = (w + 31) / 32 * 4;
            int masked = 0;
            for (int y = 0; y < w; ++y) {
                for (int x = 0; x < w; ++x) {
                    const size_t row = static_cast<size_t>(w - 1 - y);
                    const uint8_t alpha = image.bits[header + (row * w + x) * 4 + 3];
                    const bool out = image.bits[header + w * w * 4 + row * mask_stride + x / 8] & (0x80 >> (x % 8));
                    ASSERT_EQ(out, alpha == 0) << w << " pixels at " << x << "," << y;
                    masked += out;
                }
            }
            EXPECT_GE(masked, 4) << "round shapes: the corners are left out";
            EXPECT_LE(masked, w * w / 2) << "the middle is icon";
        }
        EXPECT_EQ(sizes, (std::set<int>{16, 32}));
        auto icon = static_cast<HICON>(LoadImageA(nullptr, grafiken(name).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
        ICONINFO info{};
        ASSERT_TRUE(icon && GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth * 100 + colour.bmHeight, 3232);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// The class icon of every window: icon resource 1 of Velmora.exe.
TEST(ApplicationIcon, ResourceOneHolds16And32And48PixelImages)
{
    HMODULE module = LoadLibraryExA((test::exe_folder() + "Velmora.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC group_info = FindResourceA(module, MAKEINTRESOURCEA(1), RT_GROUP_ICON);
    ASSERT_NE(group_info, nullptr);
    const std::string group(static_cast<const char*>(LockResource(LoadResource(module, group_info))),
                            SizeofResource(module, group_info));
    std::set<int> sizes;
    for (size_t i = 0; group.size() >= 6 && i < little_endian(group, 4, 2) && 6 + 14 * i + 14 <= group.size(); ++i) {
        const size_t at = 6 + 14 * i;
        const int width = static_cast<uint8_t>(group[at]);
        SCOPED_TRACE(width);
        EXPECT_EQ(little_endian(group, at + 6, 2), 32u);
        sizes.insert(width);
        HRSRC image_info = FindResourceA(module, MAKEINTRESOURCEA(little_endian(group, at + 12, 2)), RT_ICON);
        ASSERT_NE(image_info, nullptr);
        const std::string image(static_cast<const char*>(LockResource(LoadResource(module, image_info))),
                                SizeofResource(module, image_info));
        HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(const_cast<char*>(image.data())),
                                              static_cast<DWORD>(image.size()), TRUE, 0x00030000, width, width, 0);
        EXPECT_NE(icon, nullptr) << "the image is a valid icon";
        DestroyIcon(icon);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
    FreeLibrary(module);
}

}  // namespace
