// test-lock: desktop
// The change watcher on the real Start Menu folders of the test prefix, at the program's own
// interval: how soon a new shortcut leads to a rebuild. Which changes count is checked on the pass
// signature in tests/pure/programs_tree_test.cpp, and that every change rebuilds exactly once by
// the 200 rebuilds of tests/system/faults_test.cpp.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "catalogue/menu_publication.h"
#include "catalogue/start_menu_fs.h"
#include "catalogue/watcher.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"
#include "tests/support/test_support.h"

namespace {

TEST(Watcher, ProgramIntervalSeesANewShortcutWithinAboutFiveSeconds)
{
    CoInitialize(nullptr);
    init_menu_library();
    init_image_library();
    const std::string folder = current_programs_roots().user + "Programs\\Velmora Test\\";
    const std::string staging = test::make_temp_folder("velmora_watch");
    ASSERT_TRUE(!staging.empty() && test::make_folders(folder));
    reset_menu_publication();
    reset_watcher();
    set_watch_interval(watch_interval_ms);
    const int32_t base = watcher_rebuild_count();
    HANDLE thread = CreateThread(nullptr, 0, watch_programs, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);

    auto rebuilds = [&] { return watcher_rebuild_count() - base; };
    EXPECT_TRUE(test::wait_until([&] { return rebuilds() == 1; }, 2000, 5)) << "the first pass runs at once";
    Sleep(300);
    // The file appears in one step, as a copy by the user would: made aside, then moved in.
    ASSERT_TRUE(test::write_file(staging + "Late.url", "[InternetShortcut]\r\n"));
    ASSERT_TRUE(MoveFileA((staging + "Late.url").c_str(), (folder + "Late.url").c_str()));
    DWORD placed = GetTickCount();
    EXPECT_TRUE(test::wait_until([&] { return rebuilds() == 2; }, watch_interval_ms + 5000, 5));
    EXPECT_LE(GetTickCount() - placed, watch_interval_ms + 1500);
    EXPECT_EQ(*current_launch_list(), path_list{"Programs\\Velmora Test\\Late"});

    EXPECT_TRUE(stop_rebuilds(30000));
    EXPECT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);
    reset_menu_publication();
    test::remove_tree(folder);
    test::remove_tree(staging);
    CoUninitialize();
}

}  // namespace
