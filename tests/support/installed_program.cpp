#include "tests/support/installed_program.h"

#include "tests/support/test_support.h"
#include "tests/support/wine_links.h"

namespace test {

namespace {

bool copy_folder(const std::string& from, const std::string& to)
{
    if (!CreateDirectoryA(to.c_str(), nullptr))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool copied = true;
    do {
        std::string name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            copied = CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), TRUE) && copied;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return copied;
}

// One argument of a command line as Wine splits it for a Unix program, by the Windows rules:
// backslashes count only before a double quote.
std::string windows_quoted(const std::string& argument)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

// The main window of a Velmora started outside this process: class and title are the program's.
HWND other_velmora_window()
{
    return FindWindowA("WindowClass_0", "Velmora 1.0.0");
}

std::string wine_loader()
{
    char loader[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("WINE", loader, sizeof loader);
    return length > 0 && length < sizeof loader ? loader : "/usr/lib/wine/wine64";
}

// Starts the program through setpriv without the capabilities that let root pass permissions.
bool start_unprivileged(velmora_session& session, const installed_program& program)
{
    if (other_velmora_window())
        return false;  // it could not be told apart from the one started here
    std::string script = "cd " + shell_quoted(unix_path_of(program.folder)) +
                         " && setpriv --bounding-set -dac_override,-dac_read_search " +
                         shell_quoted(wine_loader()) + " " + shell_quoted(program.name) +
                         " >/dev/null 2>&1 &";
    if (!run_unix_script(script, 10000))
        return false;
    HWND window = nullptr;
    if (!wait_until([&] { return (window = other_velmora_window()) != nullptr; }, 15000))
        return false;
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    session.velmora.process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, id);
    session.velmora.id = id;
    return session.velmora.process != nullptr;
}

}  // namespace

bool install_program(installed_program* program, const char* file, bool with_grafiken)
{
    program->folder = make_temp_folder("velmora_installed");
    program->name = file;
    if (program->folder.empty())
        return false;
    if (!CopyFileA(fixture_path(file).c_str(), (program->folder + file).c_str(), TRUE))
        return false;
    return !with_grafiken || copy_folder(exe_folder() + "Grafiken", program->folder + "Grafiken");
}

void remove_program(installed_program* program)
{
    if (!program->folder.empty())
        remove_tree(program->folder);
    *program = {};
}

bool start_installed(velmora_session& session, const installed_program& program,
                     const start_options& options)
{
    if (session.folder.empty())
        session.folder = make_temp_folder("velmora_session");
    static int started;  // a fresh log for every start
    session.record_log = session.folder + "installed_" + std::to_string(++started) + ".log";
    SetEnvironmentVariableA("VELMORA_RECORD_LOG", session.record_log.c_str());
    SetEnvironmentVariableA("VELMORA_WATCH_INTERVAL",
                            options.watch_interval_ms ? std::to_string(options.watch_interval_ms).c_str()
                                                      : nullptr);
    bool started_one = false;
    if (options.unprivileged) {
        started_one = start_unprivileged(session, program);
    } else {
        session.velmora = start_process("\"" + program.folder + program.name + "\"", program.folder);
        started_one = session.velmora.process != nullptr;
    }
    SetEnvironmentVariableA("VELMORA_RECORD_LOG", nullptr);
    SetEnvironmentVariableA("VELMORA_WATCH_INTERVAL", nullptr);
    return started_one && wait_until([&] { return velmora_main_window(session) != nullptr; }, 10000);
}

std::string shell_quoted(const std::string& unix_path)
{
    std::string quoted = "'";
    for (char c : unix_path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool run_unix_script(const std::string& script, DWORD timeout_ms)
{
    std::string marker_folder = make_temp_folder("velmora_unix");
    std::string marker = marker_folder + "done";
    std::string full = script + "\n: > " + shell_quoted(unix_path_of(marker_folder) + "/done");
    std::string command_line = "sh -c " + windows_quoted(full);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    bool ended = false;
    if (CreateProcessA("Z:\\bin\\sh", command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        for (HANDLE handle : {process.hThread, process.hProcess})
            if (handle)
                CloseHandle(handle);
        ended = wait_until([&] { return file_exists(marker); }, timeout_ms, 10);
    }
    remove_tree(marker_folder);
    return ended;
}

bool permissions_bind_this_process()
{
    std::string folder = make_temp_folder("velmora_mode");
    bool bound = false;
    if (run_unix_script("chmod 000 " + shell_quoted(unix_path_of(folder)))) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        bound = search == INVALID_HANDLE_VALUE;
        if (!bound)
            FindClose(search);
        run_unix_script("chmod 755 " + shell_quoted(unix_path_of(folder)));
    }
    remove_tree(folder);
    return bound;
}

}  // namespace test
