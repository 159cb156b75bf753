#include "tests/support/wine_links.h"

#include <windows.h>

#include <vector>

namespace test {

namespace {

using unix_name_function = char*(CDECL*)(const WCHAR*);

// Starts a Unix program of /bin with the given arguments. Wine hands back no process handle for
// it, so the caller waits for its effect instead.
bool start_unix_program(const char* program, const std::vector<std::string>& arguments)
{
    std::string command_line = program;
    for (const std::string& argument : arguments)
        command_line += " \"" + argument + "\"";
    std::string application = std::string("Z:\\bin\\") + program;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(application.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    if (process.hThread)
        CloseHandle(process.hThread);
    if (process.hProcess)
        CloseHandle(process.hProcess);
    return true;
}

bool wait_for_presence(const std::string& path, bool present)
{
    for (int i = 0; i < 250; ++i) {
        if ((GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present)
            return true;
        Sleep(20);
    }
    return false;
}

}  // namespace

std::string unix_path_of(const std::string& windows_path)
{
    auto to_unix = reinterpret_cast<unix_name_function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!to_unix)
        return "";
    int length = MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, &wide[0], length);
    char* unix_name = to_unix(wide.c_str());
    if (!unix_name)
        return "";
    std::string result = unix_name;
    HeapFree(GetProcessHeap(), 0, unix_name);
    return result;
}

bool make_folder_link(const std::string& link, const std::string& target)
{
    std::string unix_target = unix_path_of(target);
    std::string folder = link.substr(0, link.find_last_of('\\'));
    std::string unix_link = unix_path_of(folder) + "/" + link.substr(link.find_last_of('\\') + 1);
    if (unix_target.empty() || unix_link.size() < 2)
        return false;
    while (unix_target.size() > 1 && unix_target.back() == '/')
        unix_target.pop_back();
    return start_unix_program("ln", {"-s", unix_target, unix_link}) && wait_for_presence(link, true);
}

bool remove_folder_link(const std::string& link)
{
    std::string folder = link.substr(0, link.find_last_of('\\'));
    std::string unix_link = unix_path_of(folder) + "/" + link.substr(link.find_last_of('\\') + 1);
    if (unix_link.size() < 2)
        return false;
    // rm without -r removes the link and never descends into the folder behind it.
    return start_unix_program("rm", {unix_link}) && wait_for_presence(link, false);
}

}  // namespace test
