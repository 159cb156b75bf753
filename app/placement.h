#pragma once
// Where the start menu opens: the top-left corner for the taskbar's edge and the Start button's
// rectangle.

#include <cstdint>

// Below the button's top edge when the taskbar is left or top, at 96 DPI; it grows with the DPI.
constexpr int menu_offset = 30;

struct screen_rect {
    int32_t left, top, right, bottom;
};

struct menu_position {
    bool show;  // false for an edge that is none of left, top, right, bottom
    int32_t x;
    int32_t y;
    // The menu hangs from (x, y) to the right and down, or with these set to the left and up:
    // (x, y) is then its right or bottom edge.
    bool opens_left;
    bool opens_up;
};

// edge: 0 left, 1 top, 2 right, 3 bottom. On a taskbar at the right or the bottom the button sits
// at the screen's edge, where the menu cannot hang right or down from the button's corner: it
// opens left or up from there, as Windows shows a menu that does not fit, and stays clear of the
// button, which closes it on a second press. (Left to the system, a menu may instead be pushed
// back onto the screen over the button.) dpi: the screen's, by which the offset grows.
menu_position menu_position_for(uint32_t edge, const screen_rect& button, int dpi);
