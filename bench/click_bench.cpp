// Click-to-menu latency: from a SendInput click on the Start button to Velmora's menu on screen,
// over 50 clicks, beside the same figures for a bare TrackPopupMenu of the same menu opened directly
// in this process. The ratio shows what the mouse hook and the 10 ms main loop add.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "catalogue/programs_tree.h"
#include "catalogue/start_menu_fs.h"
#include "presentation/item_bitmaps.h"
#include "presentation/menu_assembly.h"
#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "toolkit/process.h"

namespace {

constexpr int clicks = 50;

// Until a visible popup menu window ("#32768") of the process is there (open) or gone; hidden
// windows of the class do not count. Polls every millisecond: a busy loop would take one of the two
// cores from the processes measured.
bool wait_menu_window(DWORD process_id, bool open, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    while ((test::find_process_window(process_id, "#32768") != nullptr) != open) {
        if (GetTickCount() - start > timeout_ms)
            return false;
        Sleep(1);
    }
    return true;
}

void close_menu(DWORD process_id)
{
    test::press_key(VK_ESCAPE);
    wait_menu_window(process_id, false, 5000);
    Sleep(100);
}

struct figures {
    double median;
    double p95;
    int samples;
};

figures summarise(std::vector<double> values)
{
    if (values.empty())
        return {0, 0, 0};
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return {values[n / 2], values[std::min(n - 1, (n * 95 + 99) / 100 - 1)], static_cast<int>(n)};
}

figures velmora_latency(test::velmora_session& session)
{
    // The first menu is built by the watcher shortly after start-up; a click before it shows
    // nothing. The first menu shown also pays for what is made once, so it is not counted.
    bool ready = false;
    for (int attempt = 0; attempt < 30 && !ready; ++attempt) {
        test::click_start_button();
        ready = wait_menu_window(session.velmora.id, true, 1000);
    }
    if (!ready)
        return {0, 0, 0};
    close_menu(session.velmora.id);

    std::vector<double> samples;
    for (int i = 0; i < clicks; ++i) {
        double start = bench::now_ms();
        test::click_start_button();
        if (!wait_menu_window(session.velmora.id, true, 5000))
            continue;
        samples.push_back(bench::now_ms() - start);
        close_menu(session.velmora.id);
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
    create_popup_menu(0);
    build_start_menu(build_programs_tree(platform_file_system(), current_programs_roots()));
    make_folder_bitmap();
    attach_folder_bitmaps();

    g_track_request = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, track_menus, nullptr, 0, nullptr));
    Sleep(200);
    std::vector<double> samples;
    DWORD self = GetCurrentProcessId();
    for (int i = 0; i <= clicks; ++i) {
        SetEvent(g_track_request);
        if (!wait_menu_window(self, true, 5000))
            continue;
        if (i > 0)  // the first one, as with Velmora, pays for what is made once
            samples.push_back(bench::now_ms() - g_track_start.load());
        close_menu(self);
    }
    return summarise(samples);
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    test::velmora_session session;
    if (!test::start_fake_shell(session) || !test::start_velmora(session, "Velmora.exe")) {
        std::printf("could not start Velmora\n");
        return 1;
    }
    figures velmora = velmora_latency(session);
    test::end_session(session);

    test::velmora_session shell_only;
    test::start_fake_shell(shell_only);
    figures bare = bare_latency();
    test::end_session(shell_only);

    bench::report("click to menu: Velmora median (50 clicks)", velmora.median, "ms");
    bench::report("click to menu: Velmora 95th percentile", velmora.p95, "ms");
    bench::report("TrackPopupMenu directly: median", bare.median, "ms");
    bench::report("TrackPopupMenu directly: 95th percentile", bare.p95, "ms");
    if (bare.median > 0)
        bench::report("click to menu: ratio of medians (Velmora / direct)", velmora.median / bare.median,
                      "x");
    if (velmora.samples < clicks || bare.samples < clicks)
        std::printf("note: %d and %d of %d menus were seen\n", velmora.samples, bare.samples, clicks);
    return 0;
}
