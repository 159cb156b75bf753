#pragma once
// Helpers for tests of the window and control libraries: one-time set-up of both libraries, and
// reading events through wait_event the way the main loop does. Header-only so that it needs
// nothing beyond velmora_core, which every toolkit test links.

#include <windows.h>

#include <vector>

#include "toolkit/control.h"
#include "toolkit/window.h"

namespace test {

struct toolkit_event {
    int32_t code;
    int32_t item;
    int32_t type;
    int32_t window;
};

inline void init_window_toolkit()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    init_window_library();
    init_control_library();
}

inline bool is_reported_event(int32_t code)
{
    return code == control_event || code == menu_event || code == close_event;
}

// Hands out whatever is pending (events and messages) without waiting.
inline void drain_events()
{
    for (int i = 0; i < 10000 && wait_event(0) != no_event; ++i) {
    }
}

// Runs wait_event(10) for about ms milliseconds; the menu, control and close events it returned.
inline std::vector<toolkit_event> collect_events(DWORD ms)
{
    std::vector<toolkit_event> events;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        int32_t code = wait_event(10);
        if (is_reported_event(code))
            events.push_back({code, event_control(), event_type(), event_window()});
    }
    return events;
}

// Runs wait_event(10) until it returns code or timeout_ms passes.
inline bool wait_for_event(int32_t code, DWORD timeout_ms, toolkit_event* found)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        if (wait_event(10) == code) {
            *found = {code, event_control(), event_type(), event_window()};
            return true;
        }
    }
    return false;
}

inline int count_events(const std::vector<toolkit_event>& events, int32_t code, int32_t type)
{
    int count = 0;
    for (const toolkit_event& event : events)
        count += event.code == code && event.type == type;
    return count;
}

}  // namespace test
