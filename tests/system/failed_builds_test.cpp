// test-lock: desktop
// Builds that cannot be completed: the system refuses a menu (as Windows 7 does beyond the 10,000
// USER objects of a process, or with a full desktop heap), or memory runs out half-way. Such a
// build is discarded with everything it made, the menu on offer stays and opens with its pictures,
// and a later pass of the watcher builds the new menu, which keeps them. Rebuilds are held on an
// event until the test lets each go on.

#include "tests/support/image_files.h"
#include "tests/support/scenario.h"

namespace {

using namespace test;

class FailedBuilds : public Scenario {
protected:
    // Starts the recording build with failures scheduled, its first menu built with "Eins"; then
    // adds "Zwei", makes change, and lets rebuilds 2 and 3 fail. After each, exactly what the build
    // on offer holds is alive.
    void fail_two_rebuilds(const char* variable, const char* schedule, const std::function<void()>& change = {})
    {
        shortcut(user_programs() + "Eins.lnk", "eins");
        ASSERT_NO_FATAL_FAILURE(
            start({.watch_interval_ms = 100, .hold_rebuilds = hold_event(), .settings = {{variable, schedule}}}));
        ASSERT_TRUE(let_rebuild_go_on(1, "resources images=", 1));  // logged just after "rebuild end"
        const std::vector<live_resources> first = logged_resources(log());
        ASSERT_FALSE(first.empty());
        at_rest_ = first.back();
        ASSERT_GT(at_rest_.gdi, 0) << "the GDI handle table cannot be read";
        shortcut(user_programs() + "Zwei.lnk", "zwei");
        if (change)
            change();
        for (int rebuild = 2; rebuild <= 3; ++rebuild) {
            SCOPED_TRACE(rebuild);
            ASSERT_TRUE(let_rebuild_go_on(rebuild, "rebuild discarded", rebuild - 1));
            const live_resources now = logged_resources(log(), "rebuild discarded, left").back();
            EXPECT_EQ(now.images, at_rest_.images);
            EXPECT_EQ(now.gdi, at_rest_.gdi);
            EXPECT_EQ(now.table, 1) << "a menu of the discarded build is left";
        }
    }
    // Lets rebuild number rebuild go on once it has begun, and waits for the count-th line.
    bool let_rebuild_go_on(int rebuild, const char* line, int count)
    {
        if (!wait_for_lines(log(), "rebuild begin", rebuild, 60000))
            return false;
        let_go();
        return wait_for_lines(log(), line, count, 60000);
    }
    // The menu on offer opens with its pictures and starts; then the next build, let go, shows the
    // change, and the shell was asked about Eins once. folders: the folders of Programs, in their order.
    void expect_old_menu_then_new(std::vector<std::string> folders = {"Administrative Tools", "StartUp"})
    {
        choose({0});
        EXPECT_TRUE(wait_for_launch("eins"));
        folders.insert(folders.begin(), "Eins");
        EXPECT_EQ(shown_entries(), folders);
        const std::string colours = lines_containing(log(), "colours=").back();
        EXPECT_EQ(colours.find("dead"), std::string::npos) << colours;
        ASSERT_TRUE(let_rebuild_go_on(4, "rebuild end", 2)) << "no later pass built the new menu";
        const std::vector<std::string> asked = lines_containing(log(), "shell asked");
        EXPECT_EQ(std::count_if(asked.begin(), asked.end(), [](const std::string& line) { return line.ends_with("\\Eins.lnk"); }), 1);
        choose({1});
        EXPECT_TRUE(wait_for_launch("zwei"));
        folders.insert(folders.begin() + 1, "Zwei");
        EXPECT_EQ(shown_entries(), folders);
    }

    live_resources at_rest_;
};

// Rebuild 2 is refused its menu, rebuild 3 a submenu (the third menu it makes: after the menu and
// "Programs", "Administrative Tools").
TEST_F(FailedBuilds, ARefusedMenuLeavesTheMenuOnOfferAndALaterPassBuildsTheNewOne)
{
    ASSERT_NO_FATAL_FAILURE(fail_two_rebuilds("VELMORA_FAIL_MENUS", "2:1,3:3"));
    EXPECT_EQ(count_lines(log(), "menu refused"), 2);
    expect_old_menu_then_new();
}

// A system that refuses every build (a full desktop heap, a USER quota that another program has
// used up): the watcher tries again ever more rarely, doubling its wait from the watch interval,
// and at once when the folders change; meanwhile the Start button stays the shell's.
TEST_F(FailedBuilds, EveryBuildRefusedIsTriedEverMoreRarelyAndStartStaysTheShells)
{
    ASSERT_NO_FATAL_FAILURE(start({.watch_interval_ms = 100, .settings = {{"VELMORA_FAIL_MENUS", "*:1"}}}));
    ASSERT_TRUE(wait_for_lines(log(), "rebuild discarded", 1, 60000));
    // Six seconds from the first failure allow tries at 0, 0.1, 0.3, 0.7, 1.5 and 3.1 s; a late
    // look at the log, one more. Every pass would have tried some sixty times.
    pump_messages(6000);
    EXPECT_LE(count_lines(log(), "rebuild begin"), 7);
    EXPECT_GE(count_lines(log(), "walked"), 10) << "the watcher stopped walking";
    click_start_button();
    EXPECT_TRUE(wait_until([&] { return shell_presses(session_.shell_log) == 1; }, 30000))
        << "the press did not reach the shell's button";

    // The pass that sees the change, the first or the second after it, builds.
    const size_t before_change = read_lines(log()).size();
    const int begun = count_lines(log(), "rebuild begin");
    shortcut(user_programs() + "Neu.lnk", "neu");
    ASSERT_TRUE(wait_for_lines(log(), "rebuild begin", begun + 1, 60000));
    const std::vector<std::string> lines = read_lines(log());
    int walks = 0;
    for (size_t i = before_change; i < lines.size() && lines[i] != "rebuild begin"; ++i)
        walks += lines[i] == "walked";
    EXPECT_LE(walks, 2) << "the change waited for the back-off";
    EXPECT_EQ(menus_shown(), 0);
}

// Memory runs out while rebuild 2 reads the tree, and near the end of rebuild 3, among the
// pictures: six entries, each with an icon of its own, which are written anew with Zwei, so that
// each rebuild asks about as many shortcuts as the first did.
TEST_F(FailedBuilds, MemoryRunningOutLeavesNothingBehindAndALaterPassBuildsTheNewMenu)
{
    const auto bunt = [&](int i) { return user_programs() + "Bunt\\" + std::to_string(i) + ".lnk"; };
    for (int i = 0; i < 6; ++i) {
        const std::string icon = scratch_ + "icon" + std::to_string(i) + ".ico";
        ASSERT_TRUE(write_file(icon, ico_bytes(16, RGB(40 * i, 255 - 40 * i, 128), 0)));
        ASSERT_TRUE(make_folders(user_programs() + "Bunt") &&
                    create_shortcut(bunt(i), fixture_path("record_launch.exe"), "", "", icon));
    }
    ASSERT_NO_FATAL_FAILURE(fail_two_rebuilds("VELMORA_FAIL_ALLOCATION", "2:20%,3:90%", [&] {
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(write_file(bunt(i), read_file(bunt(i))));
    }));
    // The second failure came while the build's menu existed, after pictures of its own.
    const std::vector<std::string> refused = lines_containing(log(), "allocation refused");
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_TRUE(refused[0].ends_with(" table=1") && refused[1].ends_with(" table=2")) << refused[0] << ", " << refused[1];
    int images = 0;
    EXPECT_EQ(std::sscanf(refused[1].c_str(), "allocation refused images=%d", &images), 1);
    EXPECT_GT(images, at_rest_.images);
    expect_old_menu_then_new({"Administrative Tools", "Bunt", "StartUp"});
}

}  // namespace
