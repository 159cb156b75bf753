// Figures of the window and control libraries: what an idle 10 ms wait costs the process, how fast
// events travel through the queue and the message loop, and what opening and closing windows and
// controls costs. Prints one line per figure.

#include <windows.h>

#include <cstdio>

#include "bench/bench_support.h"
#include "toolkit/control.h"
#include "toolkit/window.h"

namespace {

double process_cpu_ms()
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto ticks = [](FILETIME t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

void drain()
{
    while (wait_event(0) != no_event) {
    }
}

void idle_wait()
{
    drain();
    double start = bench::now_ms();
    double cpu = process_cpu_ms();
    int turns = 0;
    while (bench::now_ms() - start < 2000) {
        wait_event(10);
        ++turns;
    }
    double spent = bench::now_ms() - start;
    std::printf("idle wait_event(10): %d turns in %.0f ms, %.2f ms per turn, %.1f%% of a core\n",
                turns, spent, spent / turns, 100.0 * (process_cpu_ms() - cpu) / spent);
}

void posted_control_events(HWND window)
{
    constexpr int count = 20000;
    drain();
    double start = bench::now_ms();
    int seen = 0;
    for (int i = 0; i < count; ++i) {
        PostMessageA(window, control_event_message, 12, 0);
        seen += wait_event(0) == control_event;
    }
    double spent = bench::now_ms() - start;
    std::printf("posted control event, post + wait: %.2f us per event (%d of %d seen)\n",
                1000.0 * spent / count, seen, count);
}

void queued_close_events(HWND first, HWND second)
{
    constexpr int count = 20000;
    drain();
    double start = bench::now_ms();
    int seen = 0;
    for (int i = 0; i < count; ++i) {
        SendMessageA(first, WM_CLOSE, 0, 0);
        SendMessageA(second, WM_CLOSE, 0, 0);
        seen += wait_event(0) == close_event;
        seen += wait_event(0) == close_event;
    }
    double spent = bench::now_ms() - start;
    std::printf("queued close event, send + wait: %.2f us per event (%d of %d seen)\n",
                1000.0 * spent / (2 * count), seen, 2 * count);

    start = bench::now_ms();
    for (int i = 0; i < count; ++i)
        SendMessageA(first, WM_CLOSE, 0, 0);
    seen = 0;
    while (wait_event(0) == close_event)
        ++seen;
    spent = bench::now_ms() - start;
    std::printf("repeated close sent %d times: %d event(s), %.2f us per send\n", count, seen,
                1000.0 * spent / count);
}

void open_and_close_windows()
{
    constexpr int count = 200;
    double start = bench::now_ms();
    for (int i = 0; i < count; ++i) {
        open_window(5, 0, 0, 300, 250, "Informationen", window_invisible);
        close_window(5);
    }
    double spent = bench::now_ms() - start;
    std::printf("open + close of a hidden window: %.3f ms per pair\n", spent / count);
}

void make_controls(HWND window)
{
    constexpr int rounds = 50;
    use_control_list(window);
    double start = bench::now_ms();
    for (int round = 0; round < rounds; ++round) {
        for (int32_t number = 1; number <= 12; ++number) {
            if (number == 10 || number == 11)
                create_hyperlink_control(number, 90, 180, 150, 20, "http://example.invalid/", 0, 1);
            else if (number == 12)
                create_button_control(number, 190, 220, 100, 20, "Schließen", 0);
            else
                create_text_control(number, 10, 20 * number, 250, 20, "Programm:\tVelmora", 0);
        }
    }
    double spent = bench::now_ms() - start;
    std::printf("twelve controls made (each replacing the last round's): %.3f ms per set\n",
                spent / rounds);
}

}  // namespace

int main()
{
    init_window_library();
    init_control_library();
    open_window(0, 0, 0, 0, 0, "Velmora 1.0.0", window_invisible);
    open_window(1, 0, 0, 300, 250, "Informationen", window_invisible);
    HWND main_window = window_handle(0);
    HWND about = window_handle(1);

    idle_wait();
    posted_control_events(main_window);
    queued_close_events(main_window, about);
    open_and_close_windows();
    make_controls(about);

    close_all_windows();
    return 0;
}
