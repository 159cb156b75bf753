// test-lock: desktop
// The change watcher on the real Start Menu folders of the test prefix: which changes lead to a
// rebuild and how soon. A link cycle is run through the whole program in
// tests/system/hostile_start_menus_test.cpp.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <string>

#include "catalogue/menu_publication.h"
#include "catalogue/start_menu_fs.h"
#include "catalogue/watcher.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "tests/support/test_support.h"

namespace {

constexpr DWORD quick_interval_ms = 100;

std::atomic<int32_t> g_handed_over{0};
const rebuild_observer counter = {[] {}, [] { ++g_handed_over; }};
const std::string test_folder = "Programs\\Velmora Test\\";

class Watcher : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(nullptr);
        init_menu_library();
        init_image_library();
    }

    void SetUp() override
    {
        roots_ = current_programs_roots();
        ASSERT_FALSE((staging_ = test::make_temp_folder("velmora_watch")).empty());
        ASSERT_TRUE(test::make_folders(user(test_folder)) && test::make_folders(common(test_folder)));
    }

    void TearDown() override
    {
        if (thread_) {
            EXPECT_TRUE(stop_rebuilds(30000));
            EXPECT_EQ(WaitForSingleObject(thread_, 30000), WAIT_OBJECT_0);
            CloseHandle(thread_);
            reset_menu_publication();
        }
        if (!moved_away_.empty()) {
            EXPECT_TRUE(MoveFileA(moved_away_.c_str(), user("Programs").c_str()));
        }
        test::remove_tree(user(test_folder));
        test::remove_tree(common(test_folder));
        test::remove_tree(staging_);
    }

    std::string user(const std::string& relative) const { return roots_.user + relative; }
    std::string common(const std::string& relative) const { return roots_.common + relative; }

    // A file appears in one step, as a copy by the user would: made aside, then moved in.
    void place_file(const std::string& path)
    {
        ASSERT_TRUE(test::write_file(staging_ + "placing", "[InternetShortcut]\r\n"));
        ASSERT_TRUE(MoveFileA((staging_ + "placing").c_str(), path.c_str())) << path;
    }

    void start_watcher(DWORD interval_ms)
    {
        reset_menu_publication();
        reset_watcher();
        set_watch_interval(interval_ms);
        observe_rebuilds(&counter);
        base_ = g_handed_over.load();
        thread_ = CreateThread(nullptr, 0, watch_programs, nullptr, 0, nullptr);
        ASSERT_NE(thread_, nullptr);
    }

    int32_t rebuilds() const { return g_handed_over.load() - base_; }

    // Waits for the count-th rebuild, then lets several passes go by that must not add another.
    void expect_rebuilds(int32_t count, const path_list& launch)
    {
        ASSERT_TRUE(test::wait_until([&] { return rebuilds() >= count; }, 5000, 5)) << "rebuild " << count;
        Sleep(quick_interval_ms * 8);
        EXPECT_EQ(rebuilds(), count);
        EXPECT_EQ(*current_launch_list(), launch);
    }

    programs_roots roots_;
    std::string staging_;
    std::string moved_away_;
    HANDLE thread_ = nullptr;
    int32_t base_ = 0;
};

TEST_F(Watcher, EachChangeBelowEitherRootRebuildsOnce)
{
    ASSERT_TRUE(CreateDirectoryA(user(test_folder + "Sub").c_str(), nullptr));
    start_watcher(quick_interval_ms);
    expect_rebuilds(1, {});  // the first pass builds; without a change no rebuild follows
    place_file(common(test_folder + "Alpha.url"));
    expect_rebuilds(2, {"Programs\\Velmora Test\\Alpha"});
    place_file(user(test_folder + "notes.txt"));  // a file the menu never shows counts as well
    expect_rebuilds(3, {"Programs\\Velmora Test\\Alpha"});
    ASSERT_TRUE(MoveFileA(common(test_folder + "Alpha.url").c_str(), common(test_folder + "Beta.url").c_str()));
    expect_rebuilds(4, {"Programs\\Velmora Test\\Beta"});  // a rename
    ASSERT_TRUE(MoveFileA(common(test_folder + "Beta.url").c_str(), user(test_folder + "Sub\\Beta.url").c_str()));
    expect_rebuilds(5, {"Programs\\Velmora Test\\Sub\\Beta"});  // a move to the other root
}

TEST_F(Watcher, ProgramIntervalSeesANewShortcutWithinAboutFiveSeconds)
{
    start_watcher(watch_interval_ms);
    ASSERT_TRUE(test::wait_until([&] { return rebuilds() == 1; }, 2000, 5)) << "the first pass runs at once";
    Sleep(300);
    place_file(user(test_folder + "Late.url"));
    DWORD placed = GetTickCount();
    ASSERT_TRUE(test::wait_until([&] { return rebuilds() == 2; }, watch_interval_ms + 5000, 5));
    EXPECT_LE(GetTickCount() - placed, watch_interval_ms + 1500);
    EXPECT_EQ(*current_launch_list(), path_list{"Programs\\Velmora Test\\Late"});
}

// Between passes the watcher, a COM apartment, handles the messages of its thread at once: other
// programs' broadcasts and DDE conversations wait for its hidden COM window.
HANDLE g_message_seen;
LRESULT CALLBACK note_message(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HC_ACTION && reinterpret_cast<const MSG*>(lparam)->message == WM_APP + 7)
        SetEvent(g_message_seen);
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(Watcher, HandlesItsThreadsMessagesWhileItWaits)
{
    start_watcher(watch_interval_ms);
    ASSERT_TRUE(test::wait_until([&] { return rebuilds() == 1; }, 10000, 5));
    const DWORD thread = GetThreadId(thread_);
    g_message_seen = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, note_message, nullptr, thread);
    ASSERT_NE(hook, nullptr);
    ASSERT_TRUE(PostThreadMessageA(thread, WM_APP + 7, 0, 0));
    EXPECT_EQ(WaitForSingleObject(g_message_seen, 2000), WAIT_OBJECT_0) << "the message waited for the next pass";
    UnhookWindowsHookEx(hook);
    CloseHandle(g_message_seen);
}

// The user's Programs folder missing, and exactly one file below the other: the first pass builds.
TEST_F(Watcher, MissingProgramsFolderUnderOneRootIsFine)
{
    moved_away_ = user("Programs.velmora-away");
    ASSERT_TRUE(MoveFileA(user("Programs").c_str(), moved_away_.c_str()));
    place_file(common(test_folder + "Shared.url"));
    ASSERT_EQ(watcher_pass(platform_file_system(), roots_).file_count, 1) << "the prefix holds other files";
    start_watcher(quick_interval_ms);
    expect_rebuilds(1, {"Programs\\Velmora Test\\Shared"});
    place_file(common(test_folder + "Second.url"));
    expect_rebuilds(2, {"Programs\\Velmora Test\\Second", "Programs\\Velmora Test\\Shared"});
}

}  // namespace
