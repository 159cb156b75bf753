#include "app/app_state.h"

#include <string>

#include "about/product.h"
#include "toolkit/window.h"

app_state g_app;

namespace {

constexpr int32_t main_window_number = 0;

}  // namespace

HWND find_start_button()
{
    return FindWindowA("Button", nullptr);
}

HWND current_start_button()
{
    if (!g_app.start_button || !IsWindow(g_app.start_button)) {
        if (HWND button = find_start_button())
            g_app.start_button = button;
    }
    return g_app.start_button;
}

HWND current_taskbar()
{
    // Only the taskbar itself has the class and no title.
    if (!g_app.taskbar || !IsWindow(g_app.taskbar))
        g_app.taskbar = FindWindowA("Shell_TrayWnd", "");
    return g_app.taskbar;
}

bool open_main_window(HWND owner)
{
    const std::string title = std::string(product_name) + " " + version_text;
    return open_window(main_window_number, 0, 0, 0, 0, title.c_str(), window_invisible, owner) != 0;
}

HWND main_window()
{
    HWND window = window_handle(main_window_number);
    if (window && IsWindow(window))
        return window;
    open_main_window(current_start_button());
    return window_handle(main_window_number);
}
