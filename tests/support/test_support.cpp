#include "tests/support/test_support.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>

namespace test {

std::string exe_folder()
{
    char path[MAX_PATH * 2] = {};
    std::string folder(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string fixture_path(const char* name)
{
    return exe_folder() + name;
}

std::string make_temp_folder(const char* prefix)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    static LONG counter;
    for (;;) {
        char name[MAX_PATH * 2];
        std::snprintf(name, sizeof name, "%s%s_%lu_%ld\\", temp, prefix, GetCurrentProcessId(),
                      InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr))
            return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return "";
    }
}

void remove_tree(const std::string& path)
{
    // On the Unix side, which removes links and never what they lead to, and ignores files that a
    // program just started still holds open.
    const std::string unix_path = unix_path_of(path);
    if (!unix_path.empty() && unix_path != "/")
        run_unix_script("rm -rf " + shell_quoted(unix_path));
}

bool make_folders(const std::string& path)
{
    std::string folder = path;
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    const int result = SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
}

bool write_file(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string read_file(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

std::vector<std::string> read_lines(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string text = read_file(path);
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start - (end > start && text[end - 1] == '\r')));
    }
    return lines;
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
    }
    return parts;
}

bool create_shortcut(const std::string& lnk_path, const std::string& target, const std::string& arguments,
                     const std::string& directory, const std::string& icon_file)
{
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    if (!directory.empty())
        link->SetWorkingDirectory(directory.c_str());
    if (!icon_file.empty())
        link->SetIconLocation(icon_file.c_str(), 0);
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH * 2] = {};
        MultiByteToWideChar(CP_ACP, 0, lnk_path.c_str(), -1, wide, MAX_PATH * 2);
        saved = SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

bool create_internet_shortcut(const std::string& url_path, const std::string& url)
{
    return write_file(url_path, "[InternetShortcut]\r\nURL=" + url + "\r\n");
}

child_process start_process(const std::string& command_line, const std::string& directory)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = command_line;
    child_process child;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        child.process = info.hProcess;
        child.id = info.dwProcessId;
    }
    return child;
}

long wait_exit(child_process& child, DWORD timeout_ms)
{
    DWORD code = 0;
    if (!child.process || WaitForSingleObject(child.process, timeout_ms) != WAIT_OBJECT_0)
        return -1;
    GetExitCodeProcess(child.process, &code);
    return static_cast<long>(code);
}

void end_process(child_process& child)
{
    if (child.process) {
        TerminateProcess(child.process, 1);
        WaitForSingleObject(child.process, 5000);
        CloseHandle(child.process);
    }
    child = {};
}

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

std::string shell_quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

namespace {
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
}  // namespace

bool run_unix_script(const std::string& script, DWORD timeout_ms)
{
    std::string marker_folder = make_temp_folder("velmora_unix");
    std::string marker = marker_folder + "done";
    std::string command_line = "sh -c " + windows_quoted(script + "\n: > " + shell_quoted(unix_path_of(marker_folder) + "/done"));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    bool ended = false;
    if (CreateProcessA("Z:\\bin\\sh", command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        for (HANDLE handle : {process.hThread, process.hProcess})
            if (handle)
                CloseHandle(handle);
        ended = wait_until([&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, timeout_ms, 10);
    }
    DeleteFileA(marker.c_str());
    RemoveDirectoryA(marker_folder.c_str());
    return ended;
}

void pump_messages(DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= ms)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms, DWORD step_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeout_ms)
            return condition();
        pump_messages(step_ms);
    }
}

namespace {
struct process_window_search {
    DWORD process_id;
    const char* window_class;
    bool visible_only;
    HWND found;
};

BOOL CALLBACK match_process_window(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<process_window_search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || (search->visible_only && !IsWindowVisible(window)))
        return TRUE;
    if (search->window_class && window_class_name(window) != search->window_class)
        return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

HWND find_process_window(DWORD process_id, const char* window_class, bool visible_only)
{
    process_window_search search = {process_id, window_class, visible_only, nullptr};
    EnumWindows(match_process_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string window_text(HWND window)
{
    char text[1024] = {};
    return std::string(text, std::max(GetWindowTextA(window, text, sizeof text), 0));
}

std::string window_class_name(HWND window)
{
    char name[256] = {};
    return std::string(name, std::max(GetClassNameA(window, name, sizeof name), 0));
}

static void send_mouse(DWORD flags, int x, int y)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        int width = GetSystemMetrics(SM_CXSCREEN);
        int height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = MulDiv(x, 65536, width) + (width ? 65536 / width / 2 : 0);
        input.mi.dy = MulDiv(y, 65536, height) + (height ? 65536 / height / 2 : 0);
    }
    SendInput(1, &input, sizeof input);
}

void move_mouse(int x, int y)
{
    send_mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
}

void mouse_button(bool down, bool right)
{
    DWORD flag = right ? (down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP)
                       : (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    send_mouse(flag, 0, 0);
}

void click(int x, int y, bool right)
{
    move_mouse(x, y);
    mouse_button(true, right);
    mouse_button(false, right);
}

void press_key(WORD virtual_key)
{
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtual_key;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

COLORREF screen_pixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

int live_gdi_objects()
{
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                                  nullptr) != 0)
        return -1;
    auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
#if defined(__x86_64__)
    const unsigned char* table = *reinterpret_cast<const unsigned char* const*>(peb + 0xF8);
    const size_t entry_size = 24, type_offset = 14;
#else
    const unsigned char* table = *reinterpret_cast<const unsigned char* const*>(peb + 0x94);
    const size_t entry_size = 16, type_offset = 10;
#endif
    if (!table)
        return -1;
    int count = 0;
    for (size_t i = 0; i < 65536; ++i)
        if (table[i * entry_size + type_offset])
            ++count;
    return count;
}

int unpictured_entries(HMENU menu)
{
    int count = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item);
        if (item.hSubMenu)
            count += unpictured_entries(item.hSubMenu);
        else if (item.wID >= 1 && item.wID <= 10000 && !item.hbmpUnchecked)
            ++count;
    }
    return count;
}

}  // namespace test
