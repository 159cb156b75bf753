#pragma once
// Control library: image, text, hyperlink and button controls under control numbers, placed into
// the current control list (the window the window library opened last), and the events they
// raise. Everything here runs on the thread that owns the windows.

#include <windows.h>

#include <cstdint>

// Hyperlink flag: underline the text.
constexpr uint32_t hyperlink_underline = 1;

void init_control_library();  // default GUI font, control table (50 slots), common controls

// Texts are Windows-1252. Each returns the control's window, or nullptr when it cannot be made (for example when no
// control list is current). A control already under the number is destroyed first. The control's
// window ID is its number.
HWND create_image_control(int32_t number, int x, int y, int width, int height, HANDLE image,
                          uint32_t flags);
HWND create_text_control(int32_t number, int x, int y, int width, int height, const char* text,
                         uint32_t flags);
HWND create_hyperlink_control(int32_t number, int x, int y, int width, int height,
                              const char* text, uint32_t hover_colour, uint32_t flags);
HWND create_button_control(int32_t number, int x, int y, int width, int height, const char* text,
                           uint32_t flags);

// Posts a control event for control to the toolkit window that holds it.
void post_control_event(HWND control);
