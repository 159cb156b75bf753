// test-lock: desktop
// The change watcher on the real Start Menu folders of the test prefix: which changes lead to a
// rebuild, how soon, and that a link cycle below a Programs folder no longer holds up a pass.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/menu_publication.h"
#include "catalogue/programs_tree.h"
#include "catalogue/start_menu_fs.h"
#include "catalogue/watcher.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "tests/support/test_support.h"
#include "tests/support/wine_links.h"

namespace {

constexpr DWORD quick_interval_ms = 100;
const char* const test_folder = "Programs\\Velmora Test\\";

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
        ASSERT_FALSE(roots_.user.empty());
        ASSERT_FALSE(roots_.common.empty());
        staging_ = test::make_temp_folder("velmora_watch");
        ASSERT_FALSE(staging_.empty());
        ASSERT_TRUE(test::make_folders(user(test_folder)));
        ASSERT_TRUE(test::make_folders(common(test_folder)));
    }

    void TearDown() override
    {
        stop_watcher();
        for (const std::string& link : links_)
            EXPECT_TRUE(test::remove_folder_link(link)) << link;
        if (!moved_away_.empty()) {
            EXPECT_TRUE(MoveFileA(moved_away_.c_str(), user("Programs").c_str()));
        }
        test::remove_tree(user(test_folder));
        test::remove_tree(common(test_folder));
        test::remove_tree(staging_);
    }

    std::string user(const std::string& relative) const { return roots_.user + relative; }
    std::string common(const std::string& relative) const { return roots_.common + relative; }

    // A file appears at path in one step, as a copy by the user would: made aside, then moved in.
    void place_file(const std::string& path, const std::string& bytes = "[InternetShortcut]\r\n")
    {
        std::string aside = staging_ + "placing";
        ASSERT_TRUE(test::write_file(aside, bytes));
        ASSERT_TRUE(MoveFileA(aside.c_str(), path.c_str())) << path;
    }

    void link(const std::string& at, const std::string& target)
    {
        ASSERT_TRUE(test::make_folder_link(at, target)) << at;
        links_.push_back(at);
    }

    void start_watcher(DWORD interval_ms)
    {
        reset_menu_publication();
        reset_watcher();
        set_watch_interval(interval_ms);
        base_ = watcher_rebuild_count();
        started_ = GetTickCount();
        thread_ = CreateThread(nullptr, 0, watch_programs, nullptr, 0, nullptr);
        ASSERT_NE(thread_, nullptr);
    }

    void stop_watcher()
    {
        if (!thread_)
            return;
        EXPECT_TRUE(stop_rebuilds(30000));
        EXPECT_EQ(WaitForSingleObject(thread_, 30000), WAIT_OBJECT_0);
        CloseHandle(thread_);
        thread_ = nullptr;
        reset_menu_publication();
        set_watch_interval(watch_interval_ms);
    }

    int32_t rebuilds() const { return watcher_rebuild_count() - base_; }

    bool wait_for_rebuilds(int32_t count, DWORD timeout_ms = 5000) const
    {
        return test::wait_until([&] { return rebuilds() >= count; }, timeout_ms, 5);
    }

    // Several quiet passes, after which no further rebuild may have happened.
    void expect_no_rebuild_beyond(int32_t count) const
    {
        Sleep(quick_interval_ms * 8);
        EXPECT_EQ(rebuilds(), count);
    }

    static path_list launch_list() { return *current_launch_list(); }

    programs_roots roots_;
    std::string staging_;
    std::vector<std::string> links_;
    std::string moved_away_;
    HANDLE thread_ = nullptr;
    int32_t base_ = 0;
    DWORD started_ = 0;
};

TEST_F(Watcher, FirstPassBuildsEvenWithExactlyOneFile)
{
    place_file(common(std::string(test_folder) + "Only.url"));
    ASSERT_EQ(watcher_pass(platform_file_system(), roots_).file_count, 1) << "the prefix holds other files";

    start_watcher(quick_interval_ms);
    ASSERT_TRUE(wait_for_rebuilds(1));
    EXPECT_EQ(launch_list(), path_list{"Programs\\Velmora Test\\Only"});
    expect_no_rebuild_beyond(1);
}

TEST_F(Watcher, NewFileBelowEitherRootRebuildsOnce)
{
    start_watcher(quick_interval_ms);
    ASSERT_TRUE(wait_for_rebuilds(1));
    expect_no_rebuild_beyond(1);

    place_file(common(std::string(test_folder) + "Shared.url"));
    ASSERT_TRUE(wait_for_rebuilds(2));
    expect_no_rebuild_beyond(2);
    EXPECT_EQ(launch_list(), path_list{"Programs\\Velmora Test\\Shared"});

    // Any file counts, even one the menu never shows.
    place_file(user(std::string(test_folder) + "notes.txt"), "text");
    ASSERT_TRUE(wait_for_rebuilds(3));
    expect_no_rebuild_beyond(3);
    EXPECT_EQ(launch_list(), path_list{"Programs\\Velmora Test\\Shared"});
}

TEST_F(Watcher, RenameAndMoveRebuildOnceEach)
{
    ASSERT_TRUE(CreateDirectoryA(user(std::string(test_folder) + "Sub").c_str(), nullptr));
    place_file(common(std::string(test_folder) + "Alpha.url"));
    start_watcher(quick_interval_ms);
    ASSERT_TRUE(wait_for_rebuilds(1));
    EXPECT_EQ(launch_list(), path_list{"Programs\\Velmora Test\\Alpha"});

    ASSERT_TRUE(MoveFileA(common(std::string(test_folder) + "Alpha.url").c_str(),
                          common(std::string(test_folder) + "Beta.url").c_str()));
    ASSERT_TRUE(wait_for_rebuilds(2));
    expect_no_rebuild_beyond(2);
    EXPECT_EQ(launch_list(), path_list{"Programs\\Velmora Test\\Beta"});

    ASSERT_TRUE(MoveFileA(common(std::string(test_folder) + "Beta.url").c_str(),
                          user(std::string(test_folder) + "Sub\\Beta.url").c_str()));
    ASSERT_TRUE(wait_for_rebuilds(3));
    expect_no_rebuild_beyond(3);
    EXPECT_EQ(launch_list(), path_list{"Programs\\Velmora Test\\Sub\\Beta"});
}

TEST_F(Watcher, ProgramIntervalSeesANewShortcutWithinAboutFiveSeconds)
{
    start_watcher(watch_interval_ms);
    ASSERT_TRUE(wait_for_rebuilds(1));
    EXPECT_LT(GetTickCount() - started_, 2000u) << "the first pass runs at once";

    Sleep(300);
    place_file(user(std::string(test_folder) + "Late.url"));
    DWORD placed = GetTickCount();
    ASSERT_TRUE(wait_for_rebuilds(2, watch_interval_ms + 5000));
    DWORD waited = GetTickCount() - placed;
    EXPECT_LE(waited, watch_interval_ms + 1500);
    EXPECT_EQ(launch_list(), path_list{"Programs\\Velmora Test\\Late"});
    RecordProperty("notice_ms", static_cast<int>(waited));
}

TEST_F(Watcher, MissingProgramsFolderUnderOneRootIsFine)
{
    std::string away = user("Programs.velmora-away");
    ASSERT_TRUE(MoveFileA(user("Programs").c_str(), away.c_str()));
    moved_away_ = away;
    place_file(common(std::string(test_folder) + "Shared.url"));

    start_watcher(quick_interval_ms);
    ASSERT_TRUE(wait_for_rebuilds(1));
    EXPECT_EQ(launch_list(), path_list{"Programs\\Velmora Test\\Shared"});
    place_file(common(std::string(test_folder) + "Second.url"));
    ASSERT_TRUE(wait_for_rebuilds(2));
    expect_no_rebuild_beyond(2);
    EXPECT_EQ(launch_list(), (path_list{"Programs\\Velmora Test\\Second", "Programs\\Velmora Test\\Shared"}));
}

TEST_F(Watcher, LinkCycleNoLongerMultipliesTheWalk)
{
    const std::string loop = common(std::string(test_folder) + "Loop");
    ASSERT_TRUE(test::make_folders(loop + "\\Inner"));
    place_file(loop + "\\App.url");
    place_file(loop + "\\Inner\\Tool.url");
    // Three ways back up: unguarded, the walk would branch three ways at every level.
    link(loop + "\\Back", loop);
    link(loop + "\\Inner\\Up", loop);
    link(loop + "\\Inner\\Top", common("Programs"));

    DWORD start = GetTickCount();
    pass_signature pass = watcher_pass(platform_file_system(), roots_);
    DWORD pass_ms = GetTickCount() - start;
    EXPECT_EQ(pass.file_count, 2);
    EXPECT_LT(pass_ms, 2000u);

    start = GetTickCount();
    programs_tree tree = build_programs_tree(platform_file_system(), roots_);
    DWORD build_ms = GetTickCount() - start;
    EXPECT_LT(build_ms, 2000u);
    for (const std::string& element : tree.tree) {
        EXPECT_EQ(element.find("\\Back\\"), std::string::npos) << element;
        EXPECT_EQ(element.find("\\Up\\"), std::string::npos) << element;
        EXPECT_EQ(element.find("\\Top\\"), std::string::npos) << element;
    }
    EXPECT_EQ(tree.launch, (path_list{"Programs\\Velmora Test\\Loop\\App", "Programs\\Velmora Test\\Loop\\Inner\\Tool"}));

    start_watcher(quick_interval_ms);
    ASSERT_TRUE(wait_for_rebuilds(1));
    EXPECT_EQ(launch_list(), tree.launch);
    expect_no_rebuild_beyond(1);
    RecordProperty("pass_ms", static_cast<int>(pass_ms));
    RecordProperty("build_ms", static_cast<int>(build_ms));
}

}  // namespace
