#pragma once
// What every benchmark needs: a millisecond clock, a median, and the result line that
// scripts/bench.sh gathers ("BENCH<TAB>name<TAB>value<TAB>unit"); and start menus of many
// shortcuts with different icons.

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
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

}  // namespace bench
