#pragma once
// The change watcher thread: every 5000 ms it walks both Programs folders and has the start menu
// rebuilt when what it sees differs from the previous pass, or, after a build that did not
// complete, when its back-off has passed (build_retry.h). What a rebuild makes lies above the
// catalogue; the watcher starts it through the operations it is given.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "catalogue/start_menu_fs.h"
#include "toolkit/process.h"

constexpr DWORD watch_interval_ms = 5000;
// The longest a walk or a rebuild goes without handling the thread's messages.
constexpr DWORD message_answer_interval_ms = 10;

struct watcher_operations {
    // Builds the start menu from what lies below the Programs folders now and hands it over, on
    // the watcher thread; false when the build did not come to its end. Throws nothing.
    bool (*rebuild)();
};

// Starts the watcher thread, once, at start-up; its first pass rebuilds whatever it sees. false
// when it could not be started.
bool start_watcher(const watcher_operations* operations);
// Shutdown: wakes the watcher and waits up to timeout_ms for its thread to end, handling the
// calling thread's messages meanwhile. A walk under way is cut short at its next folder, and so is
// a rebuild that asks watcher_checkpoint. true when the thread has ended, or never ran.
bool stop_watcher(DWORD timeout_ms);

// The watcher thread's procedure; its argument is ignored. It returns once the
// watcher has been stopped.
VELMORA_CALLBACK DWORD WINAPI watch_programs(void* argument);

// For walks and rebuilds on the watcher thread, between folders and entries: handles the thread's
// messages when their time has come; true once the watcher is being stopped.
bool watcher_checkpoint();
// The platform's file system, with a watcher_checkpoint before every folder it lists: a folder
// that comes after the watcher was told to stop cannot be opened, which ends the walk.
const file_system_ops& watched_file_system();

// What tests and benchmarks change; the program only reads them.
namespace watcher_seams {
// The pause between two passes: watch_interval_ms.
extern std::atomic<DWORD> interval_ms;
// Whether walks and rebuilds stop every message_answer_interval_ms to handle messages.
extern std::atomic<int32_t> messages_during_rebuilds;
// Called at every such stop in place of look_for_messages (which it may call), nullptr for none.
extern void (*message_look)();
// Told after every walk of the folders, nullptr for none.
extern void (*walked)();
}  // namespace watcher_seams

// One look: handles the thread's messages if any wait.
void look_for_messages();

inline void set_watch_interval(DWORD milliseconds)
{
    watcher_seams::interval_ms.store(milliseconds);
}
inline void set_messages_during_rebuilds(bool handled)
{
    watcher_seams::messages_during_rebuilds.store(handled ? 1 : 0);
}
