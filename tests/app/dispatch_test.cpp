// The launcher's candidates, with a recorder in place of the calls that start programs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dispatch.h"
#include "app/session_ops.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> g_started;

intptr_t record_run(const char* file, const char*, const char*, uint32_t)
{
    g_started.push_back(file);
    return 1;
}

// A root the shell could not resolve must not turn a candidate into a path relative to the current
// directory, where anyone may have planted a shortcut.
TEST(LaunchEntry, SkipsARootThatCouldNotBeResolved)
{
    session_operations recorder = platform_session_operations;
    recorder.run_program = record_run;
    set_session_operations(&recorder);
    const std::string folder = test::make_temp_folder("launch");
    ASSERT_TRUE(test::make_folders(folder + "user\\Programs") && test::make_folders(folder + "Programs"));
    ASSERT_TRUE(test::write_file(folder + "Programs\\Planted.lnk", "planted"));
    ASSERT_TRUE(test::write_file(folder + "user\\Programs\\Planted.url", "[InternetShortcut]\r\n"));
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));

    launch_entry("Programs\\Planted", programs_roots{"", ""});
    EXPECT_TRUE(g_started.empty());
    launch_entry("Programs\\Planted", programs_roots{folder + "user\\", ""});
    EXPECT_EQ(g_started, std::vector<std::string>{folder + "user\\Programs\\Planted.url"});

    SetCurrentDirectoryA(previous);
    set_session_operations(nullptr);
    test::remove_tree(folder);
}

}  // namespace
