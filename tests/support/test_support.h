#pragma once
// Helpers shared by the Win32 tests and benchmarks: files, shortcuts, child processes, the Unix side
// of Wine, waiting while pumping messages, synthetic input and the GDI objects a process holds. Names
// and paths are UTF-8, converted for Windows' wide functions by Windows itself, not by the program.

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/pure/windows_1252.h"
#include "toolkit/process.h"

namespace test {

inline std::wstring wide(const std::string& utf8_text)
{
    std::wstring text(utf8_text.size(), L'\0');
    text.resize(std::max(0, MultiByteToWideChar(CP_UTF8, 0, utf8_text.data(), static_cast<int>(utf8_text.size()),
                                                text.data(), static_cast<int>(text.size()))));
    return text;
}

inline std::string utf8(const std::wstring& text)
{
    std::string result(text.size() * 3, '\0');  // at most three bytes a unit
    result.resize(std::max(0, WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                  result.data(), static_cast<int>(result.size()), nullptr, nullptr)));
    return result;
}

// The folder of the running program, ending in "\": fixtures and Velmora.exe live there.
inline std::string exe_folder()
{
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    const std::string folder = utf8(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

inline std::string fixture_path(const char* name) { return exe_folder() + name; }

// Pumps messages until condition holds or timeout_ms passes, looking again at least every step_ms;
// the condition's last answer.
inline bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms, DWORD step_ms = 20)
{
    for (const DWORD start = GetTickCount();;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD spent = GetTickCount() - start;
        if (condition())
            return true;
        if (spent >= timeout_ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min(step_ms, timeout_ms - spent), QS_ALLINPUT);
    }
}

inline void pump_messages(DWORD ms) { wait_until([] { return false; }, ms, ms); }

// A fresh empty folder below %TEMP%, ending in "\".
inline std::string make_temp_folder(const std::string& prefix)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static LONG counter;
    for (;;) {
        const std::string name = utf8(temp) + prefix + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                                 std::to_string(InterlockedIncrement(&counter)) + "\\";
        if (CreateDirectoryW(wide(name).c_str(), nullptr))
            return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return "";
    }
}

inline bool file_exists(const std::string& path)
{
    return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool write_file(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// The bytes of a file, "" when it is missing.
inline std::string read_file(const std::string& path)
{
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string bytes;
    char buffer[4096];
    for (DWORD got = 0; file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got;)
        bytes.append(buffer, got);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return bytes;
}

inline std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
    }
    return parts;
}

inline std::vector<std::string> read_lines(const std::string& path)
{
    std::string text = read_file(path);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::vector<std::string> lines = split(text, '\n');
    if (lines.back().empty())
        lines.pop_back();  // after the last line break, or the empty file's only part
    return lines;
}

struct child_process {
    HANDLE process = nullptr;
    DWORD id = 0;
};
// Starts command_line in directory ("" for the current one). process is nullptr on failure.
inline child_process start_process(const std::string& command_line, const std::string& directory = "")
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring line = wide(command_line);
    const std::wstring folder = wide(directory);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        std::printf("CreateProcessW failed with error %lu: %s\n", GetLastError(), command_line.c_str());
        return {};
    }
    CloseHandle(info.hThread);
    return {info.hProcess, info.dwProcessId};
}

// The exit code, or -1 when the process did not end within timeout_ms (it is then left running).
inline long wait_exit(child_process& child, DWORD timeout_ms)
{
    DWORD code = 0;
    if (!child.process || WaitForSingleObject(child.process, timeout_ms) != WAIT_OBJECT_0)
        return -1;
    GetExitCodeProcess(child.process, &code);
    return static_cast<long>(code);
}

// Ends the process if it still runs, and closes the handle.
inline void end_process(child_process& child)
{
    if (child.process) {
        TerminateProcess(child.process, 1);
        WaitForSingleObject(child.process, 15000);
        CloseHandle(child.process);
    }
    child = {};
}

// The Unix side, for what Win32 cannot make: links to folders (Wine follows them, but its
// CreateSymbolicLinkA makes nothing) and names that end in a blank. "" outside Wine.
inline std::string unix_path_of(const std::string& windows_path)
{
    using unix_name_function = char*(CDECL*)(const WCHAR*);
    auto to_unix = reinterpret_cast<unix_name_function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* unix_name = to_unix ? to_unix(wide(windows_path).c_str()) : nullptr;
    if (!unix_name)
        return "";
    std::string result = unix_name;
    HeapFree(GetProcessHeap(), 0, unix_name);
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

inline std::string shell_quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs script with /bin/sh until it has ended; false when it did not end within timeout_ms.
inline bool run_unix_script(const std::string& script, DWORD timeout_ms = 60000)
{
    // From a file, which needs no quoting by the Windows rules; the script leaves a file "done"
    // beside itself at its end, since Wine cannot wait for a Unix process.
    const std::string folder = make_temp_folder("velmora_unix");
    child_process shell;
    if (write_file(folder + "script", script + "\n: > \"$(dirname \"$0\")/done\"\n"))
        shell = start_process("Z:\\bin\\sh \"" + unix_path_of(folder) + "/script\"");
    const bool ended = wait_until([&] { return file_exists(folder + "done"); }, timeout_ms, 10);
    if (shell.process)
        CloseHandle(shell.process);
    for (const char* name : {"script", "done"})
        DeleteFileW(wide(folder + name).c_str());
    RemoveDirectoryW(wide(folder).c_str());
    return ended;
}

// Removes a folder with everything below it on the Unix side, which removes links and never what
// they lead to, and ignores files that a program just started still holds open.
inline void remove_tree(const std::string& path)
{
    const std::string unix_path = path.size() > 3 ? unix_path_of(path) : "";  // never "" or a drive
    if (unix_path.size() > 1)
        run_unix_script("rm -rf " + shell_quoted(unix_path));
}

inline bool make_folders(const std::string& path)
{
    std::string folder = path;
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    const int result = SHCreateDirectoryExW(nullptr, wide(folder).c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
}

// A .lnk file that starts target with arguments in directory ("" for none), with the icon of
// icon_file when one is given. Needs COM on the thread.
inline bool create_shortcut(const std::string& lnk_path, const std::string& target, const std::string& arguments,
                            const std::string& directory, const std::string& icon_file = "")
{
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(wide(target).c_str());
    link->SetArguments(wide(arguments).c_str());
    if (!directory.empty())
        link->SetWorkingDirectory(wide(directory).c_str());
    if (!icon_file.empty())
        link->SetIconLocation(wide(icon_file).c_str(), 0);
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(wide(lnk_path).c_str(), TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

inline bool create_internet_shortcut(const std::string& url_path, const std::string& url)
{
    return write_file(url_path, "[InternetShortcut]\r\nURL=" + url + "\r\n");
}

// UTF-16 as Windows-1252, the encoding of the tests' literals; "\x7F" for a character it lacks.
inline std::string text_1252(const wchar_t* text, int length)
{
    std::string bytes;
    for (int i = 0; i < length; ++i) {
        int byte = 255;
        while (byte >= 0 && windows_1252_character(static_cast<unsigned char>(byte)) != text[i])
            --byte;
        bytes += static_cast<char>(byte >= 0 ? byte : 0x7F);
    }
    return bytes;
}

// The text of a window as Windows holds it, in UTF-16, whatever the ANSI code page.
inline std::string window_text(HWND window)
{
    wchar_t text[1024] = {};
    return text_1252(text, std::max(GetWindowTextW(window, text, 1024), 0));
}

inline int session_dpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}
// A size or place of the program's 96-DPI layout at this session's DPI, as Windows scales it.
inline int scaled(int pixels) { return MulDiv(pixels, session_dpi(), 96); }

// Synthetic input, as a user makes it. Wine moves its own cursor for synthetic input but leaves the
// X pointer where it was; a window that then appears under the X pointer makes Wine move the cursor
// back, and the next click lands beside its target. SetCursorPos moves the X pointer along first.
inline void move_mouse(int x, int y)
{
    SetCursorPos(x, y);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(x, 65536, width) + 65536 / width / 2;
    input.mi.dy = MulDiv(y, 65536, height) + 65536 / height / 2;
    SendInput(1, &input, sizeof input);
}

// At the current position.
inline void mouse_button(bool down, bool right = false)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = right ? (down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP)
                             : (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    SendInput(1, &input, sizeof input);
}

inline void click(int x, int y, bool right = false)
{
    move_mouse(x, y);
    mouse_button(true, right);
    mouse_button(false, right);
}

inline void press_key(WORD virtual_key)
{
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtual_key;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// Live GDI objects of this process: the entries in use in its GDI handle table, which Wine keeps
// exactly up to date (-1 when it cannot be read, as under WOW64, where the table is not in the
// 32-bit PEB). Wine's table has 65,536 entries of 24 bytes with the type at byte 14 in processes of
// both widths; the PEB holds its address at 0xF8 (64-bit) or 0x94 (32-bit).
inline int live_gdi_objects()
{
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                                  nullptr) != 0)
        return -1;
    const uintptr_t peb = reinterpret_cast<uintptr_t>(basic.PebBaseAddress);
#if defined(__x86_64__)
    const uint64_t table = *reinterpret_cast<const uint64_t*>(peb + 0xF8);
#else
    const uint64_t table = *reinterpret_cast<const uint32_t*>(peb + 0x94);
#endif
    if (!table || table > UINTPTR_MAX)
        return -1;
    const auto* entries = reinterpret_cast<const unsigned char*>(static_cast<uintptr_t>(table));
    int count = 0;
    for (size_t i = 0; i < 65536; ++i)
        count += entries[i * 24 + 14] != 0;
    return count;
}

}  // namespace test
