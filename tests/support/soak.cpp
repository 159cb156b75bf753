#include "tests/support/soak.h"

#include <cstdio>

#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace test {

bool prepare_coming_and_going(coming_and_going* shortcut, const std::string& parking_folder,
                              const std::string& placed_path, const std::string& target,
                              const std::string& arguments)
{
    shortcut->parked = parking_folder + placed_path.substr(placed_path.find_last_of('\\') + 1);
    shortcut->placed = placed_path;
    shortcut->present = false;
    return create_shortcut(shortcut->parked, target, arguments, "");
}

bool toggle(coming_and_going& shortcut)
{
    const std::string& from = shortcut.present ? shortcut.placed : shortcut.parked;
    const std::string& to = shortcut.present ? shortcut.parked : shortcut.placed;
    // The shell may hold the shortcut open for a moment (its icon, a launch): try again then.
    DWORD start = GetTickCount();
    while (!MoveFileA(from.c_str(), to.c_str())) {
        if (GetTickCount() - start > 30000)
            return false;
        Sleep(10);
    }
    shortcut.present = !shortcut.present;
    return true;
}

std::vector<live_resources> logged_resources(const std::string& log)
{
    std::vector<live_resources> found;
    for (const std::string& line : lines_containing(log, "resources ")) {
        live_resources r;
        if (std::sscanf(line.c_str(), "resources images=%d gdi=%d menus=%d", &r.images, &r.gdi,
                        &r.menus) == 3)
            found.push_back(r);
    }
    return found;
}

bool drive_rebuilds(coming_and_going& shortcut, const std::string& log, int rebuilds,
                    DWORD timeout_ms, int (*pause_ms)(int i))
{
    int done = count_lines(log, "rebuild end");
    for (int i = 0; i < rebuilds; ++i) {
        if (!toggle(shortcut))
            return false;
        ++done;
        DWORD start = GetTickCount();
        while (count_lines(log, "rebuild end") < done) {
            if (GetTickCount() - start > timeout_ms)
                return false;
            Sleep(5);
        }
        if (pause_ms)
            Sleep(static_cast<DWORD>(pause_ms(i)));
    }
    return true;
}

}  // namespace test
