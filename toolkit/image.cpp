// Image library. The table of images is the one part that two threads share: the change watcher
// makes and replaces entry bitmaps while the main thread looks handles up for the menu and the
// about window. g_table_lock guards g_images and nothing else; loading, creating and releasing the
// GDI objects themselves happen outside it (except at shutdown, in free_all_images).
//
// Drawing (image output, drawing state, the default pen and brush) is for one thread at a time.

#include "toolkit/image.h"

#include <cstdlib>
#include <string>

#include "toolkit/lock.h"
#include "toolkit/numbered_table.h"
#include "toolkit/wide.h"

namespace {

struct image_record {
    HANDLE handle;  // HBITMAP or HICON; nullptr for a free number
};

// Usable from the start of the process, so that lookups are safe even before init_image_library.
critical_section g_table_lock;
numbered_table<image_record> g_images;

// The memory context made by the latest image_output, with the bitmap it displaced.
struct output_record {
    HDC dc;
    HGDIOBJ displaced;
};
output_record g_output;

struct drawing_state {
    HDC dc;  // nullptr while no drawing is in progress
    void (*release)(HDC dc);
    HGDIOBJ previous_pen;
    HGDIOBJ previous_brush;
};
drawing_state g_drawing;
HPEN g_default_pen;
HBRUSH g_default_brush;

bool bitmap_size(HBITMAP bitmap, BITMAP* info)
{
    *info = {};
    return bitmap && GetObjectA(bitmap, sizeof *info, info) == sizeof *info;
}

// Empties the record under number and hands back what it held, for release outside the lock.
HANDLE take_out(int32_t number)
{
    exclusive_lock lock(&g_table_lock);
    image_record* record = g_images.find(number);
    if (!record || !record->handle)
        return nullptr;
    HANDLE handle = record->handle;
    g_images.release(number);
    return handle;
}

// Files the new image under number. Result as load_image and create_image give it.
intptr_t file_image(int32_t number, const image_record& image)
{
    exclusive_lock lock(&g_table_lock);
    int32_t claimed = number;
    image_record* record = g_images.claim(&claimed);
    if (!record)
        return 0;
    *record = image;
    return number == dynamic_number ? claimed : reinterpret_cast<intptr_t>(image.handle);
}

void release_output(HDC dc)
{
    if (!dc || dc != g_output.dc)
        return;
    SelectObject(dc, g_output.displaced);
    DeleteDC(dc);
    g_output = {};
}

// LoadImageW as a bitmap; palette bitmaps come back as device-dependent bitmaps.
HBITMAP load_bitmap_file(const wchar_t* path)
{
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP info;
    if (!bitmap_size(bitmap, &info) || info.bmBitsPixel > 8)
        return bitmap;
    DeleteObject(bitmap);
    return static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

enum class file_kind { unreadable, bitmap, other };

// Whether a bitmap file holds everything that its headers promise. LoadImage reads the colour
// table and the pixels where the headers put them, without comparing with the file's size: a file
// cut short, as an interrupted copy leaves it, makes it read past the end of its view of the file,
// and under Wine that ends the process.
bool bitmap_file_complete(HANDLE file)
{
    constexpr DWORD file_header_size = 14;
    unsigned char head[file_header_size + 40] = {};
    LARGE_INTEGER size;
    DWORD got = 0;
    if (!GetFileSizeEx(file, &size) || !ReadFile(file, head, sizeof head, &got, nullptr) ||
        got < file_header_size + 12)
        return false;
    auto word = [&head](DWORD at) { return static_cast<uint32_t>(head[at] | head[at + 1] << 8); };
    auto dword = [&word](DWORD at) { return word(at) | word(at + 2) << 16; };
    const uint64_t file_size = static_cast<uint64_t>(size.QuadPart);
    const uint32_t header_size = dword(14);
    int64_t width = 0, height = 0;
    uint32_t bit_count = 0, compression = BI_RGB, image_size = 0, colours_used = 0, entry_size = 4;
    if (header_size == 12) {  // BITMAPCOREHEADER: words, and three bytes per colour
        width = word(18);
        height = word(20);
        bit_count = word(24);
        entry_size = 3;
    } else if (header_size >= 40 && got == sizeof head) {
        width = static_cast<int32_t>(dword(18));
        height = static_cast<int32_t>(dword(22));
        bit_count = word(28);
        compression = dword(30);
        image_size = dword(34);
        colours_used = dword(46);
    } else {
        return false;
    }
    if (height < 0)
        height = -height;  // rows stored top-down
    if (width <= 0 || height == 0 || bit_count > 32)
        return false;
    const uint64_t colours = colours_used ? colours_used : (bit_count <= 8 ? 1u << bit_count : 0);
    const uint64_t masks = (compression == BI_BITFIELDS && header_size == 40) ? 12 : 0;
    const uint64_t table_end = file_header_size + header_size + masks + colours * entry_size;
    uint64_t pixels = image_size;
    if (compression == BI_RGB || compression == BI_BITFIELDS) {
        const uint64_t row = (static_cast<uint64_t>(width) * bit_count + 31) / 32 * 4;
        if (row == 0 || static_cast<uint64_t>(height) > file_size / row)
            return false;
        pixels = row * static_cast<uint64_t>(height);
    }
    const uint64_t offset = dword(10) ? dword(10) : table_end;
    return pixels > 0 && table_end <= file_size && offset <= file_size && pixels <= file_size - offset;
}

// A Windows bitmap file starts with "BM"; anything else is taken for an icon file. A bitmap file
// that is cut short counts as unreadable.
file_kind kind_of_file(const wchar_t* path)
{
    // Others may hold the file open at the same time, a virus scanner or a thumbnail reader at logon.
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return file_kind::unreadable;
    char head[2] = {};
    DWORD got = 0;
    BOOL read = ReadFile(file, head, sizeof head, &got, nullptr);
    file_kind kind = file_kind::other;
    if (read && got == 2 && head[0] == 'B' && head[1] == 'M')
        kind = file_kind::bitmap;
    if (kind == file_kind::bitmap &&
        (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0 || !bitmap_file_complete(file)))
        kind = file_kind::unreadable;
    CloseHandle(file);
    return kind;
}

// A DIB section of 16, 24 or 32 bits per pixel, its rows stored bottom-up.
HBITMAP make_dib_section(int width, int height, int depth)
{
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = static_cast<WORD>(depth);
    format.bmiHeader.biCompression = BI_RGB;
    // DIB_RGB_COLORS without a colour table needs no device context; making a display context
    // for every entry bitmap would cost more than the bitmap itself.
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
}

bool fill_black(HBITMAP bitmap, int width, int height)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    HGDIOBJ displaced = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(dc, displaced);
    DeleteDC(dc);
    return true;
}

// GDI's boxes and blits leave the alpha of a 32-bit bitmap 0: every pixel is made opaque.
void make_opaque(HANDLE handle)
{
    DIBSECTION section;
    if (!is_bitmap(handle) || GetObjectA(handle, sizeof section, &section) != sizeof section ||
        section.dsBm.bmBitsPixel != 32 || !section.dsBm.bmBits)
        return;
    GdiFlush();  // drawing may still be queued
    auto* pixel = static_cast<uint32_t*>(section.dsBm.bmBits);
    const std::size_t count = static_cast<std::size_t>(section.dsBm.bmWidth) *
                              static_cast<std::size_t>(std::abs(section.dsBm.bmHeight));
    for (std::size_t i = 0; i < count; ++i)
        pixel[i] |= 0xFF000000u;
}

}  // namespace

void init_image_library()
{
    {
        exclusive_lock lock(&g_table_lock);
        g_images.init(16, 16);
    }
    g_output = {};
    g_drawing = {};
    if (!g_default_pen)
        g_default_pen = CreatePen(PS_SOLID, 0, rgb(0, 0, 0));
    if (!g_default_brush)
        g_default_brush = CreateSolidBrush(rgb(0, 0, 0));
}

// A relative name resolved against the current directory, whatever characters the directory's
// path holds. LoadImageW is given this full path, so that it reads the file whose first bytes were
// tested: Wine's LoadImage looks a relative name up beside the program before the current directory.
static std::wstring full_path_of(const char* path)
{
    const std::wstring name = wide_from_utf8(path);
    wchar_t buffer[MAX_PATH];
    DWORD length = GetFullPathNameW(name.c_str(), MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return name;
    return std::wstring(buffer, length);
}

intptr_t load_image(int32_t number, const char* name)
{
    free_image(number);
    if (!name)
        return 0;
    const std::wstring file = full_path_of(name);
    const wchar_t* path = file.c_str();
    file_kind kind = kind_of_file(path);
    if (kind == file_kind::unreadable)
        return 0;
    image_record image = {};
    if (kind == file_kind::bitmap) {
        // A bitmap that LoadImageW refuses is not a candidate for anything else.
        image.handle = load_bitmap_file(path);
    } else {
        image.handle = LoadImageW(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
    }
    if (!image.handle)
        return 0;
    intptr_t result = file_image(number, image);
    if (!result)
        release_image_handle(image.handle);
    return result;
}

intptr_t create_image(int32_t number, int width, int height, int depth)
{
    free_image(number);
    if (width <= 0 || height <= 0 || (depth != 16 && depth != 24 && depth != 32))
        return 0;
    HBITMAP bitmap = make_dib_section(width, height, depth);
    if (!bitmap)
        return 0;
    if (!fill_black(bitmap, width, height)) {
        DeleteObject(bitmap);
        return 0;
    }
    intptr_t result = file_image(number, {bitmap});
    if (!result)
        DeleteObject(bitmap);
    return result;
}

HANDLE image_handle(int32_t number)
{
    exclusive_lock lock(&g_table_lock);
    image_record* record = g_images.find(number);
    return record ? record->handle : nullptr;
}

void free_image(int32_t number)
{
    if (number == dynamic_number)
        return;
    release_image_handle(take_out(number));
}

HANDLE detach_image(int32_t number)
{
    if (number == dynamic_number)
        return nullptr;
    return take_out(number);
}

HANDLE move_image(int32_t from, int32_t to)
{
    if (from == dynamic_number || to == dynamic_number || from == to)
        return nullptr;
    exclusive_lock lock(&g_table_lock);
    HANDLE replaced = nullptr;
    if (image_record* old = g_images.find(to); old && old->handle) {
        replaced = old->handle;
        g_images.release(to);
    }
    image_record* source = g_images.find(from);
    if (!source || !source->handle)
        return replaced;
    const image_record moving = *source;
    g_images.release(from);
    int32_t number = to;
    if (image_record* target = g_images.claim(&number))
        *target = moving;
    else
        release_image_handle(moving.handle);  // no memory for the slot: nothing can show it
    return replaced;
}

void free_all_images()
{
    exclusive_lock lock(&g_table_lock);
    g_images.for_each_used([](const image_record& r) { return r.handle != nullptr; },
                           [](int32_t number) {
                               HANDLE handle = g_images.find(number)->handle;
                               g_images.release(number);
                               release_image_handle(handle);
                           });
}

int32_t live_image_count()
{
    exclusive_lock lock(&g_table_lock);
    int32_t count = 0;
    g_images.for_each_used([](const image_record& r) { return r.handle != nullptr; },
                           [&](int32_t) { ++count; });
    return count;
}

drawing_target image_output(int32_t number)
{
    if (g_drawing.dc && g_drawing.dc == g_output.dc)
        stop_drawing();  // the context is about to go: end the drawing on it first
    else
        release_output(g_output.dc);
    HANDLE handle = image_handle(number);
    if (!is_bitmap(handle))
        return {};
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return {};
    HGDIOBJ displaced = SelectObject(dc, handle);
    if (!displaced || displaced == HGDI_ERROR) {
        DeleteDC(dc);
        return {};
    }
    g_output = {dc, displaced};
    return {dc, release_output};
}

HDC start_drawing(const drawing_target& target)
{
    stop_drawing();
    if (!target.dc)
        return nullptr;
    g_drawing.dc = target.dc;
    g_drawing.release = target.release;
    g_drawing.previous_brush = SelectObject(target.dc, g_default_brush);
    g_drawing.previous_pen = SelectObject(target.dc, g_default_pen);
    SetTextColor(target.dc, rgb(0, 0, 0));
    return target.dc;
}

void stop_drawing()
{
    if (!g_drawing.dc)
        return;
    SelectObject(g_drawing.dc, g_drawing.previous_brush);
    SelectObject(g_drawing.dc, g_drawing.previous_pen);
    if (g_drawing.release)
        g_drawing.release(g_drawing.dc);
    g_drawing = {};
}

void draw_box(int x, int y, int width, int height, colour_value colour)
{
    HDC dc = g_drawing.dc;
    if (!dc)
        return;
    HPEN pen = CreatePen(PS_SOLID, 0, static_cast<COLORREF>(colour));
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(colour));
    HGDIOBJ displaced_pen = pen ? SelectObject(dc, pen) : nullptr;
    HGDIOBJ displaced_brush = brush ? SelectObject(dc, brush) : nullptr;
    // A one-pixel pen of the fill colour: the box covers x to x + width - 1, y to y + height - 1.
    Rectangle(dc, x, y, x + width, y + height);
    if (pen) {
        SelectObject(dc, displaced_pen);
        DeleteObject(pen);
    }
    if (brush) {
        SelectObject(dc, displaced_brush);
        DeleteObject(brush);
    }
}

void draw_image(HICON icon, int x, int y, int width, int height)
{
    if (g_drawing.dc && icon)
        DrawIconEx(g_drawing.dc, x, y, icon, width, height, 0, nullptr, DI_NORMAL);
}

void make_image_opaque(int32_t number)
{
    make_opaque(image_handle(number));
}

bool resize_image(int32_t number, int width, int height)
{
    HANDLE source = image_handle(number);
    SIZE size;
    if (!is_bitmap(source) || !image_size(source, &size) || width <= 0 || height <= 0)
        return false;
    if (size.cx == width && size.cy == height)
        return true;
    HBITMAP resized = make_dib_section(width, height, 32);
    if (!resized)
        return false;
    HDC from = CreateCompatibleDC(nullptr);
    HDC to = CreateCompatibleDC(nullptr);
    BOOL drawn = FALSE;
    if (from && to) {
        HGDIOBJ displaced_from = SelectObject(from, source);
        HGDIOBJ displaced_to = SelectObject(to, resized);
        // Averaged over the pixels each new one covers, not every n-th pixel dropped or doubled.
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        drawn = StretchBlt(to, 0, 0, width, height, from, 0, 0, size.cx, size.cy, SRCCOPY);
        SelectObject(from, displaced_from);
        SelectObject(to, displaced_to);
    }
    if (from)
        DeleteDC(from);
    if (to)
        DeleteDC(to);
    if (!drawn) {
        DeleteObject(resized);
        return false;
    }
    make_opaque(resized);
    // The image under the number is replaced, as loading it again would replace it.
    HANDLE replaced = take_out(number);
    const bool filed = file_image(number, {resized}) != 0;
    if (!filed)
        DeleteObject(resized);
    release_image_handle(replaced);
    return filed;
}


bool is_bitmap(HANDLE image)
{
    return image && GetObjectType(image) == OBJ_BITMAP;
}

bool image_size(HANDLE image, SIZE* size)
{
    BITMAP info;
    if (is_bitmap(image)) {
        if (!bitmap_size(static_cast<HBITMAP>(image), &info))
            return false;
        *size = {info.bmWidth, info.bmHeight};
        return true;
    }
    ICONINFO parts = {};
    if (!image || !GetIconInfo(static_cast<HICON>(image), &parts))
        return false;
    bool known = false;
    if (bitmap_size(parts.hbmColor, &info)) {
        *size = {info.bmWidth, info.bmHeight};
        known = true;
    } else if (bitmap_size(parts.hbmMask, &info)) {
        *size = {info.bmWidth, info.bmHeight / 2};  // monochrome: AND and XOR mask stacked
        known = true;
    }
    if (parts.hbmColor)
        DeleteObject(parts.hbmColor);
    if (parts.hbmMask)
        DeleteObject(parts.hbmMask);
    return known;
}

void release_image_handle(HANDLE image)
{
    if (!image)
        return;
    if (is_bitmap(image))
        DeleteObject(image);
    else
        DestroyIcon(static_cast<HICON>(image));
}
