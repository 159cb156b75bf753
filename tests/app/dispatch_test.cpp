// The launcher's candidates, with a recorder in place of the calls that start programs.

#include <gtest/gtest.h>

#include "app/dispatch.h"
#include "app/session_ops.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> g_started;

// A root the shell could not resolve must not turn a candidate into a path relative to the current
// directory, where anyone may have planted a shortcut.
TEST(LaunchEntry, SkipsARootThatCouldNotBeResolved)
{
    session_operations recorder = platform_session_operations;
    recorder.run_program = [](const char* file, const char*, const char*, uint32_t) -> intptr_t {
        g_started.push_back(file);
        return 1;
    };
    set_session_operations(&recorder);
    const std::string folder = test::make_temp_folder("launch");
    ASSERT_TRUE(test::make_folders(folder + "user\\Programs") && test::make_folders(folder + "Programs"));
    ASSERT_TRUE(test::write_file(folder + "Programs\\Planted.lnk", "planted"));
    ASSERT_TRUE(test::write_file(folder + "user\\Programs\\Planted.url", "[InternetShortcut]\r\n"));
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));

    launch_entry("Programs\\Planted", programs_roots{"", ""});  // starts nothing: the next check sees it all
    launch_entry("Programs\\Planted", programs_roots{folder + "user\\", ""});
    EXPECT_EQ(g_started, std::vector<std::string>{folder + "user\\Programs\\Planted.url"});

    SetCurrentDirectoryA(test::exe_folder().c_str());  // out of the folder, to remove it
    set_session_operations(nullptr);
    test::remove_tree(folder);
}

}  // namespace
