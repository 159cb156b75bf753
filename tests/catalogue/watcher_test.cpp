// test-lock: desktop
// The change watcher's thread on the real Start Menu folders of the test prefix. Which changes
// lead to a rebuild is tested natively (tests/pure/programs_tree_test.cpp) and end to end, one
// rebuild for each change, in tests/system/faults_test.cpp.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "app/menu_publication_state.h"
#include "app/rebuild.h"
#include "catalogue/watcher.h"
#include "tests/support/velmora_session.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "toolkit/process.h"

namespace {

std::atomic<int32_t> g_handed_over{0}, g_discarded{0};
std::atomic<DWORD> g_watcher_thread{0};
HANDLE g_building;  // set when a rebuild begins
const rebuild_observer counter = {
    [] {
        g_watcher_thread = GetCurrentThreadId();
        SetEvent(g_building);
    },
    [] { ++g_handed_over; },
    [] { ++g_discarded; },
    nullptr,
};

// A message of the test's, seen when the watcher thread takes it from its queue: whether a rebuild
// had been handed over by then, and when.
constexpr UINT test_message = WM_APP + 7;
HANDLE g_message_seen;
std::atomic<int32_t> g_handed_over_when_seen{-1};
std::atomic<DWORD> g_seen_at{0};
VELMORA_CALLBACK LRESULT CALLBACK note_message(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HC_ACTION && reinterpret_cast<const MSG*>(lparam)->message == test_message) {
        g_handed_over_when_seen = g_handed_over.load();
        g_seen_at = GetTickCount();
        SetEvent(g_message_seen);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Posts the test's message to the watcher thread and waits until the thread has taken it: the
// number of rebuilds handed over at that moment, or -1 when it was not taken within a minute.
int32_t handed_over_when_a_message_is_taken()
{
    ResetEvent(g_message_seen);
    g_handed_over_when_seen = -1;
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, note_message, nullptr, g_watcher_thread.load());
    EXPECT_NE(hook, nullptr);
    const DWORD posted = GetTickCount();
    EXPECT_TRUE(PostThreadMessageA(g_watcher_thread.load(), test_message, 0, 0));
    const bool seen = WaitForSingleObject(g_message_seen, 60000) == WAIT_OBJECT_0;
    UnhookWindowsHookEx(hook);
    if (seen)
        std::printf("the message waited %lu ms\n", static_cast<unsigned long>(g_seen_at.load() - posted));
    return seen ? g_handed_over_when_seen.load() : -1;
}

// Some thousands of shortcuts below the user's Programs folder: a rebuild of several seconds.
class Watcher : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(nullptr);
        init_menu_library();
        init_image_library();
        g_building = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        g_message_seen = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        observe_rebuilds(&counter);
        ASSERT_TRUE(test::clear_programs_folders());
        const std::string folder = test::programs_folder(CSIDL_STARTMENU) + "Viele\\";
        const std::string first = folder + "Eintrag 0000.lnk";
        ASSERT_TRUE(test::make_folders(folder) &&
                    test::create_shortcut(first, test::fixture_path("record_launch.exe"), "", ""));
        for (int i = 1; i < shortcuts; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "Eintrag %04d.lnk", i);
            ASSERT_TRUE(CopyFileA(first.c_str(), (folder + name).c_str(), FALSE)) << name;
        }
    }
    static void TearDownTestSuite()
    {
        EXPECT_TRUE(test::clear_programs_folders());
        CoUninitialize();
    }
    void SetUp() override
    {
        reset_menu_publication();
        g_handed_over = 0;
        g_discarded = 0;
        ResetEvent(g_building);
        set_watch_interval(600000);  // no second pass while a test runs
        ASSERT_TRUE(start_watcher(&rebuild_on_change));
        ASSERT_EQ(WaitForSingleObject(g_building, 60000), WAIT_OBJECT_0) << "the first pass builds at once";
    }
    void TearDown() override
    {
        stop_watcher(60000);
        free_menu(start_menu_number);
        free_all_images();
    }
    static constexpr int shortcuts = 2000;
};

// The watcher, a COM apartment, handles the messages of its thread at once while it rebuilds and
// while it waits for the next pass: other programs' broadcasts and DDE conversations wait for
// its hidden COM window. Shutdown ends the wait at once.
TEST_F(Watcher, HandlesItsThreadsMessagesWhileItRebuildsAndWhileItWaits)
{
    EXPECT_EQ(handed_over_when_a_message_is_taken(), 0) << "the message waited for the end of the rebuild";
    ASSERT_TRUE(test::wait_until([] { return g_handed_over.load() == 1; }, 120000));
    EXPECT_EQ(handed_over_when_a_message_is_taken(), 1) << "the message waits for the next pass";
    EXPECT_TRUE(stop_watcher(60000)) << "the watcher waits for its next pass instead of ending";
}

// Shutdown cuts a rebuild under way short: the thread ends, nothing is handed over.
TEST_F(Watcher, EndsInTheMiddleOfARebuildWhenStopped)
{
    EXPECT_TRUE(stop_watcher(60000));
    EXPECT_EQ(g_handed_over.load(), 0);
    EXPECT_EQ(g_discarded.load(), 1);
    EXPECT_EQ(live_image_count(), 0) << "the pictures of the build cut short";
    EXPECT_EQ(live_menu_count(), 0);
}

}  // namespace
