// Placeholder until the window library lands.
#include "toolkit/window.h"

void init_window_library() {}
intptr_t open_window(int32_t, int, int, int, int, const char*, uint32_t, HWND) { return 0; }
intptr_t open_window(int32_t, int, int, int, int, const char*, uint32_t) { return 0; }
void close_window(int32_t) {}
void close_all_windows() {}
HWND window_handle(int32_t) { return nullptr; }
int32_t wait_event(int32_t timeout_ms) { Sleep(timeout_ms > 0 ? timeout_ms : 0); return 0; }
int32_t event_menu_item() { return 0; }
int32_t event_control() { return 0; }
int32_t event_window() { return -1; }
int32_t event_type() { return -1; }
WPARAM event_wparam() { return 0; }
LPARAM event_lparam() { return 0; }
HWND find_toolkit_window(HWND) { return nullptr; }
int32_t window_number_of(HWND) { return -1; }
