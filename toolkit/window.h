#pragma once
// Window library: top-level windows under small numbers, their Win32 messages turned into a few
// numbered events, and the one call that waits for the next event.
// Everything here runs on the thread that runs the event loop; the tables have no lock.

#include <windows.h>

#include <cstdint>

#include "toolkit/dpi.h"

// Flags of open_window. Every other bit is a Win32 window style, passed on.
constexpr uint32_t window_centre_screen = 1;
constexpr uint32_t window_invisible = 0x10000000;

// Event codes of wait_event. Any other non-zero code is the number of a retrieved message that
// produced no event (for example 512 for WM_MOUSEMOVE).
constexpr int32_t no_event = 0;
constexpr int32_t close_event = 16;
constexpr int32_t control_event = 13100;
constexpr int32_t menu_event = 13101;

// Private message that controls post to their window: wParam control number.
constexpr UINT control_event_message = 13103;

// Accelerator commands of every toolkit window: Tab and Shift+Tab.
constexpr WORD focus_next_command = 64001;
constexpr WORD focus_previous_command = 64002;

// Creates the window table (16 slots) and the event record, loads the class icon (resource 1)
// and the arrow cursor. Once, at start-up.
void init_window_library();

// The screen's DPI: 96 at 100 %, 120 at 125 %, 144 at 150 %.
int screen_dpi();
// A size or place of the program's 96-DPI layout at the screen's DPI.
int scaled(int pixels);

// Opens a window under number; width and height are the client size; the title is Windows-1252. Without other style bits
// the window has a title bar and nothing else. Unless invisible, it is shown. It becomes the
// current control list. Result: the window's handle, 0 on failure. A window already open under
// the number is closed first.
intptr_t open_window(int32_t number, int x, int y, int width, int height, const char* title,
                     uint32_t flags, HWND owner = nullptr);

void close_window(int32_t number);  // nothing happens for a free number
void close_all_windows();           // shutdown: every window of the table
HWND window_handle(int32_t number); // 0 for a free number

// Waits for the next event: timeout -1 without limit, 0 not at all, n at most n milliseconds.
int32_t wait_event(int32_t timeout_ms);

// The item of the last event; valid until the next wait_event.
int32_t event_menu_item();  // menu item id of a menu event
int32_t event_control();    // control number of a control event

// The window that new controls go into: the window opened last, until it is destroyed; nullptr
// when there is none. use_control_list makes window the current list and returns the previous one.
HWND use_control_list(HWND window);
HWND current_control_list();

// The toolkit window that holds a window: the window itself or the nearest parent that carries the
// window-number property; nullptr when there is none.
HWND find_toolkit_window(HWND window);
