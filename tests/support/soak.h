#pragma once
// Loading the start menu from outside, for the fault tests and the soak benchmarks: a shortcut that
// comes and goes below a Programs folder, so that every pass of the change watcher sees a change
// and rebuilds; and the figures the recording build logs after each rebuild.

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// A shortcut moved between a parking folder and its place below a Programs folder. A rename on
// one volume is atomic, so the watcher never sees it half written.
struct coming_and_going {
    std::string parked;  // where the shortcut waits while it is away
    std::string placed;  // its path below the Programs folder
    bool present = false;
};
// Makes the shortcut (to target with arguments) in parking and leaves it there. Needs COM.
bool prepare_coming_and_going(coming_and_going* shortcut, const std::string& parking_folder,
                              const std::string& placed_path, const std::string& target,
                              const std::string& arguments);
bool toggle(coming_and_going& shortcut);

// After each rebuild the recording build logs "resources images=N gdi=N menus=N".
struct live_resources {
    int images = -1;
    int gdi = -1;
    int menus = -1;
};
// One element per rebuild, in order.
std::vector<live_resources> logged_resources(const std::string& log);

// Toggles the shortcut and waits until the log shows one more finished rebuild, rebuilds times.
// Between two toggles it waits pause_ms(i) milliseconds (nullptr: none). False when a rebuild
// did not come within timeout_ms.
bool drive_rebuilds(coming_and_going& shortcut, const std::string& log, int rebuilds,
                    DWORD timeout_ms, int (*pause_ms)(int i) = nullptr);

}  // namespace test
