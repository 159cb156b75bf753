#pragma once
// Where the start menu opens: the top-left corner for the taskbar's edge and the Start button's
// rectangle.

#include <cstdint>

constexpr int menu_offset = 30;  // below the button's top edge when the taskbar is left or top

struct screen_rect {
    int32_t left, top, right, bottom;
};

struct menu_position {
    bool show;  // false for an edge that is none of left, top, right, bottom
    int32_t x;
    int32_t y;
};

// edge: 0 left, 1 top, 2 right, 3 bottom.
menu_position menu_position_for(uint32_t edge, const screen_rect& button);
