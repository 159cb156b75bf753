// test-lock: desktop
// test-label: wow64
// One Velmora per session. Started twice (an Autostart entry and a double click), two copies would
// both hook the Start button, and after "Velmora beenden" the other copy's menu would stay on it.

#include "app/velmora.h"
#include "tests/support/scenario.h"

namespace {

using namespace test;

using SingleInstance = Scenario;

// The second start ends at once with exit code 0, without a box and before it hooks anything; the
// first keeps serving the Start button until it quits, and then the button is the shell's again.
TEST_F(SingleInstance, ASecondStartEndsAndTheFirstServesUntilItQuits)
{
    start_with_menu();
    velmora_session second;
    ASSERT_TRUE(launch_velmora(second));
    EXPECT_EQ(wait_exit(second.velmora, 30000), 0) << "the second copy runs on";
    EXPECT_EQ(count_lines(second.record_log, "another copy runs"), 1);
    EXPECT_EQ(count_lines(second.record_log, "hook installed"), 0);
    EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr) << "the second copy shows a box";
    end_session(second, HasFailure());

    choose_top_item(11);  // "Velmora beenden", from the first copy's menu
    EXPECT_EQ(wait_exit(session_.velmora, 30000), 0);
    click_start_button();
    EXPECT_TRUE(wait_for_lines(session_.shell_log, "button WM_LBUTTONDOWN", 1, 30000)) << "a hook still takes the press";
    EXPECT_EQ(menus_shown(), 1);
}

// A copy started while the first one shuts down serves: the first gives up its claim on the
// session as soon as its hook is gone, before it waits (here, as long as it may) for a rebuild
// under way to end.
TEST_F(SingleInstance, ACopyStartedWhileTheFirstShutsDownServes)
{
    ASSERT_NO_FATAL_FAILURE(start({.hold_rebuilds = hold_event()}));
    ASSERT_TRUE(wait_for_lines(log(), "rebuild begin", 1, 30000));
    PostMessageA(velmora_main_window(session_), WM_CLOSE, 0, 0);
    child_process first = std::exchange(session_.velmora, {});
    ASSERT_TRUE(wait_for_lines(log(), "hook removed", 1, 30000));
    const auto claimed = [] {
        HANDLE claim = OpenMutexA(SYNCHRONIZE, FALSE, session_claim_name);
        return claim && CloseHandle(claim);
    };
    EXPECT_TRUE(wait_until([&] { return !claimed() || wait_exit(first, 0) >= 0; }, 30000));
    EXPECT_EQ(wait_exit(first, 0), -1) << "the claim was held until the first copy ended";

    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(wait_exit(first, 30000), 0);
    end_process(first);
    EXPECT_EQ(count_lines(log(), "another copy runs"), 0);
    ASSERT_TRUE(open_menu()) << "the new copy does not serve";
    close_menu();
    EXPECT_EQ(menus_shown(), 1);
}

}  // namespace
