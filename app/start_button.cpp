// Interception of the Start button.
//
// A low-level mouse hook sees every mouse event of the desktop, on the main thread, while that
// thread waits for messages (inside wait_event or a menu's modal loop). It must answer quickly, so
// it only tests a left press against the button's rectangle: inside, it raises menu_requested and
// swallows the press, so the shell never opens its own menu; everything else goes on down the hook
// chain unchanged. The main loop sees the request within one turn and shows the menu. While the
// menu is open, a press on the button closes it; a press on the menu, where it reaches over the
// button, is the menu's. A press that could not be served within a short time is dropped.
//
// The shell may restart and make a new Start button; the stored handle is then looked up again
// before it is used, and the main window, which the old button owned and took with it, is reopened.
//
// Windows 7 removes a low-level hook that does not answer within the system's time-out, silently
// and for good, and the main thread that answers this one also opens shortcuts through the shell,
// which can take seconds. So the hook is renewed after every action and every few seconds: a
// removed hook costs the user at most a few seconds of the shell's own menu.

#include "app/start_button.h"

#include "app/placement.h"
#include "app/session_ops.h"
#include "app/app_state.h"
#include "catalogue/menu_publication.h"
#include "toolkit/menu.h"
#include "toolkit/process.h"

namespace {

// Kept between calls: when the button cannot be measured the previous rectangle stays in use.
RECT g_hook_button_rect;
RECT g_placement_button_rect;
DWORD g_press_limit_ms = pending_press_limit_ms;

// A window of this thread at the point: the menu, which may reach over the button.
bool own_window_at(POINT point)
{
    HWND window = WindowFromPoint(point);
    return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// Shows the menu on offer; false when there is none to show yet, and the request stays.
bool place_and_show_menu()
{
    shown_menu shown;
    if (!begin_showing(&shown))
        return false;

    UINT edge = session_ops().taskbar_edge();
    GetWindowRect(current_start_button(), &g_placement_button_rect);
    const RECT& r = g_placement_button_rect;
    menu_position where = menu_position_for(edge, {r.left, r.top, r.right, r.bottom});
    if (where.show && shown.menu) {
        // A choice arrives later as a menu event; it refers to the list of the menu shown now.
        g_app.shown_launch = shown.launch;
        const uint32_t alignment = (where.opens_left ? menu_opens_left : 0) | (where.opens_up ? menu_opens_up : 0);
        g_app.menu_on_screen = true;
        session_ops().show_menu(shown.menu, main_window(), where.x, where.y, alignment);
        g_app.menu_on_screen = false;
    }
    end_showing();
    return true;
}

}  // namespace

VELMORA_CALLBACK LRESULT CALLBACK start_button_hook(int code, WPARAM message, LPARAM event)
{
    if (code < 0 || message != WM_LBUTTONDOWN)
        return CallNextHookEx(nullptr, code, message, event);

    GetWindowRect(current_start_button(), &g_hook_button_rect);
    // Without the cursor's place the press is not known to be on the button: it goes on.
    POINT cursor = {};
    if (!session_ops().cursor_position(&cursor) || !PtInRect(&g_hook_button_rect, cursor))
        return CallNextHookEx(nullptr, code, message, event);
    if (g_app.menu_on_screen) {
        if (own_window_at(cursor))
            return CallNextHookEx(nullptr, code, message, event);
        // The shell's own button closes its menu on a second press; swallowed, the press opens
        // the shell's menu no more than it opens a new one of ours.
        EndMenu();
        return 1;
    }
    g_app.requested_at = GetTickCount();
    g_app.menu_requested.store(1);
    return 1;
}

bool install_start_button_hook()
{
    g_app.hook_renewed_at = GetTickCount();
    HHOOK fresh = session_ops().set_mouse_hook(start_button_hook, g_app.module);
    if (!fresh)
        return false;
    HHOOK old = g_app.mouse_hook;
    g_app.mouse_hook = fresh;
    // Fails harmlessly when the system has removed it already.
    if (old)
        session_ops().remove_mouse_hook(old);
    return true;
}

void remove_start_button_hook()
{
    if (g_app.mouse_hook)
        session_ops().remove_mouse_hook(g_app.mouse_hook);
    g_app.mouse_hook = nullptr;
}

void serve_menu_request()
{
    if (g_app.menu_requested.load() != 1)
        return;
    if (GetTickCount() - g_app.requested_at > g_press_limit_ms) {
        g_app.menu_requested.store(0);
        if (g_app.observer && g_app.observer->press_dropped)
            g_app.observer->press_dropped();
        return;
    }
    // A request made while a build is handed over stays pending and is served right after it.
    if (rebuild_in_progress.load() == 0 && place_and_show_menu())
        g_app.menu_requested.store(0);  // presses made while the menu was open open no second one
}

void set_pending_press_limit(DWORD milliseconds)
{
    g_press_limit_ms = milliseconds;
}
