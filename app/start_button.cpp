// Interception of the Start button.
//
// A low-level mouse hook sees every mouse event of the desktop, on the main thread, while that
// thread waits for messages (inside wait_event or a menu's modal loop). It must answer quickly, so
// it only tests a left press against the button's rectangle: inside, it raises menu_requested and
// swallows the press, so the shell never opens its own menu; everything else goes on down the hook
// chain unchanged. The main loop sees the request within one turn and shows the menu.
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
#include "toolkit/process.h"

namespace {

// Kept between calls: when the button cannot be measured the previous rectangle stays in use.
RECT g_hook_button_rect;
RECT g_placement_button_rect;

}  // namespace

VELMORA_CALLBACK LRESULT CALLBACK start_button_hook(int code, WPARAM message, LPARAM event)
{
    if (code < 0 || message != WM_LBUTTONDOWN)
        return CallNextHookEx(nullptr, code, message, event);

    GetWindowRect(current_start_button(), &g_hook_button_rect);
    // Without the cursor's place the press is not known to be on the button: it goes on.
    POINT cursor = {};
    if (!session_ops().cursor_position(&cursor))
        return CallNextHookEx(nullptr, code, message, event);
    if (PtInRect(&g_hook_button_rect, cursor)) {
        g_app.menu_requested.store(1);
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, event);
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
        session_ops().show_menu(shown.menu, main_window(), where.x, where.y);
    }
    end_showing();
    return true;
}
