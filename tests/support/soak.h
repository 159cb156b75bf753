#pragma once
// Load from outside, for the failed-build tests and the soak benchmark: a shortcut that comes and goes
// below a Programs folder, so that every pass of the watcher rebuilds, and the figures the
// recording build logs after each rebuild.

#include "tests/support/velmora_session.h"

namespace test {

// A shortcut moved between a parking folder and its place; a rename is atomic, so the watcher never
// sees it half written.
struct coming_and_going {
    std::string parked, placed;
    bool present = false;
};
// Makes the shortcut (to target with arguments) in parking_folder and leaves it there. Needs COM.
inline bool prepare_coming_and_going(coming_and_going* shortcut, const std::string& parking_folder,
                                     const std::string& placed_path, const std::string& target,
                                     const std::string& arguments)
{
    *shortcut = {parking_folder + placed_path.substr(placed_path.find_last_of('\\') + 1), placed_path, false};
    return create_shortcut(shortcut->parked, target, arguments, "");
}

// "<opening> images=N gdi=N menus=N table=N" lines of the recording build, in order: "resources"
// after every rebuild handed over, "rebuild discarded, left" after every one discarded.
struct live_resources {
    int images = -1, gdi = -1, menus = -1, table = -1;
};
inline std::vector<live_resources> logged_resources(const std::string& log, const std::string& opening = "resources")
{
    std::vector<live_resources> found;
    for (const std::string& line : lines_containing(log, opening + " images=")) {
        live_resources r;
        if (std::sscanf(line.c_str() + opening.size(), " images=%d gdi=%d menus=%d table=%d", &r.images, &r.gdi,
                        &r.menus, &r.table) == 4)
            found.push_back(r);
    }
    return found;
}

// Moves the shortcut in or out and waits for one more finished rebuild, rebuilds times, pause_ms(i)
// milliseconds apart. false when a rebuild did not come within timeout_ms.
inline bool drive_rebuilds(coming_and_going& shortcut, const std::string& log, int rebuilds, DWORD timeout_ms,
                           int (*pause_ms)(int i) = nullptr)
{
    for (int i = 0, done = count_lines(log, "rebuild end"); i < rebuilds; ++i, ++done) {
        // The shell may hold the shortcut open for a moment (its icon, a launch): try again then.
        const std::string& from = shortcut.present ? shortcut.placed : shortcut.parked;
        const std::string& to = shortcut.present ? shortcut.parked : shortcut.placed;
        if (!wait_until([&] { return MoveFileA(from.c_str(), to.c_str()) != FALSE; }, 30000, 10))
            return false;
        shortcut.present = !shortcut.present;
        if (!wait_until([&] { return count_lines(log, "rebuild end") > done; }, timeout_ms, 5))
            return false;
        if (pause_ms)
            Sleep(static_cast<DWORD>(pause_ms(i)));
    }
    return true;
}

}  // namespace test
