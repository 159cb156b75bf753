// The change watcher. The file system's change notifications are not used: every pass walks both
// Programs folders and condenses what it saw into a signature, the number of files and a hash of
// every relative path. A signature that differs from the previous pass's, or a first pass, starts
// a rebuild of the whole start menu on this thread. The new menu is made beside the one on offer
// and handed over only when it is complete (menu_publication.h), so a click never waits for a
// rebuild and never sees a half-built menu.
//
// A rebuild that did not run to its end (the system refused a menu, memory ran out) leaves
// nothing behind. It is tried again when the folders change, and otherwise ever more rarely
// (build_retry.h): the system that refused it is likely to refuse the next one too, and every
// try costs seconds. The walks go on at every interval. Nothing thrown leaves the thread.
//
// The thread is a single-threaded COM apartment (the shell's icon lookup needs one), and such a
// thread must answer messages whenever it can: COM gives it a hidden window, and a broadcast or a
// DDE conversation of another program waits for every window, often right when an installer's new
// shortcuts have started a rebuild. So it waits between passes in a message loop, never in Sleep,
// and a walk or a rebuild handles the thread's messages between folders and between entries.
//
// Shutdown sets the stop event and stops rebuilds: the wait ends at once, and a walk or a rebuild
// under way is cut short at its next folder or entry, so the thread ends and shutdown need not
// leave it standing somewhere inside the shell.

#include "catalogue/watcher.h"

#include <objbase.h>

#include <atomic>
#include <exception>
#include <utility>

#include "catalogue/build_retry.h"
#include "catalogue/menu_publication.h"
#include "catalogue/programs_tree.h"
#include "catalogue/start_menu_fs.h"
#include "presentation/item_bitmaps.h"
#include "presentation/menu_assembly.h"
#include "toolkit/menu.h"
#include "toolkit/numbered_table.h"

namespace {

struct watcher_state {
    pass_signature previous;                    // of the last build's pass; watcher thread only
    std::atomic<bool> previous_known{false};    // false: the next pass rebuilds
    build_retry retry;                          // watcher thread only; reset before it starts
    std::atomic<DWORD> interval_ms{watch_interval_ms};
    std::atomic<bool> messages_during_rebuilds{true};
    const rebuild_observer* observer = nullptr;
    HANDLE stop_event = nullptr;  // manual reset; made before the thread starts, set at shutdown
    int32_t thread = 0;           // the watcher's thread number; 0 while none was started
    DWORD last_answered = 0;      // watcher thread only: when its messages were last handled
    int32_t looks = 0;            // watcher thread only: looks for messages during walks and rebuilds
    int64_t look_ticks = 0;       // watcher thread only: their time, in performance counter ticks
};
watcher_state g_watcher;

void handle_messages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    g_watcher.last_answered = GetTickCount();
}

// Between the folders of a walk and the entries of a build: handles the thread's messages when
// their time has come; true once shutdown has stopped rebuilds.
bool checkpoint()
{
    const DWORD now = GetTickCount();
    if (g_watcher.messages_during_rebuilds.load() && now - g_watcher.last_answered >= message_answer_interval_ms) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        // Asking whether anything waits is one call; an empty PeekMessageA also flushes and polls
        // the display driver, which a rebuild would pay for a hundred times a second.
        if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0)
            handle_messages();
        else
            g_watcher.last_answered = now;
        QueryPerformanceCounter(&end);
        ++g_watcher.looks;
        g_watcher.look_ticks += end.QuadPart - start.QuadPart;
    }
    return rebuild_cancelled();
}

// The platform's file system, with a checkpoint before every folder it lists: a folder that comes
// after shutdown has stopped rebuilds cannot be opened, which ends the walk.
int enumerate_with_checkpoint(void*, const std::string& folder, std::vector<directory_entry>* entries)
{
    if (checkpoint())
        return -1;
    const file_system_ops& platform = platform_file_system();
    return platform.enumerate(platform.context, folder, entries);
}

int64_t probe_platform(void*, const std::string& path)
{
    return probe_path(path);
}

bool identify_platform(void*, const std::string& folder, folder_identity* identity)
{
    const file_system_ops& platform = platform_file_system();
    return platform.identify(platform.context, folder, identity);
}

const file_system_ops watcher_file_system = {enumerate_with_checkpoint, probe_platform, identify_platform, nullptr};

// Makes the new start menu with its pictures under numbers of the build's own, while the previous
// one stays on offer. false when it cannot be complete: shutdown cut it short, or the system
// refused a menu or an item.
bool build_menu(menu_build* build)
{
    build->menu = static_cast<int32_t>(create_popup_menu(dynamic_number));
    if (!build->menu)
        return false;
    const programs_roots roots = current_programs_roots();
    programs_tree tree = build_programs_tree(watcher_file_system, roots);
    if (rebuild_cancelled())
        return false;
    const bool built = build_start_menu(tree, roots, checkpoint);
    build->pictures = take_entry_bitmaps();
    if (!built)
        return false;
    build->folder_bitmap = make_folder_bitmap();
    attach_folder_bitmaps(build->menu, build->folder_bitmap);
    build->launch = std::move(tree.launch);
    return true;
}

// One pass; false once rebuilds are over for good.
bool watch_once()
{
    const pass_signature signature = watcher_pass(watcher_file_system, current_programs_roots());
    if (rebuild_cancelled())
        return false;
    if (g_watcher.observer && g_watcher.observer->walked)
        g_watcher.observer->walked();
    const bool changed = !g_watcher.previous_known.load() || signature != g_watcher.previous;
    if (!rebuild_due(g_watcher.retry, changed, GetTickCount()))
        return true;
    const bool complete = rebuild_programs_menu();
    g_watcher.previous = signature;
    g_watcher.previous_known.store(true);
    g_watcher.retry = after_build(g_watcher.retry, complete, GetTickCount(), g_watcher.interval_ms.load());
    return !rebuild_cancelled();
}

// Waits for the next pass, handling the thread's messages as they come; false when shutdown
// set the stop event.
bool wait_for_next_pass(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        handle_messages();
        const DWORD waited = GetTickCount() - start;
        if (rebuild_cancelled())
            return false;
        if (waited >= milliseconds)
            return true;
        DWORD wait = milliseconds - waited;
        HANDLE* stop = g_watcher.stop_event ? &g_watcher.stop_event : nullptr;
        if (!stop && wait > message_answer_interval_ms)
            wait = message_answer_interval_ms;  // without the event, stopping is noticed by looking
        if (MsgWaitForMultipleObjects(stop ? 1 : 0, stop, FALSE, wait, QS_ALLINPUT) == WAIT_OBJECT_0 && stop)
            return false;
    }
}

}  // namespace

void reset_watcher()
{
    g_watcher.previous_known.store(false);
    g_watcher.retry = build_retry{};
    if (g_watcher.stop_event)
        ResetEvent(g_watcher.stop_event);
}

bool start_watcher()
{
    // Made before the thread starts: the thread waits on it from its first pass on.
    if (!g_watcher.stop_event)
        g_watcher.stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_watcher.thread = create_thread(watch_programs, nullptr);
    return g_watcher.thread != 0;
}

bool stop_watcher(DWORD timeout_ms)
{
    stop_rebuilds();
    if (g_watcher.stop_event)
        SetEvent(g_watcher.stop_event);
    const int32_t thread = std::exchange(g_watcher.thread, 0);
    return thread == 0 || wait_for_thread(thread, timeout_ms);
}

VELMORA_CALLBACK DWORD WINAPI watch_programs(void*)
{
    // The shell's icon lookup during a rebuild needs COM on this thread.
    const HRESULT com = CoInitialize(nullptr);
    for (bool go_on = !rebuild_cancelled(); go_on;) {
        try {
            go_on = watch_once();
        } catch (const std::exception&) {
            // Memory ran out in a walk (a rebuild cleans up after itself): the next pass walks
            // again and compares what it sees with the last build.
        }
        go_on = go_on && wait_for_next_pass(g_watcher.interval_ms.load());
    }
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
    } catch (const std::exception&) {
        // Memory ran out half-way: what the build made goes below, the menu on offer stays.
    }
    if (!complete) {
        discard_build(&build);
        abandon_entry_bitmaps();  // pictures made before the build could take them
        if (g_watcher.observer && g_watcher.observer->discarded)
            g_watcher.observer->discarded();
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

message_looks message_looks_so_far()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return {g_watcher.looks, static_cast<double>(g_watcher.look_ticks) * 1000.0 / static_cast<double>(frequency.QuadPart)};
}

void set_messages_during_rebuilds(bool handled)
{
    g_watcher.messages_during_rebuilds.store(handled);
}

void observe_rebuilds(const rebuild_observer* observer)
{
    g_watcher.observer = observer;
}
