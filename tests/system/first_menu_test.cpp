// test-lock: desktop
// A menu at once, its pictures after it: with many shortcuts to ask the shell about, a plain menu
// whose entries show the white square is handed over first, then the pictured one. Either opens
// and starts the right entries, and the pictured one is what the presses after it open. The
// recording build holds the pictured menu on an event until the test lets it go on.

#include "tests/support/image_files.h"
#include "tests/support/scenario.h"

namespace {

using namespace test;

using FirstMenu = Scenario;

TEST_F(FirstMenu, APlainMenuOpensAtOnceAndThePicturedOneFollows)
{
    // Blau and Rot in Programs, with icons of their colours; 120 copies of Rot in Viele.
    for (const auto& [name, tag, colour] : {std::tuple{"Blau", "blau", RGB(0, 0, 255)}, {"Rot", "rot", RGB(255, 0, 0)}}) {
        const std::string icon = scratch_ + name + ".ico";
        ASSERT_TRUE(write_file(icon, ico_bytes(16, colour, 0)) &&
                    create_shortcut(user_programs() + name + ".lnk", fixture_path("record_launch.exe"),
                                    launch_arguments(tag), "", icon));
    }
    const std::string copy = read_file(user_programs() + "Rot.lnk");
    ASSERT_TRUE(make_folders(user_programs() + "Viele"));
    for (int i = 0; i < 120; ++i)
        ASSERT_TRUE(write_file(user_programs() + "Viele\\" + std::to_string(i) + ".lnk", copy));
    ASSERT_NO_FATAL_FAILURE(start({.settings = {{"VELMORA_HOLD_PICTURES", hold_event()}}}));
    ASSERT_TRUE(wait_for_lines(log(), "plain menu handed over", 1, 60000));
    choose({0});
    EXPECT_TRUE(wait_for_launch("blau"));
    EXPECT_EQ(lines_containing(log(), "colours=").back(), "colours=ffffff|ffffff|-|-|-");  // white, white, folders

    let_go();
    ASSERT_TRUE(wait_for_lines(log(), "rebuild end", 1, 60000));
    choose({1});
    EXPECT_TRUE(wait_for_launch("rot"));
    EXPECT_EQ(lines_containing(log(), "colours=").back(), "colours=ff0000|0000ff|-|-|-");  // blue, red: 0xBBGGRR
    EXPECT_EQ(launches(), 2);
}

}  // namespace
