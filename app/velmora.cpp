// Start-up, main loop and shutdown.
//
// Two threads exist: the main thread, which runs everything here, the mouse hook and the command
// actions; and the change watcher, which builds and rebuilds the start menu. The main loop waits at
// most 10 ms for an event, so a request raised by the hook is served within one turn, and the
// thread keeps pumping messages as low-level hooks require. Every way of ending, a quit as well as
// a refusal at start-up, runs the one shutdown sequence and ends with exit code 0.
//
// Before anything else, a 32-bit copy on 64-bit Windows hands over to the 64-bit build beside it
// (wow64.h), and a copy that finds another one running in the session ends: two hooks would fight
// over the Start button, and quitting one would leave the other's menu on it.

#include "app/velmora.h"

#include <objbase.h>

#include <string>
#include <utility>

#include "about/about_window.h"
#include "app/app_state.h"
#include "app/dispatch.h"
#include "app/menu_publication.h"
#include "app/rebuild.h"
#include "app/start_button.h"
#include "app/wow64.h"
#include "catalogue/watcher.h"
#include "presentation/pictures.h"
#include "toolkit/control.h"
#include "toolkit/heap.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "toolkit/process.h"
#include "toolkit/version_table.h"
#include "toolkit/window.h"

namespace {

constexpr char error_caption[] = "Fehler";
constexpr char unsupported_system_text[] =
    "Das von Ihnen verwendete Betriebssystem wird nicht unterstützt.\n"
    "Um diese Anwendung ausführen zu können, benötigen Sie das Betriebssystem ''Windows 7''.";
constexpr char no_start_button_text[] = "Das Windows-Startmenü konnte nicht gefunden werden.";

void init_libraries()
{
    init_image_library();
    init_window_library();
    init_control_library();
    init_menu_library();
    CoInitialize(nullptr);
}

[[noreturn]] void shut_down_process()
{
    // Nothing may wait while the desktop's mouse waits for this thread.
    remove_start_button_hook();
    // The Start button is the shell's again: a copy started now, while the watcher is waited for,
    // may take the session over.
    if (g_app.session_claim)
        CloseHandle(std::exchange(g_app.session_claim, nullptr));
    // The watcher must have ended before what it uses goes, and before the process ends: the
    // system would end it wherever it stands, inside the shell and holding its locks, and then run
    // every DLL's detach code.
    stop_rebuilds();
    const bool watcher_ended = stop_watcher(watcher_stop_timeout_ms);
    // The windows go before the pictures they show.
    close_all_windows();
    if (!watcher_ended) {
        // Still inside the shell: its memory and pictures are left to the system, and so is the
        // detach code, which could wait for ever on a lock the watcher holds.
        TerminateProcess(GetCurrentProcess(), 0);
    }
    free_all_images();
    close_thread_handles();
    heap_destroy_private();
    ExitProcess(0);
}

// One turn of the main loop; false once the loop should end.
bool run_main_loop_turn()
{
    const int32_t event = wait_event(static_cast<int32_t>(main_loop_wait_ms));

    // The event goes first: a choice made in the menu that has just closed refers to that menu's
    // launch list, which showing the next menu would replace.
    switch (event) {
    case menu_event:
        dispatch_command(event_menu_item(),
                         g_app.shown_launch ? g_app.shown_launch : current_launch_list());
        install_start_button_hook();  // the action may have kept the hook waiting too long
        break;
    case control_event:
        dispatch_control(event_control());
        install_start_button_hook();
        break;
    case close_event:
        g_app.quit_requested.store(1);
        break;
    }
    if (GetTickCount() - g_app.hook_renewed_at >= hook_renewal_interval_ms)
        install_start_button_hook();

    if (g_app.quit_requested.load() == 0)
        serve_menu_request();
    return g_app.quit_requested.load() == 0;
}

// One copy per session; false when another copy holds the claim (or holds it where this one may
// not look, as an elevated copy does).
bool claim_session()
{
    g_app.session_claim = CreateMutexA(nullptr, FALSE, session_claim_name);
    const DWORD error = GetLastError();
    if (g_app.session_claim)
        return error != ERROR_ALREADY_EXISTS;
    return error != ERROR_ACCESS_DENIED;
}

void tell(void (*app_observer::*event)())
{
    if (g_app.observer && g_app.observer->*event)
        (g_app.observer->*event)();
}

}  // namespace

namespace velmora_seams {
const char* build_64_bit_file = ::build_64_bit_file;
}

[[noreturn]] void velmora_main()
{
    g_app.module = GetModuleHandleA(nullptr);
    heap_create_private();
    init_libraries();

    const int32_t version = os_version();
    // Where the program runs at all, and the other copy does the work. A refusal is this copy's.
    if (version == version_nt6_workstation && running_under_wow64() &&
        start_sibling_program(velmora_seams::build_64_bit_file)) {
        tell(&app_observer::handed_to_64_bit_build);
        shut_down_process();
    }
    if (!claim_session()) {
        tell(&app_observer::another_copy_runs);
        shut_down_process();
    }

    if (version != version_nt6_workstation) {
        message_box(error_caption, unsupported_system_text, MB_ICONHAND);
        shut_down_process();
    }

    g_app.start_button = find_start_button();
    if (!g_app.start_button) {
        message_box(error_caption, no_start_button_text, MB_ICONHAND);
        shut_down_process();
    }

    load_graphics();
    compose_banner();

    if (!open_main_window(g_app.start_button))
        shut_down_process();

    // Without a watcher there is never a menu: the program runs on and the Start button stays
    // the shell's.
    start_watcher(&rebuild_on_change);
    install_start_button_hook();

    while (run_main_loop_turn()) {
    }
    shut_down_process();
}
