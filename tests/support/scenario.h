#pragma once
// The fixture of the tests of the running program: Velmora beside the fake taskbar; Programs
// folders emptied before and after; shortcuts that start record_launch.exe with a tag, counted in a
// launch log; the menu walked with the keyboard, waiting for the program's own signals; and the
// proof that a run wrote nothing.

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/velmora_session.h"

namespace test {

class Scenario : public testing::Test {
public:
    // Copies file of the bin folder and Grafiken into a folder whose name the ANSI code page cannot
    // write, to be started from there instead of the recording build from the bin folder.
    void install(const char* file)
    {
        program_folder_ = make_temp_folder(utf8(u8"velmora_Łódź_Программа_中文_😀"));
        const std::string to = " " + shell_quoted(unix_path_of(program_folder_));
        ASSERT_TRUE(run_unix_script("cp " + shell_quoted(unix_path_of(fixture_path(file))) + to + " && cp -r " +
                                    shell_quoted(unix_path_of(exe_folder() + "Grafiken")) + to) &&
                    file_exists(program_folder_ + "Grafiken")) << file;
        program_ = program_folder_ + file;
    }
    std::string user_programs() const { return programs_folder(CSIDL_STARTMENU); }
    std::string common_programs() const { return programs_folder(CSIDL_COMMON_STARTMENU); }

    // A shortcut at path (folders made as needed) that starts record_launch.exe with tag.
    void shortcut(const std::string& path, const std::string& tag)
    {
        ASSERT_TRUE(make_folders(path.substr(0, path.find_last_of('\\'))) &&
                    create_shortcut(path, fixture_path("record_launch.exe"), launch_arguments(tag), ""))
            << path;
    }
    std::string launch_arguments(const std::string& tag) const { return "\"" + launch_log_ + "\" " + tag; }
    // The state the program must leave as it is, taken again after every change a test makes.
    void remember_folders() { remembered_ = fingerprints(); }

    // The name of an auto-reset event of this test, for the recording build's rebuilds (or its
    // question for the taskbar's edge) to wait for once begun; let_go() lets one go on.
    std::string hold_event() const { return "velmora-hold-" + std::to_string(GetCurrentProcessId()); }
    void let_go() { SetEvent(hold_); }

    void start(const start_options& options = {})
    {
        ASSERT_TRUE((session_.shell.process || start_fake_shell(session_)) && start_velmora(session_, program_, options))
            << program_;
    }
    void start_with_menu(const start_options& options = {})
    {
        ASSERT_NO_FATAL_FAILURE(start(options));
        ASSERT_TRUE(wait_for_lines(log(), "rebuild end", 1, 60000)) << "no first menu";
    }
    const std::string& log() const { return session_.record_log; }
    int menus_shown() { return count_lines(log(), "entries="); }

    bool open_menu() { return click_until_menu(session_, 60000); }
    // Waits until the menu has closed: the recording build says so, and its window has gone.
    void wait_for_menu_closed(int closed_before)
    {
        if (program_.find("velmora_recording.exe") != std::string::npos) {  // Velmora.exe writes no log
            EXPECT_TRUE(wait_for_lines(log(), "menu closed", closed_before + 1, 30000));
        }
        EXPECT_TRUE(wait_for_menu(false, 30000)) << "the menu stays open";
    }
    void close_menu()
    {
        const int closed = count_lines(log(), "menu closed");
        press_key(VK_ESCAPE);
        wait_for_menu_closed(closed);
    }
    // Opens the menu, presses the keys and waits until the menu has closed.
    void walk(const std::vector<WORD>& keys)
    {
        const int closed = count_lines(log(), "menu closed");
        ASSERT_TRUE(open_menu());
        for (WORD key : keys)
            press_key(key);
        wait_for_menu_closed(closed);
    }
    // Opens Programs, then at every level the item at that position (a negative one counts from
    // the end: -1 is the last), and presses Enter on the last one.
    void choose(const std::vector<int>& positions)
    {
        std::vector<WORD> keys = {VK_DOWN, VK_RIGHT};
        for (size_t level = 0; level < positions.size(); ++level) {
            keys.insert(keys.end(), std::abs(positions[level]), positions[level] < 0 ? VK_UP : VK_DOWN);
            keys.push_back(level + 1 < positions.size() ? VK_RIGHT : VK_RETURN);
        }
        walk(keys);
    }
    // The top-level item that downs Down presses select: 1 is "Programs", then the commands from
    // "Suchen" (2) to "Velmora beenden" (11). A greyed item stays open until Escape.
    void choose_top_item(int downs, bool greyed = false)
    {
        std::vector<WORD> keys(downs, VK_DOWN);
        keys.push_back(VK_RETURN);
        if (greyed)
            keys.push_back(VK_ESCAPE);
        walk(keys);
    }
    // Chooses "Informationen" and waits for its window with all its controls; nullptr if none came.
    HWND choose_about()
    {
        choose_top_item(10);
        HWND window = nullptr;
        const bool shown = wait_until([&] {
            window = FindWindowA("WindowClass_1", "Informationen");
            return IsWindowVisible(window) && GetDlgItem(window, 12);
        }, 30000);
        return shown ? window : nullptr;
    }

    int launched(const std::string& tag) { return count_lines(launch_log_, " " + tag + "|"); }
    int launches() { return count_lines(launch_log_, "cmdline="); }
    bool wait_for_launch(const std::string& tag) { return wait_until([&] { return launched(tag) > 0; }, 30000); }
    // The captions of the Programs submenu as the recording build last showed them.
    std::vector<std::string> shown_entries()
    {
        const std::vector<std::string> lines = lines_containing(log(), "entries=");
        return lines.empty() ? lines : split(lines.back().substr(8), '|');
    }
    void close_and_expect_nothing_written()
    {
        EXPECT_EQ(close_velmora(session_, 30000), 0) << "a close request must end it with exit code 0";
        EXPECT_EQ(fingerprints(), remembered_) << "the program wrote";
    }

    velmora_session session_;
    std::string program_ = "velmora_recording.exe";  // a file of the bin folder, or the installed copy
    std::string program_folder_;                     // of the installed copy
    std::string launch_log_;
    std::string scratch_;  // ends in "\"

protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        EXPECT_TRUE(clear_programs_folders());
        ASSERT_FALSE((scratch_ = make_temp_folder("velmora_scenario")).empty());
        launch_log_ = scratch_ + "launches.log";
        hold_ = CreateEventA(nullptr, FALSE, FALSE, hold_event().c_str());
    }
    void TearDown() override
    {
        if (visible_menu_window())
            press_key(VK_ESCAPE);
        end_session(session_, HasFailure());
        EXPECT_TRUE(clear_programs_folders());
        remove_tree(program_folder_);
        remove_tree(scratch_);
        CloseHandle(hold_);
        CoUninitialize();
    }

private:
    // Every name below the Start Menu folders and the program's, read on the Unix side, where odd
    // names and links are seen as they are: type, size, time, mode and every file's hash.
    std::vector<std::string> fingerprints()
    {
        std::vector<std::string> folders = {user_programs(), common_programs()};
        for (std::string& folder : folders)
            folder.resize(folder.size() - std::string("Programs\\").size());
        if (!program_folder_.empty())
            folders.push_back(program_folder_);
        std::vector<std::string> prints;
        for (const std::string& folder : folders) {
            EXPECT_TRUE(run_unix_script("cd " + shell_quoted(unix_path_of(folder)) +
                                        " && { find . -printf '%p %y %s %T@ %m\\n'; find . -type f -exec md5sum {} +; }"
                                        " | LC_ALL=C sort > " + shell_quoted(unix_path_of(scratch_) + "/print")));
            prints.push_back(folder + "\n" + read_file(scratch_ + "print"));
        }
        return prints;
    }

    std::vector<std::string> remembered_;
    HANDLE hold_ = nullptr;
};

}  // namespace test
