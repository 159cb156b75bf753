// test-lock: desktop
// test-label: wow64
// The 32-bit Velmora.exe, which users download and start, on 32-bit and on 64-bit Windows, from a
// folder whose name the ANSI code page cannot write. On 64-bit Windows it hands over to the 64-bit
// build beside it, which opens shortcuts as the desktop does: one to a program that exists only in
// the 64-bit System32 starts it, where a 32-bit process would look in SysWOW64 and start nothing.
// Without the 64-bit build, and on 32-bit Windows, the 32-bit program runs itself.

#include "tests/support/scenario.h"

namespace {

using namespace test;

bool on_64_bit_windows()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The 64-bit build's bin folder through Wine's drive Z:, the Unix root, ending in "\"; "" when not
// configured.
std::string partner_bin()
{
    std::string path = *VELMORA_PARTNER_BIN ? std::string("Z:") + VELMORA_PARTNER_BIN + "/" : "";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The processes owning a window of the class of Velmora's main window.
std::vector<DWORD> main_window_owners()
{
    std::vector<DWORD> owners;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "WindowClass_0", nullptr));) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        owners.push_back(process);
    }
    return owners;
}

class Widths : public Scenario {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(Scenario::SetUp());
        ASSERT_FALSE((partner_ = partner_bin()).empty())
            << "the 32-bit tests need -DVELMORA_PARTNER_BIN=<the 64-bit build's bin folder>";
        ASSERT_TRUE(file_exists(partner_ + "Velmora.exe")) << partner_;
        install("Velmora.exe");
        shortcut(user_programs() + utf8(u8"Gewöhnlich.lnk"), "plain");
    }
    void TearDown() override
    {
        Scenario::TearDown();
        if (!only_64_bit_.empty())
            run_unix_script("rm -f " + shell_quoted(only_64_bit_));
    }
    // Starts Velmora.exe beside the fake taskbar and takes over the process that ends up serving.
    void start_and_follow(bool hands_over, const start_options& options = {})
    {
        ASSERT_TRUE(start_fake_shell(session_) && launch_velmora(session_, program_, options));
        if (hands_over) {
            EXPECT_EQ(wait_exit(session_.velmora, 30000), 0) << "the 32-bit copy runs on";
            end_process(session_.velmora);
        }
        ASSERT_TRUE(wait_until([] { return main_window_owners().size() == 1; }, 30000));
        const DWORD serving = main_window_owners()[0];
        if (hands_over)
            session_.velmora = {OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, serving),
                                serving};
        EXPECT_EQ(serving, session_.velmora.id) << "another process serves the Start button";
        // Its main window comes before its hook: clicks wait for its main loop.
        ASSERT_EQ(WaitForInputIdle(session_.velmora.process, 30000), 0u);
        BOOL serving_under_wow64 = TRUE;
        ASSERT_TRUE(IsWow64Process(session_.velmora.process, &serving_under_wow64));
        EXPECT_EQ(serving_under_wow64 != FALSE, on_64_bit_windows() && !hands_over) << "a copy of the wrong width serves";
    }

    std::string partner_;
    std::string only_64_bit_;  // the Unix path of the program placed in the 64-bit System32
};

TEST_F(Widths, TheSystemsOwnWidthServesAndOpensEveryShortcut)
{
    ASSERT_TRUE(CopyFileW(wide(partner_ + "Velmora.exe").c_str(), wide(program_folder_ + "Velmora64.exe").c_str(), FALSE));
    const bool wow64 = on_64_bit_windows();
    if (wow64) {
        // The 64-bit launch recorder, in the 64-bit System32 only (its Unix folder: no redirection).
        only_64_bit_ = unix_path_of("C:\\") + "/windows/system32/velmora_nur64.exe";
        ASSERT_TRUE(run_unix_script("cp " + shell_quoted(unix_path_of(partner_ + "record_launch.exe")) + " " +
                                    shell_quoted(only_64_bit_)));
        ASSERT_TRUE(create_shortcut(user_programs() + "Nur64.lnk", "C:\\windows\\system32\\velmora_nur64.exe",
                                    launch_arguments("nur64"), ""));
    }
    remember_folders();
    ASSERT_NO_FATAL_FAILURE(start_and_follow(wow64));
    choose({0});
    EXPECT_TRUE(wait_for_launch("plain"));
    if (wow64) {
        choose({1});
        EXPECT_TRUE(wait_for_launch("nur64")) << "the program in the 64-bit System32 did not start";
    }
    close_and_expect_nothing_written();
}

// Without the 64-bit build (tests/system/roads_test.cpp), and beside a 32-bit file under the
// 64-bit build's name (a self-built copy renamed by mistake), the 32-bit one serves: started, that
// copy would start itself again, and so on for ever.
TEST_F(Widths, Without64BitBuildThe32BitOneServes)
{
    ASSERT_TRUE(CopyFileW(wide(program_folder_ + "Velmora.exe").c_str(), wide(program_folder_ + "Velmora64.exe").c_str(),
                          FALSE));
    ASSERT_NO_FATAL_FAILURE(start_and_follow(false));
}

// The copy that serves works in the current folder that the 32-bit one was started in, where a
// relative path names what it named for the 32-bit one; a folder whose name the ANSI code page
// cannot write, as the program's own.
TEST_F(Widths, TheServingCopyWorksInTheFolderThe32BitOneWasStartedIn)
{
    const bool wow64 = on_64_bit_windows();
    program_ = program_folder_ + "velmora_recording.exe";
    ASSERT_TRUE(CopyFileW(wide(fixture_path("velmora_recording.exe")).c_str(), wide(program_).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(wide(partner_ + "velmora_recording.exe").c_str(),
                          wide(program_folder_ + "velmora_recording64.exe").c_str(), FALSE));
    const std::string folder = scratch_ + utf8(u8"Arbeit Łódź 中文\\");
    ASSERT_TRUE(make_folders(folder));
    ASSERT_NO_FATAL_FAILURE(start_and_follow(wow64, {.directory = folder}));
    EXPECT_EQ(count_lines(log(), std::string("started ") + (wow64 ? "64" : "32") + "-bit in " +
                                     folder.substr(0, folder.size() - 1)), 1);
}

}  // namespace
