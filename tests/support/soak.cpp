#include "tests/support/soak.h"

#include <psapi.h>

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
        if (GetTickCount() - start > 5000)
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

namespace {

// The Linux status file of the process of this Wine prefix whose command line names program_name.
std::string linux_status_path(const char* program_name)
{
    char prefix[MAX_PATH * 2] = {};
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix))
        return "";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return "";
    std::string result;
    do {
        std::string pid = found.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string folder = "Z:\\proc\\" + pid + "\\";
        if (read_file(folder + "cmdline").find(program_name) == std::string::npos)
            continue;
        if (read_file(folder + "environ").find(std::string("WINEPREFIX=") + prefix + '\0') ==
            std::string::npos)
            continue;
        result = folder + "status";
        break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return result;
}

double resident_anonymous_kib(const std::string& status_path)
{
    for (const std::string& line : read_lines(status_path)) {
        unsigned long kib = 0;
        if (std::sscanf(line.c_str(), "RssAnon: %lu kB", &kib) == 1)
            return static_cast<double>(kib);
    }
    return -1;
}

long count_handles(HANDLE process)
{
    constexpr uintptr_t highest_probed = 0x20000;
    long count = 0;
    for (uintptr_t value = 4; value <= highest_probed; value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0,
                            FALSE, DUPLICATE_SAME_ACCESS)) {
            CloseHandle(copy);
            ++count;
        }
    }
    return count;
}

}  // namespace

process_load measure_process(HANDLE process, const char* program_name)
{
    process_load load;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory) &&
        memory.PrivateUsage)
        load.private_kib = static_cast<double>(memory.PrivateUsage) / 1024.0;
    else
        load.private_kib = resident_anonymous_kib(linux_status_path(program_name));
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles) && handles)
        load.handles = static_cast<long>(handles);
    else
        load.handles = count_handles(process);
    return load;
}

}  // namespace test
