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
    if (!done) {
        done = true;
        init_window_library();
        init_control_library();
    }
}

// Hands out whatever is pending (events and messages) without waiting.
inline void drain_events()
{
    for (int i = 0; i < 10000 && wait_event(0) != no_event; ++i) {
    }
}

// Runs wait_event(10) for about ms milliseconds, as the main loop does, or until it returns stop;
// the menu, control and close events it returned.
inline std::vector<toolkit_event> collect_events(DWORD ms, int32_t stop = -1)
{
    std::vector<toolkit_event> events;
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
        int32_t code = wait_event(10);
        if (code == control_event || code == menu_event || code == close_event)
            events.push_back({code, event_control(), event_type(), event_window()});
        if (code == stop)
            break;
    }
    return events;
}

// Runs the loop until it returns code or timeout_ms passes; that event, if any.
inline bool wait_for_event(int32_t code, DWORD timeout_ms, toolkit_event* found)
{
    std::vector<toolkit_event> events = collect_events(timeout_ms, code);
    if (events.empty() || events.back().code != code)
        return false;
    *found = events.back();
    return true;
}

inline int count_events(const std::vector<toolkit_event>& events, int32_t code, int32_t type)
{
    int count = 0;
    for (const toolkit_event& event : events)
        count += event.code == code && event.type == type;
    return count;
}

}  // namespace test
