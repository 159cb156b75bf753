#include "app/wow64.h"

#include <windows.h>

#include <string>

bool running_under_wow64()
{
    using is_wow64_function = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto is_wow64 = reinterpret_cast<is_wow64_function>(
        reinterpret_cast<void*>(kernel ? GetProcAddress(kernel, "IsWow64Process") : nullptr));
    BOOL wow64 = FALSE;
    return is_wow64 && is_wow64(GetCurrentProcess(), &wow64) && wow64;
}

bool start_sibling_program(const char* file_name)
{
    char own[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, own, sizeof own);
    if (length == 0 || length >= sizeof own)
        return false;  // a path cut short would name another folder
    std::string folder(own, length);
    const std::size_t slash = folder.find_last_of('\\');
    if (slash == std::string::npos)
        return false;
    folder.erase(slash + 1);
    const std::string program = folder + file_name;
    const DWORD attributes = GetFileAttributesA(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    std::string command_line = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}
