#pragma once
// Running Velmora as a user does, for end-to-end tests: the fake taskbar, then the program started
// from the build's bin folder (beside Grafiken), each with its own log in a temporary folder.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace test {

struct velmora_session {
    std::string folder;      // temporary folder of this session's logs
    std::string shell_log;   // what the fake taskbar received
    std::string record_log;  // what velmora_recording.exe did
    child_process shell;
    child_process velmora;
};

// Starts the fake taskbar and waits for its Start button. Creates session.folder on first use.
bool start_fake_shell(velmora_session& session);
void stop_fake_shell(velmora_session& session);

// Starts program (default: the recording build) with the bin folder as current directory.
// taskbar_edge >= 0 makes the recording build report that edge. Waits for the main window.
bool start_velmora(velmora_session& session, const char* program = "velmora_recording.exe",
                   int taskbar_edge = -1);
HWND velmora_main_window(const velmora_session& session);
// Sends WM_CLOSE to the main window and returns the exit code (-1: it did not end in time).
long close_velmora(velmora_session& session, DWORD timeout_ms = 10000);
// Prints both logs, for the record of a failed test.
void dump_logs(const velmora_session& session);
// Stops everything still running and removes the session folder.
void end_session(velmora_session& session);

// Lines of a log that contain text, and waiting until there are at least count of them.
int count_lines(const std::string& log, const std::string& text);
bool wait_for_lines(const std::string& log, const std::string& text, int count, DWORD timeout_ms);
std::vector<std::string> lines_containing(const std::string& log, const std::string& text);

// The Start button of the fake taskbar, and a left click on its centre.
HWND fake_start_button();
void click_start_button();
// The visible popup menu window ("#32768"), or nullptr.
HWND visible_menu_window();
bool wait_for_menu(bool open, DWORD timeout_ms);

// The Programs folder of the user's (11) or all users' (22) start menu, ending in "\".
std::string programs_folder(int csidl);
// Removes everything below both Programs folders except what a fresh prefix holds there.
void clear_programs_folders();

}  // namespace test
