#pragma once
// The pictures of the "Grafiken" folder beside the program, loaded once at start-up on the main
// thread under fixed image numbers: the commands' bitmaps (10 to 19, commands.h names them) and
// the banner of the about window with its two icons (20 to 22).

#include <cstdint>

constexpr int32_t banner_image = 20;
constexpr int32_t banner_left_icon_image = 21;
constexpr int32_t banner_right_icon_image = 22;

struct graphics_file {
    int32_t image;
    const char* path;  // relative to the current directory
};
// Images 10 to 22 in number order.
extern const graphics_file graphics_files[13];

// A file that is missing or unreadable leaves its number empty: its item shows no picture.
void load_graphics();
