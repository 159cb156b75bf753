#pragma once
// Running Velmora as a user does, for end-to-end tests: the fake taskbar, then the program, from the
// build's bin folder (beside Grafiken) or installed in a folder of its own, started with that
// folder as its current directory; each with its own log in a temporary folder.

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

// Settings for the recording build (the program itself reads none).
struct start_options {
    int taskbar_edge = -1;        // >= 0: the edge it reports instead of the shell's answer
    DWORD watch_interval_ms = 0;  // the watcher's interval; 0 keeps the program's
    // Switches of the recording build set to 1, such as "VELMORA_DROP_HOOK".
    std::vector<const char*> switches;
    // The name of an auto-reset event that every rebuild waits for once it has begun.
    std::string hold_rebuilds;
};

// Starts program (a file of the build's bin folder, or a full path) with its folder as current
// directory and a fresh record log, and waits for its main window.
bool start_velmora(velmora_session& session, const std::string& program = "velmora_recording.exe",
                   const start_options& options = {});
HWND velmora_main_window(const velmora_session& session);
// Sends WM_CLOSE to the main window and returns the exit code (-1: it did not end in time).
long close_velmora(velmora_session& session, DWORD timeout_ms = 10000);
// Stops everything still running, prints the logs when asked to, and removes the session folder.
void end_session(velmora_session& session, bool print_logs = false);

// Copies file of the build's bin folder and the Grafiken folder into a fresh folder: that folder
// ("\" at the end), or "" when a copy failed.
std::string install_program(const char* file);

// Lines of a log that contain text, and waiting until there are at least count of them.
std::vector<std::string> lines_containing(const std::string& log, const std::string& text);
int count_lines(const std::string& log, const std::string& text);
bool wait_for_lines(const std::string& log, const std::string& text, int count, DWORD timeout_ms);

// The Start button of the fake taskbar, and a left click on its centre.
HWND fake_start_button();
void click_start_button();
// The visible popup menu window ("#32768"), or nullptr.
HWND visible_menu_window();
bool wait_for_menu(bool open, DWORD timeout_ms);

// The Programs folder of the user's (11) or all users' (22) start menu, ending in "\".
std::string programs_folder(int csidl);
// Removes everything below both Programs folders but what a fresh prefix holds there, on the Unix
// side: names outside Windows-1252, paths beyond 260 characters, links (never what they lead to)
// and folders of mode 000 go too.
bool clear_programs_folders();

}  // namespace test
