// Interception of the Start button.
//
// A low-level mouse hook sees every mouse event of the desktop, on the main thread, while that
// thread waits for messages (inside wait_event or a menu's modal loop). It must answer quickly and
// never wait, so it tests a left press against the button's rectangle and, inside it, asks which
// window lies under the cursor: only a press on the Start button or the taskbar is ours. Then it
// raises menu_requested and swallows the press, so the shell never opens its own menu; everything
// else goes on down the hook chain unchanged, a press on a window lying over the taskbar (a
// full-screen video, a game) among it. The main loop sees the request within one turn and shows
// the menu. While the menu is open, a press on the button closes it; a press on the menu, where it
// reaches over the button, is the menu's. A press that could not be served within a short time is
// dropped.
//
// Until the first build has been handed over (seconds at logon with a large Programs tree; for
// good when the watcher could not start or the system refuses every build) there is no menu of
// ours to show: the press then goes on to the shell, whose own menu opens, so that Start is never
// dead.
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
#include "app/menu_publication.h"
#include "toolkit/menu.h"
#include "toolkit/process.h"
#include "toolkit/window.h"

namespace {

// Kept between calls: when the button cannot be measured the previous rectangle stays in use.
RECT g_hook_button_rect;
RECT g_placement_button_rect;

// A window of this thread: the menu, which may reach over the button.
bool own_window(HWND window)
{
    return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// The Start button or the taskbar, or a window inside either. The button's picture need not fill
// its rectangle, and a press on the taskbar there must not open the shell's menu either.
bool start_button_or_taskbar(HWND window, HWND button)
{
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    return root && (root == button || root == current_taskbar());
}

// Shows the menu on offer; false when there is none to show yet, and the request stays.
bool place_and_show_menu()
{
    shown_menu shown;
    if (!begin_showing(&shown))
        return false;
    // On screen from here on for the hook: asking the shell for the taskbar's edge waits for
    // another process, and the main window may have to be opened again, and while this thread
    // waits the hook runs. A press on the button then must close the menu rather than ask for
    // another; but EndMenu closes nothing before the menu is tracked, so the press is remembered
    // and the menu not shown. (Between the last look and the menu's loop nothing lets the hook run.)
    g_app.menu_on_screen = true;
    g_app.menu_dismissed = false;

    UINT edge = session_ops().taskbar_edge();
    GetWindowRect(current_start_button(), &g_placement_button_rect);
    const RECT& r = g_placement_button_rect;
    menu_position where = menu_position_for(edge, {r.left, r.top, r.right, r.bottom}, screen_dpi());
    HWND owner = main_window();
    if (where.show && shown.menu && !g_app.menu_dismissed) {
        // A choice arrives later as a menu event; it refers to the list of the menu shown now.
        g_app.shown_launch = shown.launch;
        const uint32_t alignment = (where.opens_left ? menu_opens_left : 0) | (where.opens_up ? menu_opens_up : 0);
        session_ops().show_menu(shown.menu, owner, where.x, where.y, alignment);
    }
    g_app.menu_on_screen = false;
    end_showing();
    return true;
}

}  // namespace

VELMORA_CALLBACK LRESULT CALLBACK start_button_hook(int code, WPARAM message, LPARAM event)
{
    if (code < 0 || message != WM_LBUTTONDOWN)
        return CallNextHookEx(nullptr, code, message, event);

    HWND button = current_start_button();
    GetWindowRect(button, &g_hook_button_rect);
    // Without the cursor's place the press is not known to be on the button: it goes on. Without
    // a menu of ours on offer, the shell's is better than none.
    POINT cursor = {};
    if (!session_ops().cursor_position(&cursor) || !PtInRect(&g_hook_button_rect, cursor) || !menu_on_offer())
        return CallNextHookEx(nullptr, code, message, event);
    // One look at what lies under the cursor: our menu reaching over the button, or another
    // program's window lying over it, keeps the press.
    HWND under = WindowFromPoint(cursor);
    if ((g_app.menu_on_screen && own_window(under)) || !start_button_or_taskbar(under, button))
        return CallNextHookEx(nullptr, code, message, event);
    if (g_app.menu_on_screen) {
        // The shell's own button closes its menu on a second press; swallowed, the press opens
        // the shell's menu no more than it opens a new one of ours.
        g_app.menu_dismissed = true;
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
    if (GetTickCount() - g_app.requested_at > start_button_seams::press_limit_ms) {
        g_app.menu_requested.store(0);
        if (g_app.observer && g_app.observer->press_dropped)
            g_app.observer->press_dropped();
        return;
    }
    // A request made before a menu is on offer stays pending until the limit.
    if (place_and_show_menu())
        g_app.menu_requested.store(0);  // presses made while the menu was open open no second one
}

namespace start_button_seams {
DWORD press_limit_ms = pending_press_limit_ms;
}
