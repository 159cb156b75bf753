#pragma once
// Picture files made by the tests themselves (BMP and ICO bytes), and the pixels of a bitmap.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test {

template <typename T>
inline std::string bytes_of(const T& value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

inline BITMAPINFOHEADER info_header(int width, int height, int depth)  // height > 0: rows bottom-up
{
    return {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(depth), BI_RGB, 0, 0, 0,
            depth == 8 ? 256u : 0u, 0};
}

inline std::string bgr(COLORREF colour)
{
    return {static_cast<char>(GetBValue(colour)), static_cast<char>(GetGValue(colour)),
            static_cast<char>(GetRValue(colour))};
}

// A BMP file of width x height pixels, all in colour. depth 24, or 8 with a 256-entry palette
// whose entry 0 is colour.
inline std::string bmp_bytes(int width, int height, int depth, COLORREF colour)
{
    std::string palette, row, pixels;
    for (int i = 0; depth == 8 && i < 256; ++i)
        palette += bgr(i == 0 ? colour : RGB(i, i, i)) + '\0';
    for (int x = 0; x < width; ++x)
        row += depth == 8 ? std::string(1, '\0') : bgr(colour);
    row.resize(static_cast<size_t>((width * depth + 31) / 32 * 4), '\0');
    for (int y = 0; y < height; ++y)
        pixels += row;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = static_cast<DWORD>(sizeof file + sizeof(BITMAPINFOHEADER) + palette.size());
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    return bytes_of(file) + bytes_of(info_header(width, height, depth)) + palette + pixels;
}

// A 32-bit ICO file of size x size pixels: a square of colour with a transparent border of
// margin pixels (masked out and with alpha 0).
inline std::string ico_bytes(int size, COLORREF colour, int margin)
{
    auto inside = [&](int x, int y) { return x >= margin && y >= margin && x < size - margin && y < size - margin; };
    std::string image = bytes_of(info_header(size, size * 2, 32));  // colour and mask halves
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x)
            image += inside(x, y) ? bgr(colour) + '\xFF' : std::string(4, '\0');
    for (int y = size - 1; y >= 0; --y) {
        std::string mask(static_cast<size_t>((size + 31) / 32 * 4), '\0');
        for (int x = 0; x < size; ++x)
            mask[static_cast<size_t>(x / 8)] |= static_cast<char>(inside(x, y) ? 0 : 0x80 >> (x % 8));
        image += mask;
    }
#pragma pack(push, 2)
    struct {
        WORD reserved, type, count;
        BYTE width, height, colours, reserved2;
        WORD planes, depth;
        DWORD bytes, offset;
    } directory = {0, 1, 1, static_cast<BYTE>(size), static_cast<BYTE>(size), 0, 0, 1, 32,
                   static_cast<DWORD>(image.size()), 22};
#pragma pack(pop)
    return bytes_of(directory) + image;
}

// Every pixel of a bitmap, row by row from the top, as COLORREF values (alpha dropped).
inline std::vector<COLORREF> bitmap_pixels(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return {};
    BITMAPINFO format = {};
    format.bmiHeader = info_header(info.bmWidth, -info.bmHeight, 32);  // top-down
    std::vector<uint32_t> raw(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), raw.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    std::vector<COLORREF> pixels;
    for (uint32_t bgra : raw)
        pixels.push_back(RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF));
    return rows == info.bmHeight ? pixels : std::vector<COLORREF>{};
}

inline COLORREF pixel_at(HBITMAP bitmap, int x, int y)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    const std::vector<COLORREF> pixels = bitmap_pixels(bitmap);
    const size_t index = static_cast<size_t>(y * info.bmWidth + x);
    return index < pixels.size() ? pixels[index] : CLR_INVALID;
}

// Whether every pixel of a 32-bit DIB section is fully opaque (alpha 255).
inline bool opaque(HBITMAP bitmap)
{
    DIBSECTION section = {};
    if (GetObjectA(bitmap, sizeof section, &section) != sizeof section || section.dsBm.bmBitsPixel != 32)
        return false;
    GdiFlush();
    const auto* pixel = static_cast<const uint32_t*>(section.dsBm.bmBits);
    for (int i = 0; i < section.dsBm.bmWidth * section.dsBm.bmHeight; ++i)
        if (pixel[i] >> 24 != 0xFF)
            return false;
    return true;
}

// The picture that an icon drawn over white gives at the system's small-icon size, the size of
// the menu's pictures, made independently of the program.
inline std::vector<COLORREF> icon_on_white(HICON icon)
{
    const int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
    BITMAPINFO format = {};
    format.bmiHeader = info_header(width, height, 32);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    SelectObject(dc, old);
    DeleteDC(dc);
    const std::vector<COLORREF> pixels = bitmap_pixels(bitmap);
    DeleteObject(bitmap);
    return pixels;
}

}  // namespace test
