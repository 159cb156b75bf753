// The change watcher. The file system's change notifications are not used: every pass walks both
// Programs folders and condenses what it saw into a signature, the number of files and a hash of
// every relative path. A signature that differs from the previous pass's, or a first pass, starts
// a rebuild of the whole start menu on this thread, through the operations the application gave
// the watcher.
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
// Shutdown sets the stop event: the wait ends at once, and a walk or a rebuild under way is cut
// short at its next folder or entry, so the thread ends and shutdown need not
// leave it standing somewhere inside the shell.

#include "catalogue/watcher.h"

#include <objbase.h>

#include <exception>
#include <utility>

#include "catalogue/build_retry.h"

namespace watcher_seams {
std::atomic<DWORD> interval_ms{watch_interval_ms};
std::atomic<int32_t> messages_during_rebuilds{1};
void (*message_look)() = nullptr;
void (*walked)() = nullptr;
}  // namespace watcher_seams

namespace {

struct watcher_state {
    const watcher_operations* operations = nullptr;
    pass_signature previous;  // of the last build's pass; watcher thread only
    bool previous_known = false;  // false: the next pass rebuilds; watcher thread only
    build_retry retry;            // watcher thread only
    std::atomic<int32_t> stopping{0};
    HANDLE stop_event = nullptr;  // manual reset; made before the thread starts, set at shutdown
    int32_t thread = 0;           // the watcher's thread number; 0 while none was started
    DWORD last_answered = 0;      // watcher thread only: when its messages were last handled
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

int enumerate_with_checkpoint(void*, const std::string& folder, std::vector<directory_entry>* entries)
{
    if (watcher_checkpoint())
        return -1;
    const file_system_ops& platform = platform_file_system();
    return platform.enumerate(platform.context, folder, entries);
}

bool identify_platform(void*, const std::string& folder, folder_identity* identity)
{
    const file_system_ops& platform = platform_file_system();
    return platform.identify(platform.context, folder, identity);
}

// One pass; false once the watcher is being stopped.
bool watch_once()
{
    const pass_signature signature = watcher_pass(watched_file_system(), current_programs_roots());
    if (g_watcher.stopping.load() != 0)
        return false;
    if (watcher_seams::walked)
        watcher_seams::walked();
    const bool changed = !g_watcher.previous_known || signature != g_watcher.previous;
    if (!rebuild_due(g_watcher.retry, changed, GetTickCount()))
        return true;
    const bool complete = g_watcher.operations->rebuild();
    g_watcher.previous = signature;
    g_watcher.previous_known = true;
    g_watcher.retry = after_build(g_watcher.retry, complete, GetTickCount(), watcher_seams::interval_ms.load());
    return g_watcher.stopping.load() == 0;
}

// Waits for the next pass, handling the thread's messages as they come; false when shutdown
// set the stop event.
bool wait_for_next_pass(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        handle_messages();
        const DWORD waited = GetTickCount() - start;
        if (g_watcher.stopping.load() != 0)
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

void look_for_messages()
{
    // Asking whether anything waits is one call; an empty PeekMessageA also flushes and polls the
    // display driver, which a rebuild would pay for a hundred times a second.
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0)
        handle_messages();
    else
        g_watcher.last_answered = GetTickCount();
}

bool watcher_checkpoint()
{
    if (watcher_seams::messages_during_rebuilds.load() != 0 &&
        GetTickCount() - g_watcher.last_answered >= message_answer_interval_ms) {
        if (watcher_seams::message_look)
            watcher_seams::message_look();
        else
            look_for_messages();
    }
    return g_watcher.stopping.load() != 0;
}

const file_system_ops& watched_file_system()
{
    static const file_system_ops ops = {enumerate_with_checkpoint, identify_platform, nullptr};
    return ops;
}

bool start_watcher(const watcher_operations* operations)
{
    g_watcher.operations = operations;
    g_watcher.previous_known = false;
    g_watcher.retry = build_retry{};
    g_watcher.stopping.store(0);
    // Made before the thread starts: the thread waits on it from its first pass on.
    if (!g_watcher.stop_event)
        g_watcher.stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    else
        ResetEvent(g_watcher.stop_event);
    g_watcher.thread = create_thread(watch_programs, nullptr);
    return g_watcher.thread != 0;
}

bool stop_watcher(DWORD timeout_ms)
{
    g_watcher.stopping.store(1);
    if (g_watcher.stop_event)
        SetEvent(g_watcher.stop_event);
    const int32_t thread = std::exchange(g_watcher.thread, 0);
    return thread == 0 || wait_for_thread(thread, timeout_ms);
}

VELMORA_CALLBACK DWORD WINAPI watch_programs(void*)
{
    // The shell's icon lookup during a rebuild needs COM on this thread.
    const HRESULT com = CoInitialize(nullptr);
    for (bool go_on = g_watcher.stopping.load() == 0; go_on;) {
        try {
            go_on = watch_once();
        } catch (const std::exception&) {
            // Memory ran out in a walk (a rebuild cleans up after itself): the next pass walks
            // again and compares what it sees with the last build.
        }
        go_on = go_on && wait_for_next_pass(watcher_seams::interval_ms.load());
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}
