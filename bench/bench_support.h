#pragma once
// What every benchmark needs: a millisecond clock, a median, and the result line that
// scripts/bench.sh gathers ("BENCH<TAB>name<TAB>value<TAB>unit"); start menus of many shortcuts
// with different icons; work on a thread of its own; and load from outside: a shortcut that comes
// and goes, so that every pass of the watcher rebuilds.

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/image_files.h"
#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace bench {

constexpr int shortcut_icons = 20;
constexpr int programs_per_folder = 50;

inline double now_ms()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// 0 for no values.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Flushed at once: a benchmark that fails later keeps the figures it has printed.
inline void report(const char* name, double value, const char* unit, int decimals = 1)
{
    std::printf("BENCH\t%s\t%.*f\t%s\n", name, decimals, value, unit);
    std::fflush(stdout);
}

// Under Wine: the path of one file ("stat", "status"...) in the /proc folder of the Linux process of
// this prefix whose command line holds name; "" when there is none. Wine answers several questions
// about another process with zeros; Linux has the figures.
inline std::string linux_process_file(const char* name, const char* file)
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
        if (test::read_file(folder + "cmdline").find(name) == std::string::npos)
            continue;
        if (test::read_file(folder + "environ").find(std::string("WINEPREFIX=") + prefix + '\0') ==
            std::string::npos)
            continue;
        result = folder + file;
        break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return result;
}

// Wine starts a menu builder for every shortcut saved through the shell; while they work, the
// machine is not at rest. Waits until none runs, at most 30 s.
inline void wait_for_menu_builders()
{
    for (int i = 0; i < 300; ++i) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        bool running = false;
        for (BOOL more = Process32First(snapshot, &entry); more && !running; more = Process32Next(snapshot, &entry))
            running = lstrcmpiA(entry.szExeFile, "winemenubuilder.exe") == 0;
        CloseHandle(snapshot);
        if (!running)
            return;
        Sleep(100);
    }
}

// The bytes of 20 shortcuts to the launch recorder, each showing an icon file of its own, made in
// folder; none when they cannot be made.
inline std::vector<std::string> shortcut_templates(const std::string& folder)
{
    std::vector<std::string> templates;
    for (int i = 0; i < shortcut_icons; ++i) {
        const std::string ico = folder + "icon" + std::to_string(i) + ".ico";
        const std::string lnk = folder + "template" + std::to_string(i) + ".lnk";
        const COLORREF colour = RGB(20 + 11 * i, 230 - 9 * i, (60 + 97 * i) % 256);
        if (!test::write_file(ico, test::ico_bytes(i % 2 ? 32 : 16, colour, 2)) ||
            !test::create_shortcut(lnk, test::fixture_path("record_launch.exe"), "", "", ico))
            return {};
        templates.push_back(test::read_file(lnk));
    }
    wait_for_menu_builders();
    return templates;
}

// Empties both Programs folders, then fills the user's with entries of the shortcuts in folders of
// 50, their icons taking turns, as start menus on real machines look; their paths.
inline std::vector<std::string> fill_programs(int entries, const std::vector<std::string>& templates)
{
    test::clear_programs_folders();
    const std::string programs = test::programs_folder(CSIDL_STARTMENU);
    std::vector<std::string> paths;
    char name[64];
    for (int i = 0; i < entries; ++i) {
        std::snprintf(name, sizeof name, "Gruppe %04d\\", i / programs_per_folder);
        if (i % programs_per_folder == 0)
            test::make_folders(programs + name);
        paths.push_back(programs + name + "Programm " + std::to_string(i) + ".lnk");
        test::write_file(paths.back(), templates[static_cast<size_t>(i % shortcut_icons)]);
    }
    return paths;
}

// Work on a Win32 thread of its own (the release toolchains' C++ runtime has no std::thread), waited
// for by join() or the destructor.
class worker_thread {
public:
    explicit worker_thread(std::function<void()> work)
        : work_(std::move(work)), handle_(CreateThread(nullptr, 0, run, this, 0, nullptr))
    {
    }
    ~worker_thread() { join(); }
    worker_thread(const worker_thread&) = delete;
    worker_thread& operator=(const worker_thread&) = delete;

    void join()
    {
        if (handle_) {
            WaitForSingleObject(handle_, INFINITE);
            CloseHandle(std::exchange(handle_, nullptr));
        }
    }

private:
    static VELMORA_CALLBACK DWORD WINAPI run(void* self)
    {
        static_cast<worker_thread*>(self)->work_();
        return 0;
    }
    std::function<void()> work_;
    HANDLE handle_;
};

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
    return test::create_shortcut(shortcut->parked, target, arguments, "");
}

// Moves the shortcut in or out and waits for one more finished rebuild, rebuilds times, pause_ms(i)
// milliseconds apart. false when a rebuild did not come within timeout_ms.
inline bool drive_rebuilds(coming_and_going& shortcut, const std::string& log, int rebuilds, DWORD timeout_ms,
                           int (*pause_ms)(int i) = nullptr)
{
    for (int i = 0, done = test::count_lines(log, "rebuild end"); i < rebuilds; ++i, ++done) {
        // The shell may hold the shortcut open for a moment (its icon, a launch): try again then.
        const std::wstring from = test::wide(shortcut.present ? shortcut.placed : shortcut.parked);
        const std::wstring to = test::wide(shortcut.present ? shortcut.parked : shortcut.placed);
        if (!test::wait_until([&] { return MoveFileW(from.c_str(), to.c_str()) != FALSE; }, 30000, 10))
            return false;
        shortcut.present = !shortcut.present;
        if (!test::wait_until([&] { return test::count_lines(log, "rebuild end") > done; }, timeout_ms, 5))
            return false;
        if (pause_ms)
            Sleep(static_cast<DWORD>(pause_ms(i)));
    }
    return true;
}

}  // namespace bench
