#pragma once
// Picture files made by the tests themselves (BMP and ICO bytes), and the pixels of a bitmap.

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// A BMP file of width x height pixels, all in colour. depth 24, or 8 with a 256-entry palette
// whose entry 0 is colour.
std::string bmp_bytes(int width, int height, int depth, COLORREF colour);

// A 32-bit ICO file of size x size pixels: a square of colour with a transparent border of
// margin pixels (masked out and with alpha 0).
std::string ico_bytes(int size, COLORREF colour, int margin);

// Every pixel of a bitmap, row by row from the top, as COLORREF values (alpha dropped).
std::vector<COLORREF> bitmap_pixels(HBITMAP bitmap);
COLORREF pixel_at(HBITMAP bitmap, int x, int y);
// Whether every pixel of a 32-bit DIB section is fully opaque (alpha 255).
bool opaque(HBITMAP bitmap);

// The 16x16 picture that an icon drawn over white gives, made independently of the program.
std::vector<COLORREF> icon_on_white(HICON icon);

}  // namespace test
