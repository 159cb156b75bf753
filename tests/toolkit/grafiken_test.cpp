// The picture files beside the program and the application icon, loaded the way the program loads
// them: relative to the current directory, "BM" files as DIB sections, everything else as an icon.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

const char* const command_bitmaps[] = {
    "Grafiken\\Abmelden.bmp",      "Grafiken\\Ausfuehren.bmp",  "Grafiken\\Herunterfahren.bmp",
    "Grafiken\\Neustarten.bmp",    "Grafiken\\Ruhezustand.bmp", "Grafiken\\Standby.bmp",
    "Grafiken\\Suchen.bmp",        "Grafiken\\Wechseln.bmp",    "Grafiken\\Informationen.bmp",
    "Grafiken\\Beenden.bmp",
};
const char* const banner_path = "Grafiken\\Banner.bmp";
const char* const banner_icons[] = {"Grafiken\\Quarnet-Logo.ico", "Grafiken\\Velmora.ico"};
const POINT banner_icon_spots[] = {{9, 9}, {259, 9}};

// Wine shows a menu item bitmap cut to the check-mark size, keeping its top-left corner.
constexpr int menu_visible = 13;

// The build copies Grafiken\ beside the test programs, as beside the installed program.
class Grafiken : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SetCurrentDirectoryA(test::exe_folder().c_str())); }
};

HANDLE load_like_program(const char* path, UINT* type) {
    const std::string bytes = test::read_file(path);
    if (bytes.compare(0, 2, "BM") == 0) {
        *type = IMAGE_BITMAP;
        return LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    }
    *type = IMAGE_ICON;
    return LoadImageA(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
}

// A loaded bitmap's pixels, top row first, as COLORREF.
struct pixels {
    int width = 0;
    int height = 0;
    int depth = 0;
    std::vector<COLORREF> rgb;
    COLORREF at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

bool read_dib_section(HBITMAP bitmap, pixels* out) {
    DIBSECTION dib{};
    if (GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBits == nullptr) return false;
    out->width = dib.dsBm.bmWidth;
    out->height = dib.dsBm.bmHeight;
    out->depth = dib.dsBm.bmBitsPixel;
    if (out->depth != 24 && out->depth != 32) return true;
    const bool bottom_up = dib.dsBmih.biHeight > 0;
    const int bytes_per_pixel = out->depth / 8;
    const auto* bits = static_cast<const uint8_t*>(dib.dsBm.bmBits);
    out->rgb.resize(static_cast<size_t>(out->width) * out->height);
    for (int y = 0; y < out->height; ++y) {
        const uint8_t* row = bits + static_cast<size_t>(bottom_up ? out->height - 1 - y : y) * dib.dsBm.bmWidthBytes;
        for (int x = 0; x < out->width; ++x) {
            const uint8_t* p = row + x * bytes_per_pixel;
            out->rgb[static_cast<size_t>(y) * out->width + x] = RGB(p[2], p[1], p[0]);
        }
    }
    return true;
}

bool load_bitmap(const char* path, pixels* out) {
    UINT type = 0;
    auto bitmap = static_cast<HBITMAP>(load_like_program(path, &type));
    if (bitmap == nullptr) return false;
    const bool ok = type == IMAGE_BITMAP && read_dib_section(bitmap, out);
    DeleteObject(bitmap);
    return ok;
}

int channel_distance(COLORREF a, COLORREF b) {
    const int r = abs(GetRValue(a) - GetRValue(b));
    const int g = abs(GetGValue(a) - GetGValue(b));
    const int bl = abs(GetBValue(a) - GetBValue(b));
    return std::max(r, std::max(g, bl));
}

// One image of an .ico file or of an icon group: its directory data and where its bits lie.
struct icon_entry {
    int width;
    int height;
    int bit_count;
    std::string bits;  // BITMAPINFOHEADER, colour rows, mask rows
};

uint16_t word_at(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}
uint32_t dword_at(const std::string& s, size_t at) { return word_at(s, at) | uint32_t{word_at(s, at + 2)} << 16; }

std::vector<icon_entry> icon_file_entries(const std::string& file) {
    std::vector<icon_entry> entries;
    if (file.size() < 6 || word_at(file, 0) != 0 || word_at(file, 2) != 1) return entries;
    const int count = word_at(file, 4);
    for (int i = 0; i < count; ++i) {
        const size_t at = 6 + 16 * static_cast<size_t>(i);
        if (at + 16 > file.size()) return {};
        const uint32_t size = dword_at(file, at + 8);
        const uint32_t offset = dword_at(file, at + 12);
        if (offset > file.size() || size > file.size() - offset) return {};
        const int w = static_cast<uint8_t>(file[at]);
        const int h = static_cast<uint8_t>(file[at + 1]);
        entries.push_back({w == 0 ? 256 : w, h == 0 ? 256 : h, word_at(file, at + 6), file.substr(offset, size)});
    }
    return entries;
}

// The pixel (x, y) of a 32-bit icon image: is it left out by the AND mask, and its colour and alpha.
struct icon_pixel {
    bool masked;
    COLORREF colour;
    int alpha;
};
icon_pixel icon_pixel_at(const icon_entry& e, int x, int y) {
    const size_t header = dword_at(e.bits, 0);
    const size_t colour_stride = static_cast<size_t>(e.width) * 4;
    const size_t mask_stride = static_cast<size_t>((e.width + 31) / 32) * 4;
    const size_t row = static_cast<size_t>(e.height - 1 - y);
    const size_t colour = header + row * colour_stride + static_cast<size_t>(x) * 4;
    const size_t mask = header + colour_stride * e.height + row * mask_stride + x / 8;
    const auto byte = [&](size_t at) { return static_cast<uint8_t>(e.bits[at]); };
    return {(byte(mask) & (0x80 >> (x % 8))) != 0, RGB(byte(colour + 2), byte(colour + 1), byte(colour)),
            byte(colour + 3)};
}

TEST_F(Grafiken, CommandBitmapsAre16x16TrueColourWithTheSymbolInsideTheShownCorner) {
    std::set<std::vector<COLORREF>> distinct;
    for (const char* path : command_bitmaps) {
        SCOPED_TRACE(path);
        pixels p;
        ASSERT_TRUE(load_bitmap(path, &p));
        EXPECT_EQ(p.width, 16);
        EXPECT_EQ(p.height, 16);
        ASSERT_EQ(p.depth, 24);
        int drawn = 0;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                const bool shown = x < menu_visible && y < menu_visible;
                if (!shown) {
                    EXPECT_EQ(p.at(x, y), RGB(255, 255, 255)) << "at " << x << "," << y;
                } else if (p.at(x, y) != RGB(255, 255, 255)) {
                    ++drawn;
                }
            }
        }
        // A symbol, not a speck: at least a quarter of the shown square carries it.
        EXPECT_GE(drawn, menu_visible * menu_visible / 4);
        distinct.insert(p.rgb);
    }
    EXPECT_EQ(distinct.size(), std::size(command_bitmaps)) << "two commands share a picture";
}

TEST_F(Grafiken, BannerIs300x55WithCalmSquaresWhereTheIconsGo) {
    pixels p;
    ASSERT_TRUE(load_bitmap(banner_path, &p));
    EXPECT_EQ(p.width, 300);
    EXPECT_EQ(p.height, 55);
    ASSERT_EQ(p.depth, 24);
    for (const POINT& spot : banner_icon_spots) {
        SCOPED_TRACE(spot.x);
        // No text or ornament: neighbouring pixels differ by a gentle gradient at most.
        for (int y = spot.y; y < spot.y + 32; ++y) {
            for (int x = spot.x; x < spot.x + 32; ++x) {
                EXPECT_LE(channel_distance(p.at(x, y), p.at(x + 1, y)), 3) << "at " << x << "," << y;
                EXPECT_LE(channel_distance(p.at(x, y), p.at(x, y + 1)), 3) << "at " << x << "," << y;
            }
        }
    }
    // Between the squares stands the dark lettering of the name and tagline.
    int dark = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 50; x < 250; ++x) {
            const COLORREF c = p.at(x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) ++dark;
        }
    }
    EXPECT_GE(dark, 200);
}

TEST_F(Grafiken, BannerIconsHold32And16PixelImagesWithAlphaAndMask) {
    for (const char* path : banner_icons) {
        SCOPED_TRACE(path);
        const std::vector<icon_entry> entries = icon_file_entries(test::read_file(path));
        std::set<int> sizes;
        for (const icon_entry& e : entries) {
            EXPECT_EQ(e.width, e.height);
            EXPECT_EQ(e.bit_count, 32);
            sizes.insert(e.width);
        }
        EXPECT_EQ(sizes, (std::set<int>{16, 32}));

        UINT type = 0;
        auto icon = static_cast<HICON>(load_like_program(path, &type));
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(type, UINT{IMAGE_ICON});
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        ASSERT_NE(info.hbmColor, nullptr);
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        // Loaded without a size, as the program does: the 32x32 image that the banner needs.
        EXPECT_EQ(colour.bmWidth, 32);
        EXPECT_EQ(colour.bmHeight, 32);
        EXPECT_EQ(colour.bmBitsPixel, 32);
        EXPECT_NE(info.hbmMask, nullptr);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// Start-up draws both icons onto the banner; every pixel their masks leave out must stay as it was.
TEST_F(Grafiken, IconsDrawnOnTheBannerLeaveItUntouchedOutsideTheirMasks) {
    pixels banner;
    ASSERT_TRUE(load_bitmap(banner_path, &banner));
    ASSERT_EQ(banner.width, 300);
    ASSERT_EQ(banner.height, 55);

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = banner.width;
    bmi.bmiHeader.biHeight = -banner.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(canvas, nullptr);
    auto* out = static_cast<uint32_t*>(bits);
    for (int i = 0; i < banner.width * banner.height; ++i) {
        const COLORREF c = banner.rgb[static_cast<size_t>(i)];
        out[i] = uint32_t{GetBValue(c)} | uint32_t{GetGValue(c)} << 8 | uint32_t{GetRValue(c)} << 16;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, canvas);

    std::vector<icon_entry> images[2];
    for (int i = 0; i < 2; ++i) {
        auto icon = static_cast<HICON>(LoadImageA(nullptr, banner_icons[i], IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
        ASSERT_NE(icon, nullptr) << banner_icons[i];
        EXPECT_TRUE(DrawIconEx(dc, banner_icon_spots[i].x, banner_icon_spots[i].y, icon, 32, 32, 0, nullptr, DI_NORMAL));
        DestroyIcon(icon);
        images[i] = icon_file_entries(test::read_file(banner_icons[i]));
    }
    GdiFlush();

    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(banner_icons[i]);
        const icon_entry* image = nullptr;
        for (const icon_entry& e : images[i]) {
            if (e.width == 32) image = &e;
        }
        ASSERT_NE(image, nullptr);
        int kept = 0;
        int covered = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const int bx = banner_icon_spots[i].x + x;
                const int by = banner_icon_spots[i].y + y;
                const uint32_t v = out[by * banner.width + bx];
                const COLORREF drawn = RGB(v >> 16 & 0xff, v >> 8 & 0xff, v & 0xff);
                const icon_pixel source = icon_pixel_at(*image, x, y);
                // The mask and the alpha must agree, or a drawing by the mask alone shows junk.
                EXPECT_EQ(source.masked, source.alpha == 0) << "at " << x << "," << y;
                if (source.masked) {
                    EXPECT_EQ(drawn, banner.at(bx, by)) << "at " << x << "," << y;
                    ++kept;
                } else if (source.alpha == 255) {
                    EXPECT_LE(channel_distance(drawn, source.colour), 1) << "at " << x << "," << y;
                    ++covered;
                }
            }
        }
        // Round shapes: their corners stay banner, their middle is icon.
        EXPECT_GE(kept, 4);
        EXPECT_GE(covered, 32 * 32 / 2);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(canvas);
}

// The class icon of every window: icon resource 1 of Velmora.exe, the same motif as the banner's.
TEST(ApplicationIcon, ResourceOneHolds16And32And48PixelImages) {
    const std::string exe = test::exe_folder() + "Velmora.exe";
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << exe;
    HRSRC group_info = FindResourceA(module, MAKEINTRESOURCEA(1), RT_GROUP_ICON);
    ASSERT_NE(group_info, nullptr);
    const auto* group = static_cast<const uint8_t*>(LockResource(LoadResource(module, group_info)));
    ASSERT_NE(group, nullptr);
    const std::string directory(reinterpret_cast<const char*>(group), SizeofResource(module, group_info));
    ASSERT_GE(directory.size(), 6u);
    const int count = word_at(directory, 4);
    ASSERT_GE(directory.size(), 6u + 14u * count);

    const std::vector<icon_entry> banner_images = icon_file_entries(test::read_file(
        (test::exe_folder() + "Grafiken\\Velmora.ico").c_str()));
    std::set<int> sizes;
    for (int i = 0; i < count; ++i) {
        const size_t at = 6 + 14 * static_cast<size_t>(i);
        const int width = static_cast<uint8_t>(directory[at]);
        const int bit_count = word_at(directory, at + 6);
        const int id = word_at(directory, at + 12);
        SCOPED_TRACE(width);
        EXPECT_EQ(bit_count, 32);
        sizes.insert(width);

        HRSRC image_info = FindResourceA(module, MAKEINTRESOURCEA(id), RT_ICON);
        ASSERT_NE(image_info, nullptr);
        auto* image = static_cast<BYTE*>(LockResource(LoadResource(module, image_info)));
        const DWORD size = SizeofResource(module, image_info);
        ASSERT_NE(image, nullptr);
        HICON icon = CreateIconFromResourceEx(image, size, TRUE, 0x00030000, width, width, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, width);
        EXPECT_EQ(colour.bmHeight, width);
        EXPECT_NE(info.hbmMask, nullptr);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);

        for (const icon_entry& e : banner_images) {
            if (e.width == width) {
                EXPECT_TRUE(e.bits == std::string(reinterpret_cast<const char*>(image), size))
                    << "the program's icon and Grafiken\\Velmora.ico differ at " << width << " pixels";
            }
        }
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
    FreeLibrary(module);
}

}  // namespace
