// Starting programs and shortcuts with run_program, and the Windows version code, under Wine.
// record_launch.exe writes the command line and working directory it was started with to a log.

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "toolkit/process.h"

namespace {

struct launch {
    std::string command_line;
    std::string directory;
};

std::vector<launch> read_launches(const std::string& log)
{
    std::vector<launch> launches;
    for (const std::string& line : test::read_lines(log)) {
        const std::size_t cwd = line.rfind("|cwd=");
        if (line.rfind("cmdline=", 0) != 0 || cwd == std::string::npos)
            continue;
        launches.push_back({line.substr(8, cwd - 8), line.substr(cwd + 5)});
    }
    return launches;
}

std::string without_trailing_backslash(std::string folder)
{
    if (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string current_directory()
{
    char directory[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    return directory;
}

std::string in_quotes(const std::string& text)
{
    return "\"" + text + "\"";
}

// Each test gets a fresh folder with a copy of record_launch.exe in a sub-folder whose name has a
// blank, so that a missing quote would start nothing; without arguments the copy logs beside itself.
class RunProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_process_library(); }

    void SetUp() override
    {
        CoInitialize(nullptr);
        folder_ = test::make_temp_folder("run_program");
        ASSERT_FALSE(folder_.empty());
        program_folder_ = folder_ + "Mein Programm\\";
        ASSERT_TRUE(test::make_folders(program_folder_));
        program_ = program_folder_ + "record_launch.exe";
        ASSERT_TRUE(CopyFileA(test::fixture_path("record_launch.exe").c_str(), program_.c_str(), FALSE));
        log_ = program_folder_ + "record_launch.log";
    }

    void TearDown() override
    {
        // Programs started without waiting may still hold the log for a moment.
        test::wait_until([&] {
            test::remove_tree(folder_);
            return !test::file_exists(folder_);
        }, 5000);
        CoUninitialize();
    }

    std::vector<launch> wait_for_launches(std::size_t count, const std::string& log)
    {
        test::wait_until([&] { return read_launches(log).size() >= count; }, 15000);
        return read_launches(log);
    }
    std::vector<launch> wait_for_launches(std::size_t count) { return wait_for_launches(count, log_); }

    std::string folder_;
    std::string program_folder_;
    std::string program_;
    std::string log_;
};

TEST_F(RunProgram, StartsAProgramWithExactlyTheCommandLineBuilt)
{
    EXPECT_EQ(run_program(program_.c_str(), "", "", run_wait), 1);
    const std::string parameters = in_quotes(log_) + " eins  zwei";
    EXPECT_EQ(run_program(in_quotes(program_).c_str(), parameters.c_str(), folder_.c_str(), run_wait), 1);
    EXPECT_EQ(run_program(program_.c_str(), nullptr, nullptr, run_wait), 1);

    const std::vector<launch> launches = read_launches(log_);  // waited for: all there
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_EQ(launches[0].command_line, in_quotes(program_));  // empty parameters add no blank
    EXPECT_EQ(launches[0].directory, current_directory());
    EXPECT_EQ(launches[1].command_line, in_quotes(program_) + " " + parameters);  // not quoted twice
    EXPECT_EQ(launches[1].directory, without_trailing_backslash(folder_));
    EXPECT_EQ(launches[2].command_line, in_quotes(program_));

    EXPECT_EQ(run_program(program_.c_str()), 1);  // the short form: no parameters, no waiting
    EXPECT_EQ(wait_for_launches(4).back().command_line, in_quotes(program_));
}

TEST_F(RunProgram, PassesLongFilesAndParametersWhole)
{
    // A long program path that still names the copy: the file system skips the "." folders.
    std::string long_file = program_folder_;
    while (long_file.size() < 1000)
        long_file += ".\\";
    long_file += "record_launch.exe";
    // The longest command line the system takes: 32766 characters and the terminating zero.
    std::string parameters = in_quotes(log_) + " ";
    const std::string tail = "0123456789abcdefghijklmnopqrstuvwxyz";
    while (parameters.size() < 32766 - long_file.size() - 3)
        parameters += tail[parameters.size() % tail.size()];
    ASSERT_EQ(long_file.size() + 3 + parameters.size(), 32766u);

    EXPECT_EQ(run_program(long_file.c_str(), parameters.c_str(), "", run_wait), 1);
    const std::vector<launch> launches = read_launches(log_);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].command_line.size(), 32766u);
    EXPECT_EQ(launches[0].command_line, in_quotes(long_file) + " " + parameters);

    // One character more starts nothing, rather than a program with its parameters cut short.
    parameters += "x";
    EXPECT_EQ(run_program(long_file.c_str(), parameters.c_str(), "", run_wait), 0);
    EXPECT_EQ(run_program(program_.c_str(), (parameters + std::string(70000, 'p')).c_str(), "", run_wait), 0);
    EXPECT_EQ(read_launches(log_).size(), 1u);
}

TEST_F(RunProgram, ReportsWhatCannotBeStarted)
{
    const std::string missing = folder_ + "fehlt.exe";
    EXPECT_EQ(run_program(missing.c_str(), "", "", 0), 0);
    EXPECT_EQ(run_program((folder_ + "fehlt.lnk").c_str(), "", "", run_wait), 0);
    EXPECT_EQ(run_program(missing.c_str(), "", "", run_keep), 0);
    EXPECT_EQ(run_program(""), 0);
    EXPECT_EQ(run_program(nullptr), 0);
    // Far beyond any command line or path the system takes.
    const std::string huge_file = folder_ + std::string(70000, 'x') + ".exe";
    const std::string huge_parameters(70000, 'p');
    EXPECT_EQ(run_program(huge_file.c_str(), huge_parameters.c_str(), "", 0), 0);
    // Pipes are not offered: no program starts without the pipe asked for.
    for (uint32_t pipe_flag : {8u, 16u, 32u, 64u})
        EXPECT_EQ(run_program(program_.c_str(), "", "", run_keep | run_wait | pipe_flag), 0) << pipe_flag;
    test::pump_messages(300);
    EXPECT_TRUE(read_launches(log_).empty());
}

TEST_F(RunProgram, HideReturnsAtOnceAndWaitWaits)
{
    const std::string sleeping = in_quotes(log_) + " sleep=2000";
    DWORD start = GetTickCount();
    EXPECT_EQ(run_program(program_.c_str(), sleeping.c_str(), "", run_hide), 1);
    EXPECT_LT(GetTickCount() - start, 1500u);

    const std::string short_sleep = in_quotes(log_) + " sleep=800";
    start = GetTickCount();
    EXPECT_EQ(run_program(program_.c_str(), short_sleep.c_str(), "", run_wait | run_hide), 1);
    EXPECT_GE(GetTickCount() - start, 700u);  // the tick count is coarse
    EXPECT_GE(read_launches(log_).size(), 1u);
}

TEST_F(RunProgram, KeepsTheProcessUntilForgotten)
{
    const intptr_t kept = run_program(program_.c_str(), "", "", run_keep);
    const intptr_t waited = run_program(program_.c_str(), "", "", run_keep | run_wait);
    ASSERT_GT(kept, 1);  // never mistaken for 0 (failure) or 1 (started, not kept)
    ASSERT_GT(waited, 1);
    EXPECT_NE(kept, waited);
    EXPECT_EQ(WaitForSingleObject(program_process(kept), 15000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(program_process(waited), 0), WAIT_OBJECT_0);  // already ended

    forget_program(kept);
    EXPECT_EQ(program_process(kept), nullptr);
    EXPECT_NE(program_process(waited), nullptr);  // the other record stays
    forget_program(waited);
    forget_program(waited);  // forgetting twice does nothing
    EXPECT_EQ(program_process(waited), nullptr);
    EXPECT_EQ(program_process(1), nullptr);
}

// A shortcut is no program: CreateProcessA refuses it and the shell opens it.
TEST_F(RunProgram, OpensAShortcutThroughTheShell)
{
    const std::string menu_folder = folder_ + "Startmen\xFC Programme\\";
    ASSERT_TRUE(test::make_folders(menu_folder));
    const std::string link = menu_folder + "Protokoll.lnk";
    const std::string link_log = folder_ + "shortcut.log";
    const std::string arguments = in_quotes(link_log) + " per Verkn\xFCpfung";
    ASSERT_TRUE(test::create_shortcut(link, program_, arguments, folder_));

    EXPECT_EQ(run_program(link.c_str(), "", "", 0), 1);
    std::vector<launch> launches = wait_for_launches(1, link_log);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_NE(launches[0].command_line.find("record_launch.exe"), std::string::npos);
    EXPECT_NE(launches[0].command_line.find(arguments), std::string::npos);
    EXPECT_EQ(launches[0].directory, without_trailing_backslash(folder_));  // the shortcut's own

    // The shell gives no process for a shortcut: waiting and keeping must cope without one.
    EXPECT_EQ(run_program(link.c_str(), "", "", run_wait), 1);
    const intptr_t kept = run_program(link.c_str(), "", "", run_keep);
    EXPECT_GT(kept, 1);
    EXPECT_EQ(program_process(kept), nullptr);
    forget_program(kept);
    EXPECT_EQ(run_program(in_quotes(link).c_str()), 1);  // quoted, as a program could be
    launches = wait_for_launches(4, link_log);
    EXPECT_EQ(launches.size(), 4u);

    // Names far longer than any path never reach the shell.
    const std::string long_link = menu_folder + std::string(1000, 'l') + ".lnk";
    EXPECT_EQ(run_program(long_link.c_str(), "", "", 0), 0);
}

// A document opens with the program its file type names, in the document's own folder unless
// the caller chose one.
TEST_F(RunProgram, OpensADocumentInItsOwnFolder)
{
    const std::string document_folder = folder_ + "Dokumente\\";
    ASSERT_TRUE(test::make_folders(document_folder));
    const std::string document = document_folder + "Brief.velmoradok";
    ASSERT_TRUE(test::write_file(document, "Text"));
    const std::string document_log = folder_ + "document.log";
    const std::string type_key = "Velmora.Testdokument";
    const std::string command = in_quotes(program_) + " " + in_quotes(document_log) + " \"%1\"";
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, ".velmoradok", nullptr, REG_SZ,
                              "Velmora.Testdokument", 21), ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, (type_key + "\\shell\\open\\command").c_str(), nullptr,
                              REG_SZ, command.c_str(), static_cast<DWORD>(command.size() + 1)),
              ERROR_SUCCESS);

    EXPECT_EQ(run_program(document.c_str(), "", "", run_wait), 1);  // the shell gives a process here
    EXPECT_EQ(run_program(document.c_str(), "", program_folder_.c_str(), run_wait), 1);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".velmoradok");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, type_key.c_str());

    const std::vector<launch> launches = read_launches(document_log);
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_NE(launches[0].command_line.find(document), std::string::npos);
    EXPECT_EQ(launches[0].directory, without_trailing_backslash(document_folder));
    EXPECT_EQ(launches[1].directory, without_trailing_backslash(program_folder_));
}

// Wine gives each program file name its own Windows version through the registry.
class OsVersion : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = test::make_temp_folder("os_version");
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override { test::remove_tree(folder_); }

    // The exit code of a copy of the probe that Wine runs as the given version ("" for the default).
    long probe_as(const std::string& version)
    {
        const std::string name = "os_version_probe_" + (version.empty() ? "default" : version) + "_" +
                                 std::to_string(GetCurrentProcessId()) + ".exe";
        const std::string copy = folder_ + name;
        if (!CopyFileA(test::fixture_path("os_version_probe.exe").c_str(), copy.c_str(), FALSE))
            return -2;
        const std::string key = "Software\\Wine\\AppDefaults\\" + name;
        if (!version.empty()) {
            HKEY settings = nullptr;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &settings, nullptr) != ERROR_SUCCESS)
                return -3;
            RegSetValueExA(settings, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                           static_cast<DWORD>(version.size() + 1));
            RegCloseKey(settings);
        }
        test::child_process child = test::start_process(in_quotes(copy));
        const long code = child.process ? test::wait_exit(child, 30000) : -4;
        test::close_process(child);
        if (!version.empty())
            RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
        return code;
    }

    std::string folder_;
};

TEST_F(OsVersion, MapsWhatTheSystemReports)
{
    EXPECT_EQ(os_version(), 70);            // a fresh prefix: NT 6.1 workstation
    EXPECT_EQ(probe_as(""), 70);
    EXPECT_EQ(probe_as("winxp"), 60);       // NT 5.1 workstation
    EXPECT_EQ(probe_as("win2003"), 65);     // NT 5.2 server
    EXPECT_EQ(probe_as("win2008"), 75);     // NT 6.0 server
    EXPECT_EQ(probe_as("vista"), 70);       // NT 6.0 workstation: the minor version does not count
}

}  // namespace
