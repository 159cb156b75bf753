#pragma once
// The pictures of the "Grafiken" folder, loaded once at start-up on the main thread under fixed
// image numbers: the commands' bitmaps (10 to 19, commands.h names them) and the banner of the
// about window with its two icons (20 to 22). And the size of every picture beside a menu item.

#include <cstdint>
#include <string>

constexpr int32_t banner_image = 20;
constexpr int32_t banner_left_icon_image = 21;
constexpr int32_t banner_right_icon_image = 22;

struct graphics_file {
    int32_t image;
    const char* path;  // relative to the folder that holds "Grafiken"
};
// Images 10 to 22 in number order.
extern const graphics_file graphics_files[13];

// The folder whose "Grafiken" the pictures come from: the current folder when it has one (""),
// else the program's own (UTF-8, ending in "\"). A program started from a Run key, a scheduled task
// or a shortcut without "Start in" often runs in the system folder.
std::string graphics_folder();

// A file that is missing or unreadable leaves its number empty: its item shows no picture. A command
// bitmap of another size than a menu picture's is stretched to it.
void load_graphics();

// Every picture beside a menu item has the system's small-icon size: 16 x 16 at 96 DPI, 20 x 20 at
// 120, 24 x 24 at 144.
struct picture_size {
    int width;
    int height;
};
picture_size menu_picture_size();
