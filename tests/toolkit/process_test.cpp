// Starting programs, shortcuts and documents with run_program, and the Windows version code, under
// Wine. record_launch.exe writes the command line and working directory it was started with to a log.

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "toolkit/process.h"

namespace {

struct launch {
    std::string command_line;
    std::string directory;  // without a trailing backslash, as GetCurrentDirectoryA gives it
};

std::vector<launch> read_launches(const std::string& log)
{
    std::vector<launch> launches;
    for (const std::string& line : test::read_lines(log)) {
        const std::size_t cwd = line.rfind("|cwd=");
        if (line.rfind("cmdline=", 0) == 0 && cwd != std::string::npos)
            launches.push_back({line.substr(8, cwd - 8), line.substr(cwd + 5)});
    }
    return launches;
}

std::string in_quotes(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string without_backslash(const std::string& folder)
{
    return folder.substr(0, folder.size() - 1);
}

// Each test gets a fresh folder with a copy of record_launch.exe in a sub-folder whose name has a
// blank, so that a missing quote would start nothing.
class RunProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_process_library(); }
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_FALSE((folder_ = test::make_temp_folder("run_program")).empty());
        program_folder_ = folder_ + "Mein Programm\\";
        ASSERT_TRUE(test::make_folders(program_folder_));
        program_ = program_folder_ + "record_launch.exe";
        ASSERT_TRUE(CopyFileA(test::fixture_path("record_launch.exe").c_str(), program_.c_str(), FALSE));
        log_ = folder_ + "launches.log";
        log_argument_ = in_quotes(log_);
    }
    void TearDown() override
    {
        // Programs started without waiting may still hold the log for a moment.
        test::wait_until([&] { test::remove_tree(folder_); return GetFileAttributesA(folder_.c_str()) == INVALID_FILE_ATTRIBUTES; }, 5000);
        CoUninitialize();
    }
    std::vector<launch> wait_for_launches(std::size_t count)
    {
        test::wait_until([&] { return read_launches(log_).size() >= count; }, 15000);
        return read_launches(log_);
    }

    std::string folder_, program_folder_, program_, log_, log_argument_;
};

TEST_F(RunProgram, StartsAProgramWithExactlyTheCommandLineBuilt)
{
    const std::string parameters = log_argument_ + " eins  zwei";
    EXPECT_EQ(run_program(in_quotes(program_).c_str(), parameters.c_str(), folder_.c_str(), run_wait), 1);
    EXPECT_EQ(run_program(program_.c_str(), log_argument_.c_str(), nullptr, run_wait), 1);
    // The longest command line the system takes (32766 characters), through a long program path
    // that still names the copy: the file system skips the "." folders.
    std::string long_file = program_folder_;
    while (long_file.size() < 1000)
        long_file += ".\\";
    long_file += "record_launch.exe";
    std::string long_parameters = log_argument_ + " ";
    while (long_parameters.size() < 32766 - long_file.size() - 3)
        long_parameters += static_cast<char>('a' + long_parameters.size() % 26);
    EXPECT_EQ(run_program(long_file.c_str(), long_parameters.c_str(), "", run_wait), 1);

    const std::vector<launch> launches = read_launches(log_);  // waited for: all there
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_EQ(launches[0].command_line, in_quotes(program_) + " " + parameters);  // not quoted twice
    EXPECT_EQ(launches[0].directory, without_backslash(folder_));
    EXPECT_EQ(launches[1].command_line, in_quotes(program_) + " " + log_argument_);
    EXPECT_EQ(launches[2].command_line, in_quotes(long_file) + " " + long_parameters);
    EXPECT_EQ(launches[2].command_line.size(), 32766u);

    // Empty parameters add no blank: the copy then logs beside itself.
    EXPECT_EQ(run_program(program_.c_str(), "", "", run_wait), 1);
    std::vector<launch> bare = read_launches(program_folder_ + "record_launch.log");
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare[0].command_line, in_quotes(program_));
}

TEST_F(RunProgram, ReportsWhatCannotBeStarted)
{
    const std::string missing = folder_ + "fehlt.exe";
    // in_quotes(program_), a blank and these parameters: 32767 characters.
    const std::string too_long = log_argument_ + " " + std::string(32763 - program_.size() - log_argument_.size(), 'x');
    const struct {
        const char* what;
        std::string file, parameters;
        uint32_t flags;
    } rows[] = {
        {"a missing program", missing, "", 0},
        {"a missing shortcut", folder_ + "fehlt.lnk", "", run_wait},
        {"no file", "", "", 0},
        {"one character beyond the longest command line", program_, too_long, run_wait},
        {"far beyond any path", folder_ + std::string(70000, 'x') + ".exe", std::string(70000, 'p'), 0},
        {"a pipe asked for (8)", program_, log_argument_, run_wait | 8},
        {"a pipe asked for (64)", program_, log_argument_, run_keep | 64},
    };
    for (const auto& row : rows)
        EXPECT_EQ(run_program(row.file.c_str(), row.parameters.c_str(), "", row.flags), 0) << row.what;
    EXPECT_EQ(run_program(nullptr), 0);
    test::pump_messages(300);
    EXPECT_TRUE(read_launches(log_).empty()) << "nothing started, not even cut short";
}

TEST_F(RunProgram, HideReturnsAtOnceAndWaitWaits)
{
    DWORD start = GetTickCount();
    EXPECT_EQ(run_program(program_.c_str(), (log_argument_ + " sleep=2000").c_str(), "", run_hide), 1);
    EXPECT_LT(GetTickCount() - start, 1500u);
    start = GetTickCount();
    EXPECT_EQ(run_program(program_.c_str(), (log_argument_ + " sleep=800").c_str(), "", run_wait | run_hide), 1);
    EXPECT_GE(GetTickCount() - start, 700u);  // the tick count is coarse
}

// A shortcut or a document is no program: CreateProcessA refuses it and the shell opens it. Without
// a working directory of its own, the target starts in the folder of the file opened.
TEST_F(RunProgram, OpensShortcutsAndDocumentsThroughTheShell)
{
    const std::string menu_folder = folder_ + "Startmen\xFC Programme\\";
    ASSERT_TRUE(test::make_folders(menu_folder));
    const std::string link = menu_folder + "Protokoll.lnk";
    const std::string arguments = log_argument_ + " per Verkn\xFCpfung";
    ASSERT_TRUE(test::create_shortcut(link, program_, arguments, program_folder_));
    EXPECT_EQ(run_program(link.c_str(), "", "", 0), 1);
    EXPECT_EQ(run_program(link.c_str(), "", "", run_wait), 1);  // the shell gives no process to wait for
    EXPECT_EQ(run_program(in_quotes(link).c_str()), 1);            // quoted, as a program could be
    const std::vector<launch> launches = wait_for_launches(3);
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_NE(launches[0].command_line.find(arguments), std::string::npos);
    EXPECT_EQ(launches[0].directory, without_backslash(program_folder_));  // the shortcut's own

    // A document opens with the program its file type names.
    const std::string document = menu_folder + "Brief.velmoradok";
    ASSERT_TRUE(test::write_file(document, "Text"));
    const std::string command = in_quotes(program_) + " " + log_argument_ + " \"%1\"";
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, ".velmoradok", nullptr, REG_SZ, "Velmora.Testdokument", 21), 0);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, "Velmora.Testdokument\\shell\\open\\command", nullptr, REG_SZ,
                              command.c_str(), static_cast<DWORD>(command.size() + 1)), 0);
    EXPECT_EQ(run_program(document.c_str(), "", "", run_wait), 1);
    EXPECT_EQ(run_program(document.c_str(), "", folder_.c_str(), run_wait), 1);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".velmoradok");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "Velmora.Testdokument");
    const std::vector<launch> documents = read_launches(log_);
    ASSERT_EQ(documents.size(), 5u);
    EXPECT_NE(documents[3].command_line.find(document), std::string::npos);
    EXPECT_EQ(documents[3].directory, without_backslash(menu_folder));
    EXPECT_EQ(documents[4].directory, without_backslash(folder_));  // the caller's choice wins
}

// Wine gives each program file name its own Windows version through AppDefaults in the registry.
TEST(OsVersion, MapsWhatTheSystemReports)
{
    const std::string folder = test::make_temp_folder("os_version");
    auto probe_as = [&](const std::string& version) {
        const std::string name = "os_version_probe_" + version + "_" + std::to_string(GetCurrentProcessId()) + ".exe";
        if (!CopyFileA(test::fixture_path("os_version_probe.exe").c_str(), (folder + name).c_str(), FALSE))
            return -2L;
        const std::string key = "Software\\Wine\\AppDefaults\\" + name;
        if (version != "default")
            RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ, version.c_str(),
                            static_cast<DWORD>(version.size() + 1));
        test::child_process child = test::start_process(in_quotes(folder + name));
        const long code = test::wait_exit(child, 30000);
        test::close_process(child);
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
        return code;
    };
    EXPECT_EQ(os_version(), 70);         // a fresh prefix: NT 6.1 workstation
    EXPECT_EQ(probe_as("default"), 70);
    EXPECT_EQ(probe_as("winxp"), 60);    // NT 5.1 workstation
    EXPECT_EQ(probe_as("win2008"), 75);  // NT 6.0 server
    test::remove_tree(folder);
}

}  // namespace
