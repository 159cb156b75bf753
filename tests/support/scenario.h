#pragma once
// What every test of the running program shares: Velmora beside the fake taskbar, started from the
// build's bin folder or installed in a folder of its own; Programs folders emptied before and
// after; shortcuts that start record_launch.exe with a tag, counted in a launch log; the menu
// walked with the keyboard as a user can; and the proof that a run wrote nothing: fingerprints of
// both Start Menu folders and of the program's folder, taken once the set-up is done and compared
// once the program has ended, before anything is cleaned up.

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace test {

class Scenario : public testing::Test {
public:
    // ---- set-up

    // Installs file of the bin folder, to be started from its own folder instead of the recording
    // build from the bin folder.
    void install(const char* file, bool with_grafiken = true)
    {
        program_folder_ = install_program(file, with_grafiken);
        ASSERT_FALSE(program_folder_.empty()) << file;
        program_ = program_folder_ + file;
    }
    std::string user_programs() const { return programs_folder(CSIDL_STARTMENU); }
    std::string common_programs() const { return programs_folder(CSIDL_COMMON_STARTMENU); }

    // The arguments that make record_launch.exe log a launch with tag.
    std::string launch_arguments(const std::string& tag) const { return "\"" + launch_log_ + "\" " + tag; }
    // A shortcut at path (folders made as needed) that starts record_launch.exe with tag.
    void shortcut(const std::string& path, const std::string& tag)
    {
        ASSERT_TRUE(make_folders(path.substr(0, path.find_last_of('\\'))));
        ASSERT_TRUE(create_shortcut(path, fixture_path("record_launch.exe"), launch_arguments(tag), "")) << path;
    }
    // Such a shortcut in a scratch folder, to be copied into place: returns its Unix path.
    std::string shortcut_template(const std::string& tag)
    {
        std::string path = scratch_ + "template_" + tag + ".lnk";
        if (!file_exists(path)) {
            EXPECT_TRUE(create_shortcut(path, fixture_path("record_launch.exe"), launch_arguments(tag), ""));
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
        std::vector<fingerprint> now = untouched_folders();
        std::vector<bool> seen(expected_changes.size());
        for (const std::string& change : differences(remembered_, now)) {
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
        if (!session_.shell.process) {
            ASSERT_TRUE(start_fake_shell(session_));
        }
        ASSERT_TRUE(start_velmora(session_, program_, options)) << program_;
        started_ = GetTickCount();
    }
    // Starts and waits for the first menu to be built.
    void start_with_menu(const start_options& options = {})
    {
        ASSERT_NO_FATAL_FAILURE(start(options));
        ASSERT_TRUE(wait_for_lines(log(), "rebuild end", 1, 30000)) << "no first menu";
    }
    const std::string& log() const { return session_.record_log; }
    // Waits for the count-th rebuild of the recording build to end; the time from its beginning.
    DWORD wait_for_rebuild(int count, DWORD timeout_ms)
    {
        DWORD begun = 0;
        EXPECT_TRUE(wait_until([&] {
            if (!begun && count_lines(log(), "rebuild begin") >= count)
                begun = GetTickCount();
            return count_lines(log(), "rebuild end") >= count;
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
    // Chooses the top-level item that the given number of Down presses selects: 1 is "Programs",
    // then the commands from "Suchen" (2) to "Velmora beenden" (11); separators are skipped.
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
        std::vector<std::string> lines = lines_containing(log(), "entries=");
        return lines.empty() ? std::vector<std::string>{} : split(lines.back().substr(lines.back().find('=') + 1), '|');
    }
    // The recording build's count of live images after its last rebuild, -1 when not logged.
    int live_images()
    {
        std::vector<std::string> lines = lines_containing(log(), "resources images=");
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
    std::string program_ = "velmora_recording.exe";  // a file of the bin folder, or the installed copy
    std::string program_folder_;                     // of the installed copy
    std::string launch_log_;
    std::string scratch_;  // ends in "\"
    DWORD started_ = 0;

protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        EXPECT_TRUE(clear_programs_folders());
        scratch_ = make_temp_folder("velmora_scenario");
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
        EXPECT_TRUE(clear_programs_folders());
        if (!program_folder_.empty())
            remove_tree(program_folder_);
        remove_tree(scratch_);
        CoUninitialize();
    }

private:
    // A folder's name and what is below it, read on the Unix side, so that names outside
    // Windows-1252, paths beyond 260 characters and links (recorded, not followed, so that a cycle
    // of links ends) are seen as they are: by relative path ("." for the folder itself, whose own
    // time counts too), its type, size, time of last change, mode and the hash of its content.
    using fingerprint = std::pair<std::string, std::map<std::string, std::string>>;

    fingerprint take_fingerprint(const std::string& name, const std::string& folder)
    {
        const std::string out = unix_path_of(scratch_) + "/fingerprint";
        EXPECT_TRUE(run_unix_script("cd " + shell_quoted(unix_path_of(folder)) +
                                    " && { find . -printf '%P\\t%y %s %T@ %m\\n'; find . -type f -exec md5sum {} +; } > " +
                                    shell_quoted(out)));
        fingerprint print{name, {}};
        for (const std::string& line : read_lines(scratch_ + "fingerprint")) {
            const size_t tab = line.find('\t');
            if (tab != std::string::npos)
                print.second[tab ? line.substr(0, tab) : "."] += line.substr(tab + 1);
            else if (line.size() > 36)  // "<hash>  ./<path>"
                print.second[line.substr(36)] += " md5=" + line.substr(0, 32);
        }
        return print;
    }
    std::vector<fingerprint> untouched_folders()
    {
        const size_t programs = std::string("Programs\\").size();
        const std::string user = user_programs(), common = common_programs();
        std::vector<fingerprint> prints = {
            take_fingerprint("user start menu", user.substr(0, user.size() - programs)),
            take_fingerprint("all users' start menu", common.substr(0, common.size() - programs)),
        };
        if (!program_folder_.empty())
            prints.push_back(take_fingerprint("program folder", program_folder_));
        return prints;
    }
    // One line a difference: "<folder>: added <path>: ...", "removed <path>", "changed <path>: ...".
    static std::vector<std::string> differences(const std::vector<fingerprint>& before,
                                                const std::vector<fingerprint>& after)
    {
        std::vector<std::string> lines;
        for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
            const std::string& folder = before[i].first;
            const auto& was = before[i].second;
            const auto& is = after[i].second;
            for (const auto& [path, entry] : was) {
                auto now = is.find(path);
                if (now == is.end())
                    lines.push_back(folder + ": removed " + path);
                else if (now->second != entry)
                    lines.push_back(folder + ": changed " + path + ": " + entry + " -> " + now->second);
            }
            for (const auto& [path, entry] : is)
                if (!was.count(path))
                    lines.push_back(folder + ": added " + path + ": " + entry);
        }
        return lines;
    }

    std::vector<fingerprint> remembered_;
    std::vector<std::function<void()>> cleanups_;
};

}  // namespace test
