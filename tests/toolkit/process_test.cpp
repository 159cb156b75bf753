// run_program under Wine: record_launch.exe logs the command line, directory and show command it got.
// Shortcuts, which the shell opens, are started end to end by the tests in tests/system/.

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "toolkit/process.h"

namespace {

std::string in_quotes(const std::string& text) { return "\"" + text + "\""; }

// A fresh folder with a copy of record_launch.exe in a sub-folder whose name has a blank, so that a
// missing quote would start nothing, and letters the ANSI code page lacks.
class RunProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);  // the shell may be asked
        ASSERT_FALSE((folder_ = test::make_temp_folder("run_program")).empty());
        program_ = folder_ + test::utf8(u8"Mein Programm Łódź 中文\\record_launch.exe");
        const std::wstring fixture = test::wide(test::fixture_path("record_launch.exe"));
        ASSERT_TRUE(test::make_folders(program_.substr(0, program_.rfind('\\'))) &&
                    CopyFileW(fixture.c_str(), test::wide(program_).c_str(), FALSE));
        log_ = in_quotes(folder_ + "launches.log");
    }
    void TearDown() override { test::remove_tree(folder_); }
    // The count-th line of the launch log: "cmdline=...|cwd=...|show=...".
    std::string launch(std::size_t count)
    {
        std::vector<std::string> lines;
        test::wait_until([&] { return (lines = test::read_lines(folder_ + "launches.log")).size() >= count; }, 30000);
        return lines.size() >= count ? lines[count - 1] : "";
    }
    std::string folder_, program_, log_;
};

// Exactly the command line built (the quoted file not quoted twice), in the directory given, shown
// or hidden; and what cannot be started reports 0 and starts nothing. The longest command line is
// counted in UTF-16 units.
TEST_F(RunProgram, StartsAProgramWithExactlyTheCommandLineBuiltOrReportsWhyNot)
{
    const std::size_t room = 32763 - test::wide(program_).size() - test::wide(log_).size();  // to the longest
    const std::string too_long = log_ + " " + std::string(room, 'x');
    std::string longest = log_ + " ";
    for (std::size_t i = 1; i < room; ++i)
        longest += test::utf8(u8"ü");  // two bytes, one unit
    const struct { const char* what; std::string file, parameters; uint32_t flags; } refused[] = {
        {"a missing program", folder_ + "fehlt.exe", "", 0},
        {"a missing shortcut", folder_ + "fehlt.lnk", "", 0},
        {"no file", "", "", 0},
        {"one character beyond the longest command line", program_, too_long, 0},
        {"a flag it does not know", program_, log_, 1},
    };
    for (const auto& row : refused)
        EXPECT_EQ(run_program(row.file.c_str(), row.parameters.c_str(), "", row.flags), 0) << row.what;
    EXPECT_EQ(run_program(nullptr, nullptr, nullptr, 0), 0);

    // Launches are logged in the order they are made: the refused ones would come first.
    EXPECT_EQ(run_program(in_quotes(program_).c_str(), (log_ + " eins  zwei").c_str(), folder_.c_str(), 0), 1);
    EXPECT_EQ(launch(1), "cmdline=" + in_quotes(program_) + " " + log_ + " eins  zwei|cwd=" +
                             folder_.substr(0, folder_.size() - 1) + "|show=1");
    EXPECT_EQ(run_program(program_.c_str(), log_.c_str(), nullptr, run_hide), 1);
    EXPECT_TRUE(launch(2).starts_with("cmdline=" + in_quotes(program_) + " " + log_ + "|cwd=") &&
                launch(2).ends_with("|show=0")) << launch(2);
    EXPECT_EQ(run_program(program_.c_str(), longest.c_str(), nullptr, 0), 1);
    EXPECT_NE(launch(3).find("cmdline=" + in_quotes(program_) + " " + longest + "|"), std::string::npos);
}

}  // namespace
