#pragma once
// Window library: top-level windows under small numbers, their Win32 messages turned into a few
// numbered events, and the one call that waits for the next event.
// Everything here runs on the thread that runs the event loop; the tables have no lock.

#include <windows.h>

#include <cstdint>

// Flags of open_window. Every other bit is a Win32 window style, passed on.
constexpr uint32_t window_centre_screen = 1;
constexpr uint32_t window_centre_owner = 2;
constexpr uint32_t window_no_control_list = 8;
constexpr uint32_t window_invisible = 0x10000000;

// x or y of open_window: let the system choose the position.
constexpr int window_default_position = -65535;

// Event codes of wait_event. Any other non-zero code is the number of a retrieved message that
// produced no event (for example 512 for WM_MOUSEMOVE).
constexpr int32_t no_event = 0;
constexpr int32_t move_event = 3;
constexpr int32_t size_event = 5;
constexpr int32_t repaint_event = 15;
constexpr int32_t close_event = 16;
constexpr int32_t control_event = 13100;
constexpr int32_t menu_event = 13101;
constexpr int32_t activated_event = 13104;
constexpr int32_t minimised_event = 13107;
constexpr int32_t maximised_event = 13108;
constexpr int32_t restored_event = 13109;

// Private message that controls post to their window: wParam control number, lParam event type.
constexpr UINT control_event_message = 13103;

// Accelerator commands of every toolkit window: Tab and Shift+Tab.
constexpr WORD focus_next_command = 64001;
constexpr WORD focus_previous_command = 64002;

// Creates the window table (16 slots) and the event record, loads the class icon (resource 1)
// and the arrow cursor. Once, at start-up.
void init_window_library();

// Opens a window under number (dynamic_number: the library picks one). width and height are the
// client size. Result: the window's handle, or for dynamic_number the new number; 0 on failure.
// A window already open under the number is closed first.
intptr_t open_window(int32_t number, int x, int y, int width, int height, const char* title,
                     uint32_t flags, HWND owner);
intptr_t open_window(int32_t number, int x, int y, int width, int height, const char* title,
                     uint32_t flags);

void close_window(int32_t number);  // nothing happens for a free number
void close_all_windows();           // shutdown: every window of the table
HWND window_handle(int32_t number); // 0 for a free number
int32_t window_table_size();        // slots of the window table (it grows, never shrinks)

// Waits for the next event: timeout -1 without limit, 0 not at all, n at most n milliseconds.
int32_t wait_event(int32_t timeout_ms);

// Fields of the last event; valid until the next wait_event.
int32_t event_menu_item();  // menu item id of a menu event
int32_t event_control();    // control number of a control event
int32_t event_window();     // window number of the event, -1 for no toolkit window
int32_t event_type();       // event type of a control event, -1 otherwise
WPARAM event_wparam();      // parameters of the last message that produced no event
LPARAM event_lparam();

// The toolkit window that holds a window: the window itself or the nearest parent that carries the
// window-number property; nullptr when there is none.
HWND find_toolkit_window(HWND window);
// The toolkit number of find_toolkit_window(window), or -1.
int32_t window_number_of(HWND window);
