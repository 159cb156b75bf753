#pragma once
// The program's pixel sizes are given for 96 DPI, Windows' 100 %. At 125 % (120 DPI) and 150 %
// (144 DPI) the system's font and small icons grow, and so must every size of the program's own
// layout: scaled as MulDiv(value, dpi, 96) scales them, to the nearest pixel, a half away from zero.

#include <cstdint>

constexpr int layout_dpi = 96;

constexpr int scale_for_dpi(int value, int dpi)
{
    if (dpi <= 0)
        return value;  // no answer from the system: the layout as given
    const int64_t product = static_cast<int64_t>(value < 0 ? -value : value) * dpi;
    const auto magnitude = static_cast<int>((product + layout_dpi / 2) / layout_dpi);
    return value < 0 ? -magnitude : magnitude;
}
static_assert(scale_for_dpi(30, 96) == 30 && scale_for_dpi(30, 120) == 38 && scale_for_dpi(30, 144) == 45 &&
              scale_for_dpi(-9, 120) == -11, "as MulDiv rounds");
