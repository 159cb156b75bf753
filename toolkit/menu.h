#pragma once
// Menu library: popup menus under numbers, one process-wide builder that appends to a current
// menu and nests submenus (at most max_menu_depth open at once), greyed items, and showing a menu
// at a screen point. A chosen item comes back through the window library as a menu event.
// Only one thread may build menus at a time; the table has no lock.

#include <windows.h>

#include <cstdint>
#include <string_view>

constexpr int32_t max_menu_depth = 64;
constexpr UINT separator_id = 0xFFFFFFFF;

void init_menu_library();  // menu table (16 slots) and an empty builder

// Frees any menu under number, makes a new empty popup menu there and points the builder at it.
// Result: the HMENU, or for dynamic_number the new number; 0 on failure.
intptr_t create_popup_menu(int32_t number);

// Captions come in two encodings: the program's own texts are Windows-1252 (add_menu_item), the
// names of files and folders on disk UTF-8 (add_menu_item_utf8, open_submenu_utf8). Both reach the
// menu as UTF-16, through the wide functions, whatever the system's ANSI code page.
void add_menu_item(UINT id, const char* caption);
void add_menu_item_utf8(UINT id, std::string_view caption);
void add_menu_separator();
// Appends a submenu item and makes the new submenu the append target. Beyond max_menu_depth open
// submenus nothing is appended and nullptr is returned; the target stays where it is.
HMENU open_submenu_utf8(std::string_view caption);
void close_submenu();  // ignored at depth 0
HMENU menu_append_target();  // the menu that the next item goes into
int32_t menu_being_built();  // the number of the menu create_popup_menu made last; 0 for none
// true when the system refused a submenu or an item of the menu being built since
// create_popup_menu made it (Windows 7 refuses beyond 10,000 USER objects of a process, or when
// the desktop heap is full): the menu lacks parts it was meant to have.
bool menu_build_failed();
// Live menus of the table, under any number.
int32_t live_menu_count();

void disable_menu_item(int32_t number, UINT id, int32_t state);

// Brings owner to the foreground, so that the menu gets the keyboard and closes when the user
// clicks elsewhere, and tracks the menu with its top-left corner at (x, y), or with the corner that
// alignment names; returns when the menu has closed. The menu is given by handle: the caller pins
// the one it shows, while its number may already name a newer build. 0 without showing anything
// for no menu.
constexpr uint32_t menu_opens_left = 1;  // (x, y) is on the menu's right edge
constexpr uint32_t menu_opens_up = 2;    // (x, y) is on the menu's bottom edge
BOOL show_popup_menu(HMENU menu, HWND owner, int x, int y, uint32_t alignment = 0);

HMENU menu_handle(int32_t number);
void free_menu(int32_t number);
// Moves the menu under from to the number to, which may be built on further. The menu that to
// held is taken out of the table and handed back, for the caller to destroy; nullptr for none.
HMENU move_menu(int32_t from, int32_t to);

// What the library calls to make a popup menu and a submenu (CreatePopupMenu, CreateMenu), and what
// show_popup_menu asks first for the foreground (SetForegroundWindow). Tests put stand-ins there by
// which the system refuses, as Windows 7 does beyond a process's USER objects or to a process that
// did not get the last input; the program only reads them.
using menu_creator = HMENU(WINAPI*)();
using foreground_request = BOOL(WINAPI*)(HWND window);
namespace menu_seams {
extern menu_creator create_popup;
extern menu_creator create_submenu;
extern foreground_request request_foreground;
}  // namespace menu_seams

// For tests (nullptr: back to the platform's).
inline void set_menu_creators(menu_creator popup, menu_creator submenu)
{
    menu_seams::create_popup = popup ? popup : CreatePopupMenu;
    menu_seams::create_submenu = submenu ? submenu : CreateMenu;
}
inline void set_foreground_request(foreground_request request)
{
    menu_seams::request_foreground = request ? request : SetForegroundWindow;
}
