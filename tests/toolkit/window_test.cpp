// test-lock: desktop
// The window library's events, sent and posted as other threads, modal loops and the platform do.
// (Its window takes the foreground and the focus, which tests of the running program must not lose.)

#include <gtest/gtest.h>

#include <string>

#include "toolkit/control.h"
#include "toolkit/window.h"

namespace {

// Every event pending now, without waiting: "16 16 13101:7".
std::string drain()
{
    std::string events;
    for (int32_t code; (code = wait_event(0)) != no_event;)
        if (code == close_event || code == menu_event || code == control_event)  // not a mere message
            events += (events.empty() ? "" : " ") + std::to_string(code) +
                      (code == close_event ? "" : ":" + std::to_string(event_menu_item()));
    return events;
}

TEST(WindowLibrary, EventsQueueInOrderOnlyADirectlyRepeatedCloseCollapsesAndTabMovesTheFocus)
{
    init_window_library();
    init_control_library();
    HWND main = reinterpret_cast<HWND>(open_window(0, 10, 10, 200, 100, "Test", window_invisible));
    HWND about = reinterpret_cast<HWND>(open_window(1, 10, 10, 200, 100, "Test", window_invisible));
    drain();
    for (HWND window : {main, main, about, main})  // the first two sent before the next wait: one event
        SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(drain(), "16 16 16");
    PostMessageA(main, WM_CLOSE, 0, 0);  // posted: the retrieved message, then the queued event
    EXPECT_EQ(drain(), "16 16");
    EXPECT_TRUE(IsWindow(main)) << "the program decides about closing";

    HWND button = create_button_control(12, 5, 5, 80, 20, "Knopf", 0);  // in about, opened last
    ShowWindow(about, SW_SHOW);  // the focus moves to visible tab stops only
    PostMessageA(main, WM_COMMAND, 10009, 0);  // a menu choice, as the platform posts it
    PostMessageA(about, WM_COMMAND, MAKEWPARAM(focus_next_command, 1), 0);
    post_control_event(button);
    EXPECT_EQ(drain(), "13101:10009 13100:12");
    EXPECT_EQ(GetFocus(), button) << "Tab moved the focus to the tab stop";
    // Events raised by messages sent while nobody waits (a modal loop of the shell's dispatches
    // them while it opens a link) are kept for the next waits, every one of them, in order.
    SendMessageA(about, WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    SendMessageA(about, control_event_message, 10, 0);
    SendMessageA(main, WM_COMMAND, 10010, 0);
    SendMessageA(about, control_event_message, 10, 0);
    EXPECT_EQ(drain(), "13100:12 13100:10 13101:10010 13100:10");
    SendMessageA(main, WM_COMMAND, 7, 0);
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(drain(), "13101:7 16");
}

}  // namespace
