// A whole rebuild as the change watcher runs it (scan both roots, build the new start menu beside
// the one on offer, hand it over), on Programs folders of 1,000 and 10,000 entries whose shortcuts
// use 20 different icons, in folders of 50 as on real machines: a first build, with nothing to keep
// (the time to its plain menu, to its pictured one, and their ratio), then the rebuild after one
// shortcut was added and after every shortcut was changed, each against the first build. Beside
// it, what a picture costs at the shell, per shortcut: its small icon, against its place in the
// shell's list of small icons, both asked for by path; and the place as the rebuild asks for it,
// by the file's name in its folder bound once (fetch_entry_icon), drawing each place once per build.
// And the thread's messages during a rebuild of 1,000 entries: the longest a message posted to the
// rebuilding thread waits to be handled, and the rebuild's time with the handling against without.
// Prints "BENCH<TAB>name<TAB>value<TAB>unit" lines; a ratio near 10 means a linear rebuild.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "catalogue/start_menu_fs.h"
#include "app/menu_publication_state.h"
#include "app/rebuild.h"
#include "catalogue/watcher.h"
#include "presentation/item_bitmaps.h"
#include "presentation/pictures.h"
#include "tests/support/test_support.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "toolkit/process.h"

namespace {

// The program entries (ids 1 to 10000) of a menu and its submenus that show no bitmap.
int unpictured_entries(HMENU menu)
{
    int count = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item);
        if (item.hSubMenu)
            count += unpictured_entries(item.hSubMenu);
        else if (item.wID >= 1 && item.wID <= 10000 && !item.hbmpUnchecked)
            ++count;
    }
    return count;
}

// A figure of one tree size: "<name>_<entries>".
void report(const char* name, int entries, double value, const char* unit)
{
    char full_name[64];
    std::snprintf(full_name, sizeof full_name, "%s_%d", name, entries);
    bench::report(full_name, value, unit, 3);
}

// Median milliseconds of one SHGetFileInfoA call with flags over the files.
double lookup_ms(const std::vector<std::string>& paths, UINT flags)
{
    std::vector<double> times;
    for (const std::string& path : paths) {
        SHFILEINFOA info = {};
        const double start = bench::now_ms();
        const DWORD_PTR found = SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, flags);
        times.push_back(bench::now_ms() - start);
        if (found && (flags & SHGFI_ICON))
            DestroyIcon(info.hIcon);
    }
    return bench::median(times);
}

// When the last rebuild handed over its plain menu, 0 when it did not.
double g_plain_at;
const rebuild_observer plain_menu_clock = {nullptr, nullptr, nullptr, nullptr, [] { g_plain_at = bench::now_ms(); }};

// A rebuild that finds nothing to keep, as the first one after start-up.
bool whole_rebuild()
{
    reset_menu_publication();
    return rebuild_programs_menu();
}

// A rebuild, reported under name: its time to the plain menu, if one came first, and to the
// pictured one, their ratio, and the pictured one's against first (a first build's milliseconds,
// 0 for none); its milliseconds.
double timed_rebuild(const std::string& name, int entries, double first)
{
    g_plain_at = 0;
    const double start = bench::now_ms();
    if (!(first > 0 ? rebuild_programs_menu() : whole_rebuild()))
        std::fprintf(stderr, "rebuild_bench: the rebuild %s of %d entries did not end\n", name.c_str(), entries);
    const double taken = bench::now_ms() - start, plain = g_plain_at > 0 ? g_plain_at - start : 0;
    report((name + "_plain_menu").c_str(), entries, plain, "ms");
    report(name.c_str(), entries, taken, "ms");
    report((name + "_plain_to_pictured").c_str(), entries, plain / taken, "ratio");
    if (first > 0)
        report((name + "_against_first_build").c_str(), entries, taken / first, "ratio");
    return taken;
}

// Every shortcut of paths written anew, a second later than it was.
void change_every_shortcut(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        HANDLE file = CreateFileW(test::wide(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME written = {};
        GetFileTime(file, nullptr, nullptr, &written);
        ULARGE_INTEGER later = {{written.dwLowDateTime, written.dwHighDateTime}};
        later.QuadPart += 10000000;
        written = {later.LowPart, later.HighPart};
        SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
}

// The first build of entries shortcuts, then a rebuild after one more and one after a change to
// every one; the first build's milliseconds.
double rebuild(int entries, const std::vector<std::string>& templates)
{
    std::vector<std::string> paths = bench::fill_programs(entries, templates);
    if (entries == 1000) {
        lookup_ms(paths, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);  // the shell's first answers cost more
        const double icon = lookup_ms(paths, SHGFI_ICON | SHGFI_SMALLICON);
        const double index = lookup_ms(paths, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        report("shell_icon_lookup", entries, icon, "ms");
        report("shell_index_lookup", entries, index, "ms");
        report("shell_icon_to_index", entries, index > 0 ? icon / index : 0, "ratio");
        std::vector<double> fetches;
        begin_entry_bitmaps(current_programs_roots());
        for (const std::string& path : paths) {
            const std::size_t programs = path.find("Programs\\");
            const double start = bench::now_ms();
            fetch_entry_icon(path.substr(programs, path.size() - programs - 4), source_user_lnk);
            fetches.push_back(bench::now_ms() - start);
        }
        take_entry_bitmaps();
        report("fetch_entry_icon", entries, bench::median(fetches), "ms");
    }
    const double taken = timed_rebuild("rebuild_whole", entries, 0);
    report("rebuild_per_entry", entries, taken * 1000.0 / entries, "us");
    report("entries_without_picture", entries, unpictured_entries(menu_handle(0)), "entries");
    report("live_images", entries, live_image_count(), "images");
    report("live_gdi_objects", entries, test::live_gdi_objects(), "objects");

    paths.push_back(paths.back().substr(0, paths.back().find_last_of('\\') + 1) + "Noch eins.lnk");
    test::write_file(paths.back(), templates[0]);
    timed_rebuild("rebuild_one_added", entries, taken);
    change_every_shortcut(paths);
    timed_rebuild("rebuild_all_changed", entries, taken);
    return taken;
}

// Messages posted to the rebuilding thread every few milliseconds while a rebuild runs: when each
// was posted and when the thread took it (seen by a hook on its message retrieval).
constexpr UINT probe_message = WM_APP + 11;
constexpr int max_probes = 20000;
std::vector<double> g_posted(max_probes), g_taken(max_probes);
std::atomic<int> g_probes{0};
std::atomic<bool> g_rebuilding{false};
DWORD g_rebuild_thread;

VELMORA_CALLBACK LRESULT CALLBACK note_probe(int code, WPARAM wparam, LPARAM lparam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lparam);
    if (code == HC_ACTION && message->message == probe_message && message->wParam < max_probes &&
        g_taken[message->wParam] == 0)
        g_taken[message->wParam] = bench::now_ms();
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

VELMORA_CALLBACK DWORD WINAPI post_probes(void*)
{
    while (g_rebuilding.load() && g_probes.load() < max_probes) {
        const int probe = g_probes.load();
        g_posted[probe] = bench::now_ms();
        g_probes.store(probe + 1);
        PostThreadMessageA(g_rebuild_thread, probe_message, static_cast<WPARAM>(probe), 0);
        Sleep(5);
    }
    return 0;
}

// One rebuild while probes are posted; the longest wait of a probe, in milliseconds.
double longest_message_wait()
{
    g_probes = 0;
    std::fill(g_taken.begin(), g_taken.end(), 0.0);
    g_rebuild_thread = GetCurrentThreadId();
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, note_probe, nullptr, g_rebuild_thread);
    g_rebuilding = true;
    HANDLE poster = CreateThread(nullptr, 0, post_probes, nullptr, 0, nullptr);
    whole_rebuild();
    g_rebuilding = false;
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    test::pump_messages(50);  // the probes the rebuild left waiting are taken now
    UnhookWindowsHookEx(hook);
    double longest = 0;
    for (int probe = 0; probe < g_probes.load(); ++probe)
        longest = std::max(longest, g_taken[probe] - g_posted[probe]);
    return longest;
}

// The looks for messages during walks and rebuilds on this thread, and their time, messages
// handled included.
struct message_looks {
    int32_t looks;
    double milliseconds;
};
message_looks g_looks{0, 0.0};

void timed_look()
{
    const double start = bench::now_ms();
    look_for_messages();
    g_looks.milliseconds += bench::now_ms() - start;
    ++g_looks.looks;
}

// The rebuild of 1,000 entries with and without handling the thread's messages between entries.
void message_figures(const std::vector<std::string>& templates)
{
    bench::fill_programs(1000, templates);
    whole_rebuild();  // the shell's first answers cost more
    bench::report("rebuild_message_wait_longest_1000", longest_message_wait(), "ms", 1);
    set_messages_during_rebuilds(false);
    bench::report("rebuild_message_wait_longest_unhandled_1000", longest_message_wait(), "ms", 1);
    // In turns, each way first every other time; the machine's own drift falls on both.
    std::vector<double> with, without;
    message_looks looked{0, 0.0};
    watcher_seams::message_look = timed_look;
    for (int run = 0; run < 9; ++run) {
        for (const bool second : {false, true}) {
            const bool handled = (run % 2 == 0) != second;
            set_messages_during_rebuilds(handled);
            const message_looks before = g_looks;
            const double start = bench::now_ms();
            whole_rebuild();
            (handled ? with : without).push_back(bench::now_ms() - start);
            const message_looks after = g_looks;
            looked.looks += after.looks - before.looks;
            looked.milliseconds += after.milliseconds - before.milliseconds;
        }
    }
    set_messages_during_rebuilds(true);
    watcher_seams::message_look = nullptr;
    const double handled = bench::median(with), unhandled = bench::median(without);
    const auto [fastest, slowest] = std::minmax_element(without.begin(), without.end());
    bench::report("rebuild_with_messages_1000", handled, "ms", 1);
    bench::report("rebuild_without_messages_1000", unhandled, "ms", 1);
    bench::report("rebuild_without_messages_spread_1000", unhandled > 0 ? (*slowest - *fastest) / unhandled * 100 : 0,
                  "%", 1);
    // What the looks themselves cost, measured inside the rebuild: free of the machine's drift.
    const int runs = static_cast<int>(with.size());
    bench::report("rebuild_message_looks_1000", static_cast<double>(looked.looks) / runs, "looks", 0);
    bench::report("rebuild_message_look_time_1000", looked.milliseconds / runs, "ms", 2);
    bench::report("rebuild_message_look_share_1000", handled > 0 ? looked.milliseconds / runs / handled * 100 : 0, "%",
                  2);
    bench::report("rebuild_messages_cost_ratio_1000", unhandled > 0 ? handled / unhandled : 0, "ratio", 3);
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    init_menu_library();
    init_image_library();
    observe_rebuilds(&plain_menu_clock);
    const std::string folder = test::make_temp_folder("rebuild_bench");
    const std::vector<std::string> templates = bench::shortcut_templates(folder);
    if (templates.empty()) {
        std::fprintf(stderr, "rebuild_bench: cannot make the shortcut files\n");
        return 1;
    }
    message_figures(templates);
    const double small = rebuild(1000, templates);
    const double large = rebuild(10000, templates);
    bench::report("rebuild_whole_ratio_10000_to_1000", small > 0 ? large / small : 0, "ratio", 2);

    test::clear_programs_folders();
    test::remove_tree(folder);
    CoUninitialize();
    return 0;
}
