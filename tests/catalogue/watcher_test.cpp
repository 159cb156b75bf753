// test-lock: desktop
// The change watcher's thread on the real Start Menu folders of the test prefix. Which changes lead
// to a rebuild is tested natively (tests/pure/programs_tree_test.cpp) and end to end in
// tests/system. A rebuild that has begun is held here on an event, as the recording build holds
// it, so that the test acts while one is under way.

#include <gtest/gtest.h>

#include <atomic>

#include "app/menu_publication_state.h"
#include "app/rebuild.h"
#include "catalogue/watcher.h"
#include "tests/support/velmora_session.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"

namespace {

std::atomic<int32_t> g_handed_over{0}, g_discarded{0};
std::atomic<DWORD> g_watcher_thread{0};
HANDLE g_building;  // set when a rebuild begins
HANDLE g_hold;      // a rebuild that has begun waits for it, or for shutdown
const rebuild_observer counter = {
    [] {
        g_watcher_thread = GetCurrentThreadId();
        SetEvent(g_building);
        while (WaitForSingleObject(g_hold, 10) == WAIT_TIMEOUT && !rebuild_cancelled()) {
        }
    },
    [] { ++g_handed_over; },
    [] { ++g_discarded; },
    nullptr,
    nullptr,
};

// A message of the test's, noted when the watcher thread takes it from its queue: how many rebuilds
// had been handed over by then.
constexpr UINT test_message = WM_APP + 7;
std::atomic<int32_t> g_handed_over_when_seen{-1};
VELMORA_CALLBACK LRESULT CALLBACK note_message(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HC_ACTION && reinterpret_cast<const MSG*>(lparam)->message == test_message)
        g_handed_over_when_seen = g_handed_over.load();
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Posts the test's message to the watcher thread, lets a held rebuild go on and waits until the
// thread has taken the message: the rebuilds handed over at that moment, -1 when it was not taken.
int32_t handed_over_when_a_message_is_taken()
{
    g_handed_over_when_seen = -1;
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, note_message, nullptr, g_watcher_thread.load());
    EXPECT_NE(hook, nullptr);
    EXPECT_TRUE(PostThreadMessageA(g_watcher_thread.load(), test_message, 0, 0));
    Sleep(5 * message_answer_interval_ms);  // so long a rebuild goes without looking for messages
    SetEvent(g_hold);
    test::wait_until([] { return g_handed_over_when_seen.load() >= 0; }, 60000);
    UnhookWindowsHookEx(hook);
    return g_handed_over_when_seen.load();
}

class Watcher : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(nullptr);
        init_menu_library();
        init_image_library();
        g_building = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        g_hold = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        observe_rebuilds(&counter);
        ASSERT_TRUE(test::clear_programs_folders());
    }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override
    {
        reset_menu_publication();
        g_handed_over = 0;
        g_discarded = 0;
        ResetEvent(g_hold);
        set_watch_interval(600000);  // no second pass while a test runs
        ASSERT_TRUE(start_watcher(&rebuild_on_change));
        ASSERT_EQ(WaitForSingleObject(g_building, 60000), WAIT_OBJECT_0) << "the first pass builds at once";
    }
    void TearDown() override
    {
        stop_rebuilds();
        stop_watcher(60000);
        free_menu(start_menu_number);
        free_all_images();
    }
};

// The watcher, a COM apartment, handles the messages of its thread at once while it rebuilds and
// while it waits for the next pass: other programs' broadcasts and DDE conversations wait for its
// hidden COM window. Shutdown ends the wait at once.
TEST_F(Watcher, HandlesItsThreadsMessagesWhileItRebuildsAndWhileItWaits)
{
    EXPECT_EQ(handed_over_when_a_message_is_taken(), 0) << "the message waited for the end of the rebuild";
    ASSERT_TRUE(test::wait_until([] { return g_handed_over.load() == 1; }, 60000));
    EXPECT_EQ(handed_over_when_a_message_is_taken(), 1) << "the message waits for the next pass";
    EXPECT_TRUE(stop_watcher(60000)) << "the watcher waits for its next pass instead of ending";
}

// Shutdown cuts a rebuild under way short: the thread ends, nothing is handed over or left alive.
TEST_F(Watcher, EndsInTheMiddleOfARebuildWhenStopped)
{
    stop_rebuilds();  // as shutdown does, before it stops the watcher
    EXPECT_TRUE(stop_watcher(60000));
    EXPECT_EQ(g_handed_over.load(), 0);
    EXPECT_EQ(g_discarded.load(), 1);
    EXPECT_EQ(live_image_count(), 0);
    EXPECT_EQ(live_menu_count(), 0);
}

}  // namespace
