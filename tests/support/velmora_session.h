#pragma once
// Running Velmora as a user does, for end-to-end tests and benchmarks: the fake taskbar, then the
// program with its own folder as current directory, each logging to a temporary folder.

#include "tests/support/test_support.h"

namespace test {

// The lines of a log that contain text.
inline std::vector<std::string> lines_containing(const std::string& log, const std::string& text)
{
    std::vector<std::string> found;
    for (const std::string& line : read_lines(log))
        if (line.find(text) != std::string::npos)
            found.push_back(line);
    return found;
}
inline int count_lines(const std::string& log, const std::string& text)
{
    return static_cast<int>(lines_containing(log, text).size());
}
inline bool wait_for_lines(const std::string& log, const std::string& text, int count, DWORD timeout_ms)
{
    return wait_until([&] { return count_lines(log, text) >= count; }, timeout_ms);
}

inline HWND fake_start_button() { return FindWindowA("Button", "Start"); }
inline void click_start_button()
{
    RECT rect = {};
    GetWindowRect(fake_start_button(), &rect);
    click((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}
inline HWND visible_menu_window()
{
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}
inline bool wait_for_menu(bool open, DWORD timeout_ms)
{
    return wait_until([&] { return (visible_menu_window() != nullptr) == open; }, timeout_ms);
}

struct velmora_session {
    std::string folder;      // temporary folder of this session's logs
    std::string shell_log;   // what the fake taskbar received
    std::string record_log;  // what velmora_recording.exe did
    child_process shell;
    child_process velmora;
};

// Left presses that reached the fake Start button (the second of two quick ones is a double click).
inline int shell_presses(const std::string& shell_log)
{
    return count_lines(shell_log, "button WM_LBUTTONDOWN") + count_lines(shell_log, "button WM_LBUTTONDBLCLK");
}

// Clicks the Start button until Velmora's menu shows: until a menu is on offer the press goes on to
// the shell's button. false when no menu came within timeout_ms.
inline bool click_until_menu(const velmora_session& session, DWORD timeout_ms)
{
    for (const DWORD start = GetTickCount(); GetTickCount() - start < timeout_ms; pump_messages(100)) {
        const int presses = shell_presses(session.shell_log);
        click_start_button();
        wait_until([&] { return visible_menu_window() || shell_presses(session.shell_log) > presses; }, timeout_ms);
        if (visible_menu_window())
            return true;
    }
    return false;
}

inline void make_session_folder(velmora_session& session)
{
    if (session.folder.empty())
        session.shell_log = (session.folder = make_temp_folder("velmora_session")) + "shell.log";
}

inline bool start_fake_shell(velmora_session& session)
{
    make_session_folder(session);
    const int started_before = count_lines(session.shell_log, "ready");
    session.shell = start_process("\"" + fixture_path("fake_shell.exe") + "\" \"" + session.shell_log + "\"");
    return session.shell.process && wait_for_lines(session.shell_log, "ready", started_before + 1, 30000);
}
inline void stop_fake_shell(velmora_session& session)
{
    if (HWND tray = session.shell.process ? FindWindowA("Shell_TrayWnd", "") : nullptr)
        PostMessageA(tray, WM_CLOSE, 0, 0);
    wait_exit(session.shell, 15000);
    end_process(session.shell);
}

// Settings of the recording build (tests/fixtures/velmora_recording.cpp); the program reads none.
// Every member has an initializer, so that a designated initializer may name only some of them.
struct start_options {
    DWORD watch_interval_ms = 0;     // 0 keeps the program's
    std::string hold_rebuilds = "";  // the name of the event that every rebuild waits for once begun
    std::vector<std::pair<std::string, std::string>> settings = {};  // such as {"VELMORA_PRESS_LIMIT", "500"}
    std::string directory = "";      // the current folder to start in; "" for the program's own
};

inline HWND velmora_main_window(const velmora_session& session)
{
    HWND window = FindWindowA("WindowClass_0", nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return session.velmora.process && owner == session.velmora.id ? window : nullptr;
}

// Starts program (a file of the bin folder, or a full path) with a fresh record log, without waiting.
inline bool launch_velmora(velmora_session& session, const std::string& program = "velmora_recording.exe",
                           const start_options& options = {})
{
    make_session_folder(session);
    static int started;  // a fresh log for every start
    session.record_log = session.folder + "velmora_" + std::to_string(++started) + ".log";
    const std::string path = program.find('\\') == std::string::npos ? fixture_path(program.c_str()) : program;
    auto settings = options.settings;
    settings.insert(settings.end(), {{"VELMORA_RECORD_LOG", session.record_log},
                                     {"VELMORA_HOLD_REBUILDS", options.hold_rebuilds},
                                     {"VELMORA_WATCH_INTERVAL",
                                      options.watch_interval_ms ? std::to_string(options.watch_interval_ms) : ""}});
    for (const auto& [name, value] : settings)  // in the environment of the child alone
        SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
    session.velmora = start_process("\"" + path + "\"", options.directory.empty()
                                                           ? path.substr(0, path.find_last_of('\\') + 1)
                                                           : options.directory);
    for (const auto& setting : settings)
        SetEnvironmentVariableA(setting.first.c_str(), nullptr);
    return session.velmora.process != nullptr;
}

// launch_velmora, then waits for the main window and for the main loop: the program opens its
// window before it hooks the mouse, and a click made between the two would reach the taskbar.
inline bool start_velmora(velmora_session& session, const std::string& program = "velmora_recording.exe",
                          const start_options& options = {})
{
    return launch_velmora(session, program, options) &&
           wait_until([&] { return velmora_main_window(session) != nullptr; }, 30000) &&
           WaitForInputIdle(session.velmora.process, 30000) == 0;
}

// Sends WM_CLOSE to the main window and returns the exit code (-1: it did not end in time).
inline long close_velmora(velmora_session& session, DWORD timeout_ms = 30000)
{
    if (HWND window = velmora_main_window(session))
        PostMessageA(window, WM_CLOSE, 0, 0);
    const long code = wait_exit(session.velmora, timeout_ms);
    if (code >= 0)
        end_process(session.velmora);
    return code;
}

inline void end_session(velmora_session& session, bool print_logs = false)
{
    if (close_velmora(session, 15000) < 0)
        end_process(session.velmora);
    stop_fake_shell(session);
    for (const std::string* log : {&session.shell_log, &session.record_log})
        if (print_logs && !log->empty())
            std::printf("---- %s\n%s", log->c_str(), read_file(*log).c_str());
    remove_tree(session.folder);
    session = {};
}

// "<opening> images=N gdi=N menus=N table=N" lines of the recording build, in order: "resources"
// after every rebuild handed over, "rebuild discarded, left" after every one discarded.
struct live_resources {
    int images = -1, gdi = -1, menus = -1, table = -1;
};
inline std::vector<live_resources> logged_resources(const std::string& log, const std::string& opening = "resources")
{
    std::vector<live_resources> found;
    for (const std::string& line : lines_containing(log, opening + " images=")) {
        live_resources r;
        if (std::sscanf(line.c_str() + opening.size(), " images=%d gdi=%d menus=%d table=%d", &r.images, &r.gdi,
                        &r.menus, &r.table) == 4)
            found.push_back(r);
    }
    return found;
}

// The Programs folder of the user's (CSIDL_STARTMENU) or all users' start menu, ending in "\".
inline std::string programs_folder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return utf8(path) + "\\Programs\\";
}

// Empties both Programs folders down to what a fresh prefix holds, on the Unix side, where odd
// names, long paths, links and folders of mode 000 go as well.
inline bool clear_programs_folders()
{
    std::string script;
    for (int csidl : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU})
        script += "find " + shell_quoted(unix_path_of(programs_folder(csidl))) +
                  " -mindepth 1 -maxdepth 1 ! -name 'Administrative Tools' ! -name StartUp"
                  " -exec chmod -R u+rwx {} + -exec rm -rf {} +\n";
    return run_unix_script(script, 120000);
}

}  // namespace test
