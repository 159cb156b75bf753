// The window library's events, with windows that are never shown: close requests, menu choices,
// control notifications and the focus keys, sent and posted as other threads, modal loops and the
// platform send and post them.

#include <gtest/gtest.h>

#include <string>

#include "toolkit/control.h"
#include "toolkit/window.h"

namespace {

class WindowLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool ready = false;
        if (!ready) {
            ready = true;
            init_window_library();
            init_control_library();
        }
        main_ = open_hidden(0);
        about_ = open_hidden(1);
        drain();
    }
    void TearDown() override
    {
        close_all_windows();
        drain();
    }
    static HWND open_hidden(int32_t number)
    {
        return reinterpret_cast<HWND>(open_window(number, 10, 10, 200, 100, "Test", window_invisible));
    }
    // Every event pending now, without waiting: "16 16 13101:7".
    static std::string drain()
    {
        std::string events;
        for (int32_t code; (code = wait_event(0)) != no_event;) {
            if (code != close_event && code != menu_event && code != control_event)
                continue;  // a retrieved message that is no event of the program's
            events += (events.empty() ? "" : " ") + std::to_string(code);
            if (code != close_event)
                events += ":" + std::to_string(event_menu_item());
        }
        return events;
    }

    HWND main_ = nullptr;
    HWND about_ = nullptr;
};

TEST_F(WindowLibrary, CloseRequestsQueueInOrderAndOnlyADirectRepetitionCollapses)
{
    SendMessageA(main_, WM_CLOSE, 0, 0);  // sent twice before the next wait: one event
    SendMessageA(main_, WM_CLOSE, 0, 0);
    SendMessageA(about_, WM_CLOSE, 0, 0);
    SendMessageA(main_, WM_CLOSE, 0, 0);
    EXPECT_EQ(drain(), "16 16 16");
    PostMessageA(main_, WM_CLOSE, 0, 0);  // posted: the retrieved message, then the queued event
    EXPECT_EQ(drain(), "16 16");
    EXPECT_TRUE(IsWindow(main_)) << "the program decides about closing";
    EXPECT_EQ(wait_event(0), no_event);
}

TEST_F(WindowLibrary, MenuChoicesAndControlsBecomeEventsAndTabOnlyMovesTheFocus)
{
    HWND button = create_button_control(12, 5, 5, 80, 20, "Knopf", 0);
    ASSERT_NE(button, nullptr);
    ShowWindow(about_, SW_SHOW);  // the focus moves to visible tab stops only
    PostMessageA(main_, WM_COMMAND, 10009, 0);  // a menu choice, as the platform posts it
    PostMessageA(about_, WM_COMMAND, MAKEWPARAM(focus_next_command, 1), 0);
    post_control_event(button);
    EXPECT_EQ(drain(), "13101:10009 13100:12");
    SendMessageA(about_, WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(drain(), "13100:12");
    EXPECT_EQ(GetFocus(), button) << "Tab moved the focus to the tab stop";

    // An event raised by a message sent while nobody waits is kept for the next wait.
    SendMessageA(main_, WM_COMMAND, 7, 0);
    SendMessageA(main_, WM_CLOSE, 0, 0);
    EXPECT_EQ(drain(), "13101:7 16");
}

}  // namespace
