#pragma once
// Interception of the taskbar's Start button: a low-level mouse hook swallows a left press on the
// button and raises a request; the main loop then places and shows the start menu. A press on the
// button while the menu is open closes it. Until a menu is on offer the press is the shell's.

#include <windows.h>

// A press not served within this time is dropped: a menu that came later would appear long after
// the user went on, take the keyboard from whatever they type in, and their next letter would
// choose one of its items ("Herunterfahren" among them). A press waits while a build is handed
// over, or while the main thread is busy with an action.
constexpr DWORD pending_press_limit_ms = 2000;

LRESULT CALLBACK start_button_hook(int code, WPARAM message, LPARAM event);
// Installs a fresh hook, and only then removes the one before, so that no press goes by unseen.
// Windows 7 removes a low-level hook that once answered too slowly, without telling the program;
// the main loop therefore renews it after every action it carried out (an action may block the
// thread that answers the hook) and every few seconds. false when no hook could be installed; the
// one before then stays.
bool install_start_button_hook();
void remove_start_button_hook();

// Serves a pending request: shows menu 0 at the corner that the taskbar's edge selects, owned by
// the main window, or drops a request that waited longer than the limit. Returns when the menu
// has closed; a request that cannot be served yet (no menu on offer) stays pending.
void serve_menu_request();

// The limit for presses in use: pending_press_limit_ms, or what a test sets.
namespace start_button_seams {
extern DWORD press_limit_ms;
}
inline void set_pending_press_limit(DWORD milliseconds)
{
    start_button_seams::press_limit_ms = milliseconds;
}
