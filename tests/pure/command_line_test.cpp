// The command line handed to CreateProcessW and the folder the shell starts a file in.

#include <gtest/gtest.h>

#include <string>

#include "toolkit/command_line.h"

namespace {

TEST(CommandLine, QuotesTheFileAndAddsParametersAfterOneBlank)
{
    const struct { const char* file; const char* parameters; const char* expected; } rows[] = {
        {"C:\\Program Files\\a.exe", "", "\"C:\\Program Files\\a.exe\""},  // no trailing blank
        {"a.exe\"", "", "\"a.exe\"\""},                                      // only a leading quote counts
        {nullptr, "-x", "\"\" -x"},                                          // an absent file counts as ""
        {nullptr, nullptr, "\"\""},
        {"a.exe", " ", "\"a.exe\"  "},  // parameters are passed on unchanged, blanks included
    };
    for (const auto& row : rows)
        EXPECT_EQ(build_command_line(row.file, row.parameters), row.expected) << "row " << &row - rows;
}

TEST(FolderOfFile, IsTheTextUpToTheLastBackslash)
{
    const struct { const char* file; const char* expected; } rows[] = {
        {"C:\\Menu\\Programs\\Editor.lnk", "C:\\Menu\\Programs\\"},
        {"\\\\server\\share\\a.lnk", "\\\\server\\share\\"},  // a network path
        {"\"C:\\x y\\a.lnk\"", "C:\\x y\\"},                  // the quotes are not part of the folder
        {"\"\\a.lnk\"", ""},  // a backslash in first place gives no folder
        {"http://example.invalid/a", ""},  // a URL has no backslash
        {nullptr, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(folder_of_file(row.file), row.expected) << "row " << &row - rows;
}

}  // namespace
