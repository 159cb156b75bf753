#pragma once
// What every system test shares: Velmora installed in a folder of its own and started from there
// beside the fake taskbar; Programs folders emptied before and after; shortcuts that start
// record_launch.exe with a tag, counted in a launch log; the menu walked with the keyboard as a
// user can; and the proof that a run wrote nothing. Fingerprints of both Start Menu folders and
// of the program's folder are taken when the scenario's set-up is done and compared once the
// program has ended, before anything is cleaned up.

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/folder_fingerprint.h"
#include "tests/support/installed_program.h"
#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"
#include "tests/support/wine_links.h"

namespace test {

class SystemScenario : public testing::Test {
public:
    // ---- set-up

    void install(const char* file, bool with_grafiken = true)
    {
        ASSERT_TRUE(install_program(&program_, file, with_grafiken)) << file;
    }
    std::string user_programs() const { return programs_folder(CSIDL_STARTMENU); }
    std::string common_programs() const { return programs_folder(CSIDL_COMMON_STARTMENU); }

    // A shortcut at path (folders made as needed) that starts record_launch.exe with tag.
    void shortcut(const std::string& path, const std::string& tag)
    {
        ASSERT_TRUE(make_folders(path.substr(0, path.find_last_of('\\'))));
        ASSERT_TRUE(create_shortcut(path, fixture_path("record_launch.exe"), "\"" + launch_log_ + "\" " + tag, ""))
            << path;
    }
    // Such a shortcut in a scratch folder, to be copied into place: returns its Unix path.
    std::string shortcut_template(const std::string& tag)
    {
        std::string path = scratch_ + "template_" + tag + ".lnk";
        if (!file_exists(path)) {
            EXPECT_TRUE(create_shortcut(path, fixture_path("record_launch.exe"), "\"" + launch_log_ + "\" " + tag, ""));
        }
        return unix_path_of(path);
    }
    void unix_script(const std::string& script, DWORD timeout_ms = 60000)
    {
        ASSERT_TRUE(run_unix_script(script, timeout_ms)) << script;
    }
    // Undone in TearDown even when the test fails half-way, before the folders are emptied.
    void on_cleanup(std::function<void()> undo) { cleanups_.push_back(std::move(undo)); }

    // The state that the program must leave as it is.
    void remember_folders() { remembered_ = untouched_folders(); }
    // After a set-up step made while the program runs: the folders may differ from the last
    // fingerprint by exactly the expected lines (prefixes of the differences), then that state
    // is the one to keep.
    void set_up_while_running(const std::vector<std::string>& expected_changes)
    {
        std::vector<std::pair<std::string, folder_fingerprint>> now = untouched_folders();
        std::vector<std::string> changes = differences(remembered_, now);
        std::vector<bool> seen(expected_changes.size());
        for (const std::string& change : changes) {
            bool expected = false;
            for (size_t i = 0; i < expected_changes.size(); ++i)
                if (change.rfind(expected_changes[i], 0) == 0)
                    expected = seen[i] = true;
            EXPECT_TRUE(expected) << "the program wrote: " << change;
        }
        for (size_t i = 0; i < expected_changes.size(); ++i)
            EXPECT_TRUE(seen[i]) << "the set-up did not happen: " << expected_changes[i];
        remembered_ = std::move(now);
    }

    // ---- running

    void start(const start_options& options = {})
    {
        ASSERT_TRUE(start_fake_shell(session_));
        ASSERT_TRUE(start_installed(session_, program_, options)) << program_.folder + program_.name;
        started_ = GetTickCount();
    }
    // Waits for the count-th rebuild of the recording build to end; the time from its beginning.
    DWORD wait_for_rebuild(int count, DWORD timeout_ms)
    {
        DWORD begun = 0;
        EXPECT_TRUE(wait_until([&] {
            if (!begun && count_lines(session_.record_log, "rebuild begin") >= count)
                begun = GetTickCount();
            return count_lines(session_.record_log, "rebuild end") >= count;
        }, timeout_ms, 10)) << "rebuild " << count << " did not end";
        return begun ? GetTickCount() - begun : 0;
    }

    // Clicks the Start button until the menu opens (before the first rebuild there is none).
    bool open_menu(DWORD timeout_ms = 20000)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < timeout_ms) {
            click_start_button();
            if (wait_for_menu(true, 1500)) {
                pump_messages(100);
                return true;
            }
        }
        return false;
    }
    void close_menu()
    {
        for (int i = 0; i < 70 && visible_menu_window(); ++i) {
            press_key(VK_ESCAPE);
            wait_for_menu(false, 300);
        }
        EXPECT_TRUE(wait_for_menu(false, 5000)) << "the menu stays open";
    }
    // Opens the menu and walks into the Programs submenu (Down selects it, Right opens it with
    // its first item selected); then at every level moves to the item at that position (Down
    // presses; a negative number counts Up presses from the first item, so -1 is the last) and
    // opens it with Right, and presses Enter on the last one.
    void choose(const std::vector<int>& positions)
    {
        ASSERT_TRUE(open_menu());
        press_key(VK_DOWN);
        press_key(VK_RIGHT);
        for (size_t level = 0; level < positions.size(); ++level) {
            int position = positions[level];
            for (int i = 0; i < (position < 0 ? -position : position); ++i)
                press_key(position < 0 ? VK_UP : VK_DOWN);
            press_key(level + 1 < positions.size() ? VK_RIGHT : VK_RETURN);
        }
        pump_messages(300);
        close_menu();
    }
    // Chooses the top-level item that the given number of Down presses selects.
    void choose_top_item(int downs)
    {
        ASSERT_TRUE(open_menu());
        for (int i = 0; i < downs; ++i)
            press_key(VK_DOWN);
        press_key(VK_RETURN);
        pump_messages(300);
        close_menu();
    }

    int launched(const std::string& tag) { return count_lines(launch_log_, " " + tag + "|"); }
    int launches() { return count_lines(launch_log_, "cmdline="); }
    bool wait_for_launch(const std::string& tag, int count = 1)
    {
        return wait_until([&] { return launched(tag) >= count; }, 10000);
    }

    // The captions of the Programs submenu as the recording build last showed them.
    std::vector<std::string> shown_entries()
    {
        std::vector<std::string> lines = lines_containing(session_.record_log, "entries=");
        std::vector<std::string> captions;
        if (lines.empty())
            return captions;
        std::string text = lines.back().substr(lines.back().find("entries=") + 8);
        for (size_t start = 0;;) {
            size_t bar = text.find('|', start);
            captions.push_back(text.substr(start, bar - start));
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
        return captions;
    }
    // The recording build's count of live images after its last rebuild, -1 when not logged.
    int live_images()
    {
        std::vector<std::string> lines = lines_containing(session_.record_log, "resources images=");
        return lines.empty() ? -1 : std::atoi(lines.back().c_str() + lines.back().find('=') + 1);
    }

    // A close request ends the program promptly with exit code 0, and it wrote nothing.
    void close_and_expect_nothing_written()
    {
        DWORD asked = GetTickCount();
        EXPECT_EQ(close_velmora(session_, 15000), 0) << "a close request must end it with exit code 0";
        figure("close_ms", GetTickCount() - asked);
        EXPECT_LT(GetTickCount() - asked, 10000u) << "not promptly";
        for (const std::string& change : differences(remembered_, untouched_folders()))
            ADD_FAILURE() << "the program wrote: " << change;
    }

    // Prints a measured figure and records it in the test's XML output.
    void figure(const char* name, long long value)
    {
        std::printf("[ figure   ] %s = %lld\n", name, value);
        RecordProperty(name, std::to_string(value));
    }

    velmora_session session_;
    installed_program program_;
    std::string launch_log_;
    std::string scratch_;  // ends in "\"
    DWORD started_ = 0;

protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        empty_programs_folders();
        scratch_ = make_temp_folder("velmora_system");
        ASSERT_FALSE(scratch_.empty());
        launch_log_ = scratch_ + "launches.log";
    }
    void TearDown() override
    {
        if (HasFailure())
            dump_logs(session_);
        if (visible_menu_window())
            close_menu();
        end_session(session_);
        for (auto undo = cleanups_.rbegin(); undo != cleanups_.rend(); ++undo)
            (*undo)();
        empty_programs_folders();
        remove_program(&program_);
        remove_tree(scratch_);
        CoUninitialize();
    }

private:
    std::vector<std::pair<std::string, folder_fingerprint>> untouched_folders() const
    {
        std::string user = programs_folder(CSIDL_STARTMENU), common = programs_folder(CSIDL_COMMON_STARTMENU);
        const std::string programs = "Programs\\";
        return {
            {"user start menu", take_fingerprint(user.substr(0, user.size() - programs.size()))},
            {"all users' start menu", take_fingerprint(common.substr(0, common.size() - programs.size()))},
            {"program folder", take_fingerprint(program_.folder)},
        };
    }
    static std::vector<std::string> differences(const std::vector<std::pair<std::string, folder_fingerprint>>& before,
                                                const std::vector<std::pair<std::string, folder_fingerprint>>& after)
    {
        std::vector<std::string> lines;
        for (size_t i = 0; i < before.size() && i < after.size(); ++i)
            for (const std::string& line : fingerprint_differences(before[i].second, after[i].second))
                lines.push_back(before[i].first + ": " + line);
        return lines;
    }
    // Everything below both Programs folders but what a fresh prefix holds, removed on the Unix
    // side: it also takes names outside Windows-1252, paths beyond 260 characters, links (never
    // what they lead to) and folders of mode 000.
    static void empty_programs_folders()
    {
        std::string script;
        for (int csidl : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU}) {
            std::string folder = shell_quoted(unix_path_of(programs_folder(csidl)));
            script += "find " + folder + " -mindepth 1 -maxdepth 1 ! -name 'Administrative Tools' ! -name StartUp"
                      " -exec chmod -R u+rwx {} + -exec rm -rf {} +\n";
        }
        EXPECT_TRUE(run_unix_script(script, 120000));
    }

    std::vector<std::pair<std::string, folder_fingerprint>> remembered_;
    std::vector<std::function<void()>> cleanups_;
};

}  // namespace test
