// Placeholder until the control library lands.
#include "toolkit/control.h"

void init_control_library() {}
void end_control_library() {}
HWND create_image_control(int32_t, int, int, int, int, HANDLE, uint32_t) { return nullptr; }
HWND create_text_control(int32_t, int, int, int, int, const char*, uint32_t) { return nullptr; }
HWND create_hyperlink_control(int32_t, int, int, int, int, const char*, uint32_t, uint32_t) { return nullptr; }
HWND create_button_control(int32_t, int, int, int, int, const char*, uint32_t) { return nullptr; }
HWND control_handle(int32_t) { return nullptr; }
HWND use_control_list(HWND) { return nullptr; }
void post_control_event(HWND, int32_t) {}
LRESULT offer_control_message(HWND, UINT, WPARAM, LPARAM) { return hook_not_handled; }
