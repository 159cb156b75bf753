// Start-up, main loop and shutdown.
//
// Two threads exist: the main thread, which runs everything here, the mouse hook and the command
// actions; and the change watcher, which builds and rebuilds the start menu. The main loop waits at
// most 10 ms for an event, so a request raised by the hook is served within one turn, and the
// thread keeps pumping messages as low-level hooks require. Every way of ending, a quit as well as
// a refusal at start-up, runs the one shutdown sequence and ends with exit code 0.

#include "app/velmora.h"

#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "app/app_state.h"
#include "app/dispatch.h"
#include "app/start_button.h"
#include "catalogue/watcher.h"
#include "presentation/item_bitmaps.h"
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
    InitCommonControls();
    CoInitialize(nullptr);
}

[[noreturn]] void shut_down_process()
{
    // Nothing may wait while the desktop's mouse waits for this thread.
    remove_start_button_hook();
    // The watcher is never stopped, but it must not be inside a rebuild, allocating from the heap
    // and creating images, while they are released. When a rebuild does not end in time, the
    // memory is left to the system instead.
    bool no_rebuild_running = stop_rebuilds(rebuild_stop_timeout_ms);

    close_thread_handles();
    if (no_rebuild_running)
        free_all_images();
    close_all_windows();
    if (no_rebuild_running)
        heap_destroy_private();
    ExitProcess(0);
}

// One turn of the main loop; false once the loop should end.
bool run_main_loop_turn()
{
    g_app.last_event = wait_event(static_cast<int32_t>(main_loop_wait_ms));

    // The event goes first: a choice made in the menu that has just closed refers to that menu's
    // launch list, which showing the next menu would replace.
    switch (g_app.last_event) {
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

    // A request made while a rebuild runs stays pending and is served right after it.
    if (g_app.quit_requested.load() == 0 && g_app.menu_requested.load() == 1 &&
        rebuild_in_progress.load() == 0) {
        if (place_and_show_menu())
            g_app.menu_requested.store(0);
    }
    return g_app.quit_requested.load() == 0;
}

}  // namespace

[[noreturn]] void velmora_main()
{
    g_app.module = GetModuleHandleA(nullptr);
    heap_create_private();
    init_libraries();
    reset_watcher();

    if (os_version() != version_nt6_workstation) {
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

    create_thread(watch_programs, nullptr);
    install_start_button_hook();

    while (run_main_loop_turn()) {
    }
    shut_down_process();
}
