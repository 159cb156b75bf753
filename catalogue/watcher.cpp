// The change watcher. The file system's change notifications are not used: every pass walks both
// Programs folders and condenses what it saw into a signature, the number of files and a hash of
// every relative path. A signature that differs from the previous pass's, or a first pass, starts
// a rebuild of the whole start menu on this thread, between begin_rebuild and end_rebuild, so the
// main thread never shows a half-built menu. The thread ends once shutdown stops rebuilds.
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

namespace {

constexpr int32_t start_menu_number = 0;

struct watcher_state {
    pass_signature previous;                    // written by the watcher thread only
    std::atomic<bool> previous_known{false};    // false: the next pass rebuilds
    std::atomic<int32_t> rebuilds{0};
    std::atomic<DWORD> interval_ms{watch_interval_ms};
};
watcher_state g_watcher;

// The steps of a rebuild; false when shutdown cut it short.
bool rebuild_steps()
{
    release_old_menu(start_menu_number);
    bool menu_made = create_popup_menu(start_menu_number) != 0;
    if (rebuild_cancelled())
        return false;
    const programs_roots roots = current_programs_roots();
    programs_tree tree = build_programs_tree(platform_file_system(), roots);
    if (rebuild_cancelled())
        return false;
    // Without a menu the builder has no target; the launch list is still handed over.
    if (menu_made) {
        build_start_menu(tree, roots);
        if (rebuild_cancelled())
            return false;
        make_folder_bitmap();
        if (rebuild_cancelled())
            return false;
        attach_folder_bitmaps();
        if (rebuild_cancelled())
            return false;
    }
    publish_launch_list(std::move(tree.launch));
    return true;
}

bool rebuild_to_end()
{
    try {
        return rebuild_steps();
    } catch (const std::bad_alloc&) {
        return false;
    }
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
    bool complete = rebuild_to_end();
    end_rebuild();
    g_watcher.rebuilds.fetch_add(1);
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

void rebuild_programs_menu()
{
    rebuild_to_end();
}

int32_t watcher_rebuild_count()
{
    return g_watcher.rebuilds.load();
}

void set_watch_interval(DWORD milliseconds)
{
    g_watcher.interval_ms.store(milliseconds);
}
