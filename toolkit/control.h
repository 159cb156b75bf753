#pragma once
// Control library: image, text, hyperlink and button controls under control numbers, placed into
// the current control list (the window most recently opened by the window library), and the
// events they raise. Everything here runs on the thread that owns the windows.

#include <windows.h>

#include <cstdint>

// What a kind's message hook answers when it leaves a message to the window's default handling.
constexpr LRESULT hook_not_handled = static_cast<LRESULT>(0xD0D0D0D1);

// Event types of control events.
constexpr int32_t click_event_type = 0;
constexpr int32_t right_click_event_type = 1;
constexpr int32_t double_click_event_type = 2;
constexpr int32_t right_double_click_event_type = 3;
constexpr int32_t drag_start_event_type = 14002;

// Hyperlink flag: underline the text.
constexpr uint32_t hyperlink_underline = 1;

void init_control_library();  // default GUI font, control table (50 slots), common controls
void end_control_library();

// Each returns the control's window, or nullptr when it cannot be made (for example when no
// control list is current). A control already under the number is destroyed first.
HWND create_image_control(int32_t number, int x, int y, int width, int height, HANDLE image,
                          uint32_t flags);
HWND create_text_control(int32_t number, int x, int y, int width, int height, const char* text,
                         uint32_t flags);
HWND create_hyperlink_control(int32_t number, int x, int y, int width, int height,
                              const char* text, uint32_t hover_colour, uint32_t flags);
HWND create_button_control(int32_t number, int x, int y, int width, int height, const char* text,
                           uint32_t flags);

HWND control_handle(int32_t number);  // nullptr for a free number
int32_t control_table_size();         // slots of the control table (it grows, never shrinks)

// Text colour and background of a text or hyperlink control (colour values, no_colour for the
// defaults). false when the number holds no such control or the background brush cannot be made.
bool set_control_colours(int32_t number, int32_t front, int32_t back);

// Makes window the current control list and returns the previous one; with nullptr only returns it.
HWND use_control_list(HWND window);

// Posts a control event of the given type for control to the toolkit window that holds it.
void post_control_event(HWND control, int32_t type);

// The window library offers a control's messages to its parent here (WM_COMMAND, WM_NOTIFY, the
// scroll and the control-colour messages). Answers hook_not_handled when the control is not one of
// this library's or its kind leaves the message alone.
LRESULT offer_control_message(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
