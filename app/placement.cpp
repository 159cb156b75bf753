#include "app/placement.h"

#include "toolkit/dpi.h"

menu_position menu_position_for(uint32_t edge, const screen_rect& button, int dpi)
{
    switch (edge) {
    case 0:  // left
    case 1:  // top
        return {true, button.left, button.top + scale_for_dpi(menu_offset, dpi), false, false};
    case 2:  // right
        return {true, button.left, button.top, true, false};
    case 3:  // bottom
        return {true, button.left, button.top, false, true};
    default:
        return {false, 0, 0, false, false};
    }
}
