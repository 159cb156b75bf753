#pragma once
// Interception of the taskbar's Start button: a low-level mouse hook swallows a left press on the
// button and raises a request; the main loop then places and shows the start menu.

#include <windows.h>

LRESULT CALLBACK start_button_hook(int code, WPARAM message, LPARAM event);
// Installs a fresh hook, and only then removes the one before, so that no press goes by unseen.
// Windows 7 removes a low-level hook that once answered too slowly, without telling the program;
// the main loop therefore renews it after every action it carried out (an action may block the
// thread that answers the hook) and every few seconds. false when no hook could be installed; the
// one before then stays.
bool install_start_button_hook();
void remove_start_button_hook();

// Shows menu 0 at the corner that the taskbar's edge selects, owned by the main window. Returns
// false when a rebuild runs, so that the request stays pending.
bool place_and_show_menu();
