#include "tests/support/velmora_session.h"

#include <shlobj.h>

#include <cstdio>
#include <utility>

namespace test {

bool start_fake_shell(velmora_session& session)
{
    if (session.folder.empty())
        session.folder = make_temp_folder("velmora_session");
    if (session.shell_log.empty())
        session.shell_log = session.folder + "shell.log";
    int started_before = count_lines(session.shell_log, "ready");
    session.shell = start_process("\"" + fixture_path("fake_shell.exe") + "\" \"" + session.shell_log + "\"");
    return session.shell.process &&
           wait_for_lines(session.shell_log, "ready", started_before + 1, 10000) &&
           wait_until([] { return fake_start_button() != nullptr; }, 5000);
}

void stop_fake_shell(velmora_session& session)
{
    if (!session.shell.process)
        return;
    if (HWND tray = FindWindowA("Shell_TrayWnd", ""))
        PostMessageA(tray, WM_CLOSE, 0, 0);
    wait_exit(session.shell, 5000);
    end_process(session.shell);
}

bool start_velmora(velmora_session& session, const std::string& program, const start_options& options)
{
    if (session.folder.empty())
        session.folder = make_temp_folder("velmora_session");
    static int started;  // a fresh log for every start
    session.record_log = session.folder + "velmora_" + std::to_string(++started) + ".log";
    const std::string path = program.find('\\') == std::string::npos ? fixture_path(program.c_str()) : program;
    const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    // Only what is given is set, and taken back once the program has it.
    const std::pair<const char*, std::string> settings[] = {
        {"VELMORA_RECORD_LOG", session.record_log},
        {"VELMORA_TASKBAR_EDGE", options.taskbar_edge >= 0 ? std::to_string(options.taskbar_edge) : ""},
        {"VELMORA_WATCH_INTERVAL", options.watch_interval_ms ? std::to_string(options.watch_interval_ms) : ""},
        {"VELMORA_HOLD_REBUILDS", options.hold_rebuilds},
    };
    for (const auto& [name, value] : settings)
        if (!value.empty())
            SetEnvironmentVariableA(name, value.c_str());
    for (const char* name : options.switches)
        SetEnvironmentVariableA(name, "1");
    session.velmora = start_process("\"" + path + "\"", folder);
    for (const auto& [name, value] : settings)
        if (!value.empty())
            SetEnvironmentVariableA(name, nullptr);
    for (const char* name : options.switches)
        SetEnvironmentVariableA(name, nullptr);
    return session.velmora.process && wait_until([&] { return velmora_main_window(session) != nullptr; }, 10000);
}

HWND velmora_main_window(const velmora_session& session)
{
    return session.velmora.process ? find_process_window(session.velmora.id, "WindowClass_0", false) : nullptr;
}

long close_velmora(velmora_session& session, DWORD timeout_ms)
{
    if (HWND window = velmora_main_window(session))
        PostMessageA(window, WM_CLOSE, 0, 0);
    long code = wait_exit(session.velmora, timeout_ms);
    if (code >= 0)
        end_process(session.velmora);
    return code;
}

void end_session(velmora_session& session, bool print_logs)
{
    if (close_velmora(session, 5000) < 0)
        end_process(session.velmora);
    stop_fake_shell(session);
    for (const std::string* log : {&session.shell_log, &session.record_log}) {
        if (!print_logs || log->empty())
            continue;
        std::printf("---- %s\n", log->c_str());
        for (const std::string& line : read_lines(*log))
            std::printf("%s\n", line.c_str());
    }
    if (!session.folder.empty())
        remove_tree(session.folder);
    session = {};
}

std::string install_program(const char* file)
{
    const std::string folder = make_temp_folder("velmora_installed"), to = shell_quoted(unix_path_of(folder));
    const bool copied = !folder.empty() &&
                        run_unix_script("cp " + shell_quoted(unix_path_of(fixture_path(file))) + " " + to + " && cp -r " +
                                        shell_quoted(unix_path_of(exe_folder() + "Grafiken")) + " " + to) &&
                        GetFileAttributesA((folder + "Grafiken").c_str()) != INVALID_FILE_ATTRIBUTES;
    return copied ? folder : "";
}

std::vector<std::string> lines_containing(const std::string& log, const std::string& text)
{
    std::vector<std::string> found;
    for (const std::string& line : read_lines(log))
        if (line.find(text) != std::string::npos)
            found.push_back(line);
    return found;
}

int count_lines(const std::string& log, const std::string& text)
{
    return static_cast<int>(lines_containing(log, text).size());
}

bool wait_for_lines(const std::string& log, const std::string& text, int count, DWORD timeout_ms)
{
    return wait_until([&] { return count_lines(log, text) >= count; }, timeout_ms);
}

HWND fake_start_button()
{
    return FindWindowA("Button", "Start");
}

void click_start_button()
{
    RECT rect = {};
    GetWindowRect(fake_start_button(), &rect);
    click((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

HWND visible_menu_window()
{
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

bool wait_for_menu(bool open, DWORD timeout_ms)
{
    return wait_until([&] { return (visible_menu_window() != nullptr) == open; }, timeout_ms);
}

std::string programs_folder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + "\\Programs\\";
}

bool clear_programs_folders()
{
    std::string script;
    for (int csidl : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU})
        script += "find " + shell_quoted(unix_path_of(programs_folder(csidl))) +
                  " -mindepth 1 -maxdepth 1 ! -name 'Administrative Tools' ! -name StartUp"
                  " -exec chmod -R u+rwx {} + -exec rm -rf {} +\n";
    return run_unix_script(script, 120000);
}

}  // namespace test
