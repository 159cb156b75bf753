#include "tests/support/wine_links.h"

#include <windows.h>

namespace test {

namespace {

std::string quoted(const std::string& argument)
{
    return " \"" + argument + "\"";
}

// Runs /bin/<program> with arguments, then waits until path exists or not, as wanted: Wine gives
// no process handle for a Unix program.
bool run_unix(const char* program, const std::string& arguments, const std::string& path, bool exists)
{
    std::string command_line = program + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA((std::string("Z:\\bin\\") + program).c_str(), &command_line[0], nullptr, nullptr, FALSE,
                        0, nullptr, nullptr, &startup, &process))
        return false;
    for (HANDLE handle : {process.hThread, process.hProcess})
        if (handle)
            CloseHandle(handle);
    for (int i = 0; i < 250; ++i, Sleep(20))
        if ((GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == exists)
            return true;
    return false;
}

// The link's own Unix path: its folder resolved, its name kept, so the link is not followed.
std::string unix_link_path(const std::string& link)
{
    std::size_t slash = link.find_last_of('\\');
    std::string folder = unix_path_of(link.substr(0, slash));
    return folder.empty() ? "" : folder + "/" + link.substr(slash + 1);
}

}  // namespace

std::string unix_path_of(const std::string& windows_path)
{
    using unix_name_function = char*(CDECL*)(const WCHAR*);
    auto to_unix = reinterpret_cast<unix_name_function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring wide(windows_path.size() + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    char* unix_name = to_unix ? to_unix(wide.c_str()) : nullptr;
    if (!unix_name)
        return "";
    std::string result = unix_name;
    HeapFree(GetProcessHeap(), 0, unix_name);
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

bool make_folder_link(const std::string& link, const std::string& target)
{
    std::string unix_target = unix_path_of(target), unix_link = unix_link_path(link);
    return !unix_target.empty() && !unix_link.empty() &&
           run_unix("ln", " -s" + quoted(unix_target) + quoted(unix_link), link, true);
}

bool remove_folder_link(const std::string& link)
{
    // rm without -r removes the link itself and never what it leads to.
    std::string unix_link = unix_link_path(link);
    return !unix_link.empty() && run_unix("rm", quoted(unix_link), link, false);
}

}  // namespace test
