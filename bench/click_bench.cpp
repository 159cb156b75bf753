// Click-to-menu latency: from a SendInput click on the Start button to Velmora's menu on screen,
// over 50 clicks, with 1,000 entries of 20 different icons: while the program idles, and while the
// watcher rebuilds the menu back to back (a shortcut comes and goes after every rebuild), when the
// menu on offer must open at once all the same. Beside them the same figures for a bare
// TrackPopupMenu of the same menu opened directly in this process: what the mouse hook and the
// 10 ms main loop add.

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "app/rebuild.h"
#include "presentation/pictures.h"
#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "toolkit/process.h"

namespace {

constexpr int clicks = 50;

// Until a visible popup menu window ("#32768") is there (open) or gone; only one program shows
// menus at a time here. Polls every millisecond: a busy loop would take one of the two cores from
// the processes measured.
bool wait_menu_window(bool open, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    while ((IsWindowVisible(FindWindowA("#32768", nullptr)) != FALSE) != open) {
        if (GetTickCount() - start > timeout_ms)
            return false;
        Sleep(1);
    }
    return true;
}

void close_menu()
{
    test::press_key(VK_ESCAPE);
    wait_menu_window(false, 5000);
    Sleep(100);
}

struct figures {
    double median;
    double p95;
    double worst;
    int samples;
};

figures summarise(std::vector<double> values)
{
    if (values.empty())
        return {0, 0, 0, 0};
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return {values[n / 2], values[std::min(n - 1, (n * 95 + 99) / 100 - 1)], values.back(), static_cast<int>(n)};
}

figures velmora_latency(const test::velmora_session& session)
{
    // The first menu shown pays for what is made once, so it is not counted.
    if (!test::click_until_menu(session, 30000))
        return {0, 0, 0, 0};
    close_menu();

    std::vector<double> samples;
    for (int i = 0; i < clicks; ++i) {
        double start = bench::now_ms();
        test::click_start_button();
        if (!wait_menu_window(true, 5000))
            continue;
        samples.push_back(bench::now_ms() - start);
        close_menu();
    }
    return summarise(samples);
}

// The bare call: the same menu built in this process, tracked by a thread of its own.
std::atomic<double> g_track_start;
HANDLE g_track_request;
HWND g_owner;

VELMORA_CALLBACK DWORD WINAPI track_menus(void*)
{
    g_owner = CreateWindowExA(0, "Static", "owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    RECT button = {};
    GetWindowRect(test::fake_start_button(), &button);
    for (;;) {
        WaitForSingleObject(g_track_request, INFINITE);
        // The two calls with which Velmora shows its menu.
        g_track_start.store(bench::now_ms());
        SetForegroundWindow(g_owner);
        TrackPopupMenu(menu_handle(0), TPM_RIGHTBUTTON, button.left, button.top, 0, g_owner, nullptr);
    }
}

figures bare_latency()
{
    // The same menu as Velmora's, pictures included: they are found relative to the folder of
    // the programs, as Velmora finds them.
    SetCurrentDirectoryA(test::exe_folder().c_str());
    init_image_library();
    init_menu_library();
    load_graphics();
    CoInitialize(nullptr);
    rebuild_programs_menu();

    g_track_request = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, track_menus, nullptr, 0, nullptr));
    Sleep(200);
    std::vector<double> samples;
    for (int i = 0; i <= clicks; ++i) {
        SetEvent(g_track_request);
        if (!wait_menu_window(true, 5000))
            continue;
        if (i > 0)  // the first one, as with Velmora, pays for what is made once
            samples.push_back(bench::now_ms() - g_track_start.load());
        close_menu();
    }
    return summarise(samples);
}

// What the hook asks on a left press inside the button's rectangle, before it takes the press or
// lets it go on: which window lies under the cursor, and its root. Microseconds per press, the
// median of 20 batches of 1,000.
double window_query_us()
{
    RECT button = {};
    GetWindowRect(test::fake_start_button(), &button);
    const POINT point = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    std::vector<double> batches;
    int found = 0;
    for (int batch = 0; batch < 20; ++batch) {
        const double start = bench::now_ms();
        for (int i = 0; i < 1000; ++i)
            found += GetAncestor(WindowFromPoint(point), GA_ROOT) == test::fake_start_button();
        batches.push_back(bench::now_ms() - start);
    }
    if (found != 20000)
        std::printf("note: the button lay under the point in %d of 20000 looks\n", found);
    return bench::median(batches);  // ms per 1,000 = us per press
}

void report(const char* what, const figures& found)
{
    bench::report((std::string("click to menu, ") + what + ": median").c_str(), found.median, "ms");
    bench::report((std::string("click to menu, ") + what + ": 95th percentile").c_str(), found.p95, "ms");
    bench::report((std::string("click to menu, ") + what + ": worst").c_str(), found.worst, "ms");
    if (found.samples < clicks)
        std::printf("note: %d of %d menus were seen (%s)\n", found.samples, clicks, what);
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    const std::string folder = test::make_temp_folder("click_bench");
    const std::vector<std::string> templates = bench::shortcut_templates(folder);
    bench::fill_programs(1000, templates);
    bench::coming_and_going coming;
    bench::prepare_coming_and_going(&coming, folder, test::programs_folder(CSIDL_STARTMENU) + "Kommt und geht.lnk",
                                   test::fixture_path("record_launch.exe"), "");

    test::velmora_session session;
    test::start_options options;
    options.watch_interval_ms = 20;  // a change is seen at once
    if (templates.empty() || !test::start_fake_shell(session) ||
        !test::start_velmora(session, "velmora_recording.exe", options) ||
        !test::wait_for_lines(session.record_log, "rebuild end", 1, 120000)) {
        std::printf("could not start Velmora\n");
        return 1;
    }
    const figures idle = velmora_latency(session);
    std::atomic<bool> clicking{true};
    bench::worker_thread rebuilds([&] {
        while (clicking.load() && bench::drive_rebuilds(coming, session.record_log, 1, 120000)) {
        }
    });
    const int rebuilds_before = test::count_lines(session.record_log, "rebuild end");
    const figures rebuilding = velmora_latency(session);
    const int rebuilds_during = test::count_lines(session.record_log, "rebuild end") - rebuilds_before;
    clicking.store(false);
    rebuilds.join();
    test::end_session(session);

    test::velmora_session shell_only;
    test::start_fake_shell(shell_only);
    const figures bare = bare_latency();
    const double window_query = window_query_us();
    test::end_session(shell_only);
    test::clear_programs_folders();
    test::remove_tree(folder);

    report("1,000 entries, idle", idle);
    report("1,000 entries, rebuilds back to back", rebuilding);
    bench::report("rebuilds during the 50 clicks", rebuilds_during, "rebuilds", 0);
    if (idle.p95 > 0)
        bench::report("click to menu: worst during rebuilds / idle 95th percentile", rebuilding.worst / idle.p95,
                      "ratio", 2);
    report("bare TrackPopupMenu", bare);
    if (bare.median > 0)
        bench::report("click to menu: ratio of medians (Velmora idle / bare)", idle.median / bare.median, "x");
    bench::report("hook: the window under the cursor and its root, per press in the button", window_query, "us", 1);
    return 0;
}
