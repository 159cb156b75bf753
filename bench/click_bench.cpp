// Click-to-menu latency: from a SendInput click on the Start button to Velmora's menu on screen,
// over 50 clicks, beside the same figures for a bare TrackPopupMenu of the same menu opened directly
// in this process. The ratio shows what the mouse hook and the 10 ms main loop add.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/programs_tree.h"
#include "catalogue/start_menu_fs.h"
#include "presentation/item_bitmaps.h"
#include "presentation/menu_assembly.h"
#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"

namespace {

constexpr int clicks = 50;

double now_ms()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

HWND wait_menu_window(DWORD process_id, bool open, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND menu = FindWindowA("#32768", nullptr);
        DWORD owner = 0;
        if (menu)
            GetWindowThreadProcessId(menu, &owner);
        bool visible = menu && IsWindowVisible(menu) && (!process_id || owner == process_id);
        if (visible == open)
            return open ? menu : reinterpret_cast<HWND>(1);
        if (GetTickCount() - start > timeout_ms)
            return nullptr;
        Sleep(0);
    }
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
    std::vector<double> samples;
    for (int i = 0; i < clicks; ++i) {
        double start = now_ms();
        test::click_start_button();
        if (!wait_menu_window(session.velmora.id, true, 5000))
            continue;
        samples.push_back(now_ms() - start);
        test::press_key(VK_ESCAPE);
        wait_menu_window(session.velmora.id, false, 5000);
        Sleep(100);
    }
    return summarise(samples);
}

// The bare call: the same menu built in this process, tracked by a thread of its own.
std::atomic<double> g_track_start;
HANDLE g_track_request;
HWND g_owner;

DWORD WINAPI track_menus(void*)
{
    g_owner = CreateWindowExA(0, "Static", "owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    RECT button = {};
    GetWindowRect(test::fake_start_button(), &button);
    for (;;) {
        WaitForSingleObject(g_track_request, INFINITE);
        SetForegroundWindow(g_owner);
        g_track_start.store(now_ms());
        TrackPopupMenu(menu_handle(0), TPM_RIGHTBUTTON, button.left, button.top, 0, g_owner, nullptr);
    }
}

figures bare_latency()
{
    init_image_library();
    init_menu_library();
    create_popup_menu(0);
    build_start_menu(build_programs_tree(platform_file_system(), current_programs_roots()));
    make_folder_bitmap();
    attach_folder_bitmaps();

    g_track_request = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, track_menus, nullptr, 0, nullptr));
    Sleep(200);
    std::vector<double> samples;
    DWORD self = GetCurrentProcessId();
    for (int i = 0; i < clicks; ++i) {
        SetEvent(g_track_request);
        if (!wait_menu_window(self, true, 5000))
            continue;
        samples.push_back(now_ms() - g_track_start.load());
        test::press_key(VK_ESCAPE);
        wait_menu_window(self, false, 5000);
        Sleep(100);
    }
    return summarise(samples);
}

void print(const char* name, double value, const char* unit)
{
    std::printf("BENCH\t%s\t%.1f\t%s\n", name, value, unit);
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
    Sleep(6000);  // the first menu build
    figures velmora = velmora_latency(session);
    test::end_session(session);

    test::velmora_session shell_only;
    test::start_fake_shell(shell_only);
    figures bare = bare_latency();
    test::end_session(shell_only);

    print("click to menu: Velmora median (50 clicks)", velmora.median, "ms");
    print("click to menu: Velmora 95th percentile", velmora.p95, "ms");
    print("TrackPopupMenu directly: median", bare.median, "ms");
    print("TrackPopupMenu directly: 95th percentile", bare.p95, "ms");
    if (bare.median > 0)
        print("click to menu: ratio of medians (Velmora / direct)", velmora.median / bare.median, "x");
    if (velmora.samples < clicks || bare.samples < clicks)
        std::printf("note: %d and %d of %d menus were seen\n", velmora.samples, bare.samples, clicks);
    return 0;
}
