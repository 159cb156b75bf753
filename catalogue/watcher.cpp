// The change watcher. The file system's change notifications are not used: every pass walks both
// Programs folders and condenses what it saw into a signature, the number of files and a hash of
// every relative path. A signature that differs from the previous pass's, or a first pass, starts
// a rebuild of the whole start menu on this thread. The new menu is made beside the one on offer
// and handed over only when it is complete (menu_publication.h), so a click never waits for a
// rebuild and never sees a half-built menu. The thread ends once shutdown stops rebuilds.
//
// A rebuild that did not run to its end (shutdown cut it short, memory ran out) leaves the previous
// signature forgotten, so the next pass tries again.
//
// The thread is a single-threaded COM apartment (the shell's icon lookup needs one), and such a
// thread must answer messages whenever it idles: COM gives it a hidden window, and a broadcast or a
// DDE conversation of another program waits for every window. So it waits between passes in a
// message loop, never in Sleep.

#include "catalogue/watcher.h"

#include <objbase.h>

#include <atomic>
#include <new>
#include <utility>

#include "catalogue/menu_publication.h"
#include "catalogue/programs_tree.h"
#include "catalogue/start_menu_fs.h"
#include "presentation/item_bitmaps.h"
#include "presentation/menu_assembly.h"
#include "toolkit/menu.h"
#include "toolkit/numbered_table.h"

namespace {

struct watcher_state {
    pass_signature previous;                    // written by the watcher thread only
    std::atomic<bool> previous_known{false};    // false: the next pass rebuilds
    std::atomic<DWORD> interval_ms{watch_interval_ms};
    const rebuild_observer* observer = nullptr;
};
watcher_state g_watcher;

// Makes the new start menu with its pictures under numbers of the build's own, while the previous
// one stays on offer; false when shutdown cut it short.
bool build_menu(menu_build* build)
{
    build->menu = static_cast<int32_t>(create_popup_menu(dynamic_number));
    if (rebuild_cancelled())
        return false;
    const programs_roots roots = current_programs_roots();
    programs_tree tree = build_programs_tree(platform_file_system(), roots);
    if (rebuild_cancelled())
        return false;
    // Without a menu the builder has no target; the launch list is still handed over.
    if (build->menu) {
        build_start_menu(tree, roots);
        build->pictures = take_entry_bitmaps();
        if (rebuild_cancelled())
            return false;
        build->folder_bitmap = make_folder_bitmap();
        attach_folder_bitmaps(build->menu, build->folder_bitmap);
        if (rebuild_cancelled())
            return false;
    }
    build->launch = std::move(tree.launch);
    return true;
}

// One pass; false once rebuilds are over for good.
bool watch_once()
{
    pass_signature signature;
    try {
        signature = watcher_pass(platform_file_system(), current_programs_roots());
    } catch (const std::bad_alloc&) {
        return true;
    }
    if (g_watcher.previous_known.load() && signature == g_watcher.previous)
        return true;
    if (!begin_rebuild())
        return false;
    bool complete = rebuild_programs_menu();
    end_rebuild();
    g_watcher.previous = signature;
    g_watcher.previous_known.store(complete);
    return true;
}

// Waits for milliseconds, handling the thread's messages as they come.
void wait_handling_messages(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD waited = GetTickCount() - start;
        if (waited >= milliseconds || rebuild_cancelled())
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - waited, QS_ALLINPUT);
    }
}

}  // namespace

void reset_watcher()
{
    g_watcher.previous_known.store(false);
}

VELMORA_CALLBACK DWORD WINAPI watch_programs(void*)
{
    // The shell's icon lookup during a rebuild needs COM on this thread.
    HRESULT com = CoInitialize(nullptr);
    while (!rebuild_cancelled() && watch_once())
        wait_handling_messages(g_watcher.interval_ms.load());
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}

bool rebuild_programs_menu()
{
    if (g_watcher.observer)
        g_watcher.observer->building();
    menu_build build;
    bool complete = false;
    try {
        complete = build_menu(&build) && hand_over(&build);
    } catch (const std::bad_alloc&) {
    }
    if (!complete) {
        discard_build(&build);
        return false;
    }
    if (g_watcher.observer)
        g_watcher.observer->handed_over();
    return true;
}

void set_watch_interval(DWORD milliseconds)
{
    g_watcher.interval_ms.store(milliseconds);
}

void observe_rebuilds(const rebuild_observer* observer)
{
    g_watcher.observer = observer;
}
