#include "tests/support/image_files.h"

#include <cstdint>

namespace test {

namespace {

void put16(std::string* bytes, uint16_t value)
{
    bytes->push_back(static_cast<char>(value & 0xFF));
    bytes->push_back(static_cast<char>(value >> 8));
}

void put32(std::string* bytes, uint32_t value)
{
    put16(bytes, static_cast<uint16_t>(value & 0xFFFF));
    put16(bytes, static_cast<uint16_t>(value >> 16));
}

void put_info_header(std::string* bytes, int width, int height, int depth, uint32_t colours)
{
    put32(bytes, 40);
    put32(bytes, static_cast<uint32_t>(width));
    put32(bytes, static_cast<uint32_t>(height));
    put16(bytes, 1);
    put16(bytes, static_cast<uint16_t>(depth));
    put32(bytes, 0);  // BI_RGB
    put32(bytes, 0);
    put32(bytes, 2835);
    put32(bytes, 2835);
    put32(bytes, colours);
    put32(bytes, 0);
}

void put_bgr(std::string* bytes, COLORREF colour)
{
    bytes->push_back(static_cast<char>(GetBValue(colour)));
    bytes->push_back(static_cast<char>(GetGValue(colour)));
    bytes->push_back(static_cast<char>(GetRValue(colour)));
}

}  // namespace

std::string bmp_bytes(int width, int height, int depth, COLORREF colour)
{
    std::string pixels;
    std::string palette;
    int row_bytes = ((width * depth + 31) / 32) * 4;
    if (depth == 8) {
        for (int i = 0; i < 256; ++i) {
            put_bgr(&palette, i == 0 ? colour : RGB(i, i, i));
            palette.push_back(0);
        }
    }
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            if (depth == 8)
                row.push_back(0);
            else
                put_bgr(&row, colour);
        }
        row.resize(static_cast<size_t>(row_bytes), '\0');
        pixels += row;
    }
    std::string bytes = "BM";
    uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size());
    put32(&bytes, offset + static_cast<uint32_t>(pixels.size()));
    put32(&bytes, 0);
    put32(&bytes, offset);
    put_info_header(&bytes, width, height, depth, depth == 8 ? 256 : 0);
    return bytes + palette + pixels;
}

std::string ico_bytes(int size, COLORREF colour, int margin)
{
    auto inside = [&](int x, int y) {
        return x >= margin && y >= margin && x < size - margin && y < size - margin;
    };
    std::string image;
    put_info_header(&image, size, size * 2, 32, 0);
    for (int y = size - 1; y >= 0; --y) {  // bottom-up
        for (int x = 0; x < size; ++x) {
            if (inside(x, y)) {
                put_bgr(&image, colour);
                image.push_back(static_cast<char>(0xFF));
            } else {
                image.append(4, '\0');
            }
        }
    }
    int mask_row = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::string row(static_cast<size_t>(mask_row), '\0');
        for (int x = 0; x < size; ++x)
            if (!inside(x, y))
                row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        image += row;
    }
    std::string bytes;
    put16(&bytes, 0);
    put16(&bytes, 1);  // icon
    put16(&bytes, 1);  // one image
    bytes.push_back(static_cast<char>(size));
    bytes.push_back(static_cast<char>(size));
    bytes.push_back(0);
    bytes.push_back(0);
    put16(&bytes, 1);
    put16(&bytes, 32);
    put32(&bytes, static_cast<uint32_t>(image.size()));
    put32(&bytes, 22);
    return bytes + image;
}

std::vector<COLORREF> bitmap_pixels(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return {};
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;  // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> raw(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
    HDC dc = GetDC(nullptr);
    int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), raw.data(), &format,
                         DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != info.bmHeight)
        return {};
    std::vector<COLORREF> pixels;
    pixels.reserve(raw.size());
    for (uint32_t bgra : raw)
        pixels.push_back(RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF));
    return pixels;
}

COLORREF pixel_at(HBITMAP bitmap, int x, int y)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    std::vector<COLORREF> pixels = bitmap_pixels(bitmap);
    size_t index = static_cast<size_t>(y) * static_cast<size_t>(info.bmWidth) + static_cast<size_t>(x);
    return index < pixels.size() ? pixels[index] : CLR_INVALID;
}

std::vector<COLORREF> icon_on_white(HICON icon)
{
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = 16;
    format.bmiHeader.biHeight = 16;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    SelectObject(dc, old);
    DeleteDC(dc);
    std::vector<COLORREF> pixels = bitmap_pixels(bitmap);
    DeleteObject(bitmap);
    return pixels;
}

}  // namespace test
