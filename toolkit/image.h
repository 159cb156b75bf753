#pragma once
// Image library: bitmaps and icons under numbers (loaded from BMP and ICO files or created blank),
// and off-screen drawing into a bitmap: boxes in a colour, and icons scaled into a rectangle. The image table is guarded by a lock, so one thread may look up handles while another
// creates images; drawing itself is process-wide and for one thread at a time.

#include <windows.h>

#include <cstdint>

#include "toolkit/colour.h"

// What image_output hands to start_drawing; dc nullptr means no target.
struct drawing_target {
    HDC dc;
    void (*release)(HDC dc);
};

void init_image_library();  // table (16 slots), drawing state, default black pen and brush

// A file that begins with "BM" loads as a bitmap, any other as an icon; path is UTF-8, relative to
// the current directory or absolute. Result: the system handle, or for dynamic_number the new
// number; 0 on failure.
intptr_t load_image(int32_t number, const char* path);
intptr_t create_image(int32_t number, int width, int height, int depth);

HANDLE image_handle(int32_t number);  // HBITMAP or HICON; nullptr for a free number
void free_image(int32_t number);      // dynamic_number itself is ignored
// Takes the image out of the table without releasing it; the caller releases the handle later.
HANDLE detach_image(int32_t number);
// Moves the image under from to the number to. The image that to held is taken out of the table
// and handed back, for the caller to release; nullptr for none.
HANDLE move_image(int32_t from, int32_t to);
void free_all_images();
int32_t live_image_count();

drawing_target image_output(int32_t number);
HDC start_drawing(const drawing_target& target);
void stop_drawing();
void draw_box(int x, int y, int width, int height, colour_value colour);
// Draws the icon through its mask: the pixels around it keep what was there.
void draw_image(HICON icon, int x, int y, int width, int height);
// Sets the alpha of every pixel of a 32-bit image to opaque. GDI's boxes and blits leave it 0,
// and a menu that blends 32-bit item bitmaps by their alpha would show such pixels not at all.
void make_image_opaque(int32_t number);
// Replaces the bitmap under number by a copy stretched smoothly to width x height, 32 bits per
// pixel and opaque; nothing changes when it has that size already. false when it is no bitmap or
// the copy cannot be made (the image then stays as it was).
bool resize_image(int32_t number, int width, int height);

// Releases a bare bitmap or icon handle (as free_image does for a numbered one).
void release_image_handle(HANDLE image);

bool is_bitmap(HANDLE image);  // anything else is taken for an icon
// The size of a bitmap, or of an icon's picture; false when the handle gives none.
bool image_size(HANDLE image, SIZE* size);
