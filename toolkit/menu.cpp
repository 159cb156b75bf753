// Placeholder until the menu library lands.
#include "toolkit/menu.h"

void init_menu_library() {}
intptr_t create_popup_menu(int32_t) { return 0; }
void add_menu_item(UINT, const char*) {}
void add_menu_separator() {}
HMENU open_submenu(const char*) { return nullptr; }
void close_submenu() {}
int32_t menu_depth() { return 0; }
HMENU menu_append_target() { return nullptr; }
void disable_menu_item(int32_t, UINT, int32_t) {}
BOOL show_popup_menu(int32_t, HWND, int, int) { return FALSE; }
BOOL show_menu_handle(HMENU, HWND, int, int) { return FALSE; }
HMENU menu_handle(int32_t) { return nullptr; }
bool menu_exists(int32_t) { return false; }
void free_menu(int32_t) {}
HMENU detach_menu(int32_t) { return nullptr; }
