// The "Informationen" window: opening it while none is open, closing it, and replacing an open one
// (choosing "Informationen" again while it is shown), each the median time of the call, after
// which the window is on screen or gone. Between the calls the toolkit's event loop runs.
//
// Under Wine without a window manager, hiding a mapped X window that Wine lets a window manager
// manage (a captioned or activated window) waits up to 2 s for a WM_STATE change that only a
// window manager makes; closing, and so replacing, pays it. The X11 driver reads its "Managed"
// option once per process when it loads, before main, so the benchmark runs itself once more as a
// child with Managed=N set for this program alone (HKCU\Software\Wine\AppDefaults\<exe>\X11 Driver);
// the child's figures end in "_unmanaged".

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "about/about_window.h"
#include "bench/bench_support.h"
#include "presentation/pictures.h"
#include "tests/support/test_support.h"
#include "toolkit/control.h"
#include "toolkit/image.h"
#include "toolkit/window.h"

namespace {

constexpr int repetitions = 7;
constexpr double settle_ms = 100;
constexpr char unmanaged_switch[] = "--unmanaged";
constexpr DWORD child_timeout_ms = 120000;

template <typename Work>
double timed_ms(Work work)
{
    double start = bench::now_ms();
    work();
    return bench::now_ms() - start;
}

// The messages of the shown window, handled as the main loop handles them.
void run_event_loop(double ms)
{
    const double end = bench::now_ms() + ms;
    while (bench::now_ms() < end)
        wait_event(10);
}

bool about_window_shown()
{
    HWND window = window_handle(about_window_number);
    return window && IsWindowVisible(window);
}

struct figures {
    double first_open_ms = 0;
    double close_ms = 0;
    double replace_ms = 0;
};

bool measure(figures* result)
{
    std::vector<double> first, closing, replacing;
    bool shown = true;
    for (int i = 0; i < repetitions; ++i) {
        first.push_back(timed_ms(open_about_window));
        shown = shown && about_window_shown();
        run_event_loop(settle_ms);
        closing.push_back(timed_ms([] { close_window(about_window_number); }));
        run_event_loop(settle_ms);
    }
    open_about_window();
    run_event_loop(settle_ms);
    for (int i = 0; i < repetitions; ++i) {
        replacing.push_back(timed_ms(open_about_window));
        shown = shown && about_window_shown();
        run_event_loop(settle_ms);
    }
    close_window(about_window_number);
    if (!shown) {
        std::fprintf(stderr, "about_window_bench: the about window was not shown\n");
        return false;
    }
    *result = {bench::median(first), bench::median(closing), bench::median(replacing)};
    return true;
}

void report(const figures& result, const char* suffix)
{
    const std::string tail = suffix;
    bench::report(("about_window_first_open" + tail).c_str(), result.first_open_ms, "ms", 2);
    bench::report(("about_window_close" + tail).c_str(), result.close_ms, "ms", 2);
    bench::report(("about_window_replace" + tail).c_str(), result.replace_ms, "ms", 2);
}

bool under_wine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

HANDLE inheritable(HANDLE handle)
{
    HANDLE copy = nullptr;
    if (handle && handle != INVALID_HANDLE_VALUE)
        DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS);
    return copy;
}

// This program again with Managed=N, printing its result lines to the same output. The setting
// is removed afterwards, with the keys it needed when they were made for it.
bool run_unmanaged_child()
{
    char exe[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (!length || length >= sizeof exe)
        return false;
    const char* name = std::strrchr(exe, '\\');
    const std::string app_key = std::string("Software\\Wine\\AppDefaults\\") + (name ? name + 1 : exe);
    const std::string driver_key = app_key + "\\X11 Driver";

    HKEY app = nullptr;
    HKEY driver = nullptr;
    DWORD app_made = 0;
    DWORD driver_made = 0;
    bool set = RegCreateKeyExA(HKEY_CURRENT_USER, app_key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &app,
                               &app_made) == ERROR_SUCCESS &&
               RegCreateKeyExA(app, "X11 Driver", 0, nullptr, 0, KEY_WRITE, nullptr, &driver, &driver_made) ==
                   ERROR_SUCCESS &&
               RegSetValueExA(driver, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2) == ERROR_SUCCESS;

    long exit_code = -1;
    if (set) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = inheritable(GetStdHandle(STD_OUTPUT_HANDLE));
        startup.hStdError = inheritable(GetStdHandle(STD_ERROR_HANDLE));
        std::string command_line = std::string("\"") + exe + "\" " + unmanaged_switch;
        PROCESS_INFORMATION info = {};
        std::fflush(stdout);
        if (CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                           &info)) {
            CloseHandle(info.hThread);
            test::child_process child = {info.hProcess, info.dwProcessId};
            exit_code = test::wait_exit(child, child_timeout_ms);
            test::end_process(child);
        }
        for (HANDLE handle : {startup.hStdOutput, startup.hStdError})
            if (handle)
                CloseHandle(handle);
    }

    if (driver) {
        RegDeleteValueA(driver, "Managed");
        RegCloseKey(driver);
        if (driver_made == REG_CREATED_NEW_KEY)
            RegDeleteKeyA(HKEY_CURRENT_USER, driver_key.c_str());
    }
    if (app) {
        RegCloseKey(app);
        if (app_made == REG_CREATED_NEW_KEY)
            RegDeleteKeyA(HKEY_CURRENT_USER, app_key.c_str());
    }
    if (exit_code != 0)
        std::fprintf(stderr, "about_window_bench: the run with Managed=N %s\n",
                     set ? "failed" : "could not be set up");
    return exit_code == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool unmanaged = argc > 1 && std::strcmp(argv[1], unmanaged_switch) == 0;

    // The banner as Velmora shows it: the pictures lie beside the programs.
    SetCurrentDirectoryA(test::exe_folder().c_str());
    init_image_library();
    init_window_library();
    init_control_library();
    InitCommonControls();
    load_graphics();
    compose_banner();

    figures result;
    if (!measure(&result))
        return 1;
    report(result, unmanaged ? "_unmanaged" : "");
    if (!unmanaged && under_wine() && !run_unmanaged_child())
        return 1;
    return 0;
}
