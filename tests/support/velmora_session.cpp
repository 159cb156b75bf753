#include "tests/support/velmora_session.h"

#include <shlobj.h>

#include <cstdio>

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
    if (wait_exit(session.shell, 5000) < 0)
        kill_process(session.shell);
    close_process(session.shell);
}

bool start_velmora(velmora_session& session, const char* program, int taskbar_edge)
{
    if (session.folder.empty())
        session.folder = make_temp_folder("velmora_session");
    static int started;  // a fresh log for every start
    session.record_log = session.folder + "velmora_" + std::to_string(++started) + ".log";
    SetEnvironmentVariableA("VELMORA_RECORD_LOG", session.record_log.c_str());
    SetEnvironmentVariableA("VELMORA_TASKBAR_EDGE",
                            taskbar_edge >= 0 ? std::to_string(taskbar_edge).c_str() : nullptr);
    session.velmora = start_process("\"" + fixture_path(program) + "\"", exe_folder());
    SetEnvironmentVariableA("VELMORA_RECORD_LOG", nullptr);
    SetEnvironmentVariableA("VELMORA_TASKBAR_EDGE", nullptr);
    return session.velmora.process &&
           wait_until([&] { return velmora_main_window(session) != nullptr; }, 10000);
}

namespace {
struct main_window_search {
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK match_main_window(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<main_window_search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process_id && window_class_name(window) == "WindowClass_0") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND velmora_main_window(const velmora_session& session)
{
    if (!session.velmora.process)
        return nullptr;
    main_window_search search = {session.velmora.id, nullptr};
    EnumWindows(match_main_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

long close_velmora(velmora_session& session, DWORD timeout_ms)
{
    if (HWND window = velmora_main_window(session))
        PostMessageA(window, WM_CLOSE, 0, 0);
    long code = wait_exit(session.velmora, timeout_ms);
    if (code >= 0)
        close_process(session.velmora);
    return code;
}

void dump_logs(const velmora_session& session)
{
    for (const std::string* log : {&session.shell_log, &session.record_log}) {
        if (log->empty())
            continue;
        std::printf("---- %s\n", log->c_str());
        for (const std::string& line : read_lines(*log))
            std::printf("%s\n", line.c_str());
    }
}

void end_session(velmora_session& session)
{
    if (session.velmora.process) {
        if (close_velmora(session, 5000) < 0) {
            kill_process(session.velmora);
            close_process(session.velmora);
        }
    }
    stop_fake_shell(session);
    if (!session.folder.empty())
        remove_tree(session.folder);
    session = {};
}

int count_lines(const std::string& log, const std::string& text)
{
    int count = 0;
    for (const std::string& line : read_lines(log))
        if (line.find(text) != std::string::npos)
            ++count;
    return count;
}

bool wait_for_lines(const std::string& log, const std::string& text, int count, DWORD timeout_ms)
{
    return wait_until([&] { return count_lines(log, text) >= count; }, timeout_ms);
}

std::vector<std::string> lines_containing(const std::string& log, const std::string& text)
{
    std::vector<std::string> found;
    for (const std::string& line : read_lines(log))
        if (line.find(text) != std::string::npos)
            found.push_back(line);
    return found;
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

void clear_programs_folders()
{
    for (int csidl : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU}) {
        std::string folder = programs_folder(csidl);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do {
            std::string name = found.cFileName;
            if (name == "." || name == ".." || name == "Administrative Tools" || name == "StartUp")
                continue;
            remove_tree(folder + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
}

}  // namespace test
