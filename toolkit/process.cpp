// Process services. Two lists live here, each behind its own critical section:
//   - windows that a message box disabled, with the thread that must enable them again;
//   - threads started by create_thread, with the numbers handed out for them.
// run_program tries CreateProcessW first: only a program starts that way, and everything else
// (a shortcut, a URL, a document) fails there and is opened by the shell's default action. Its
// texts are UTF-8 and reach Windows whole, through the wide functions.

#include "toolkit/process.h"

#include <shellapi.h>

#include <new>
#include <string>

#include "toolkit/command_line.h"
#include "toolkit/heap.h"
#include "toolkit/lock.h"
#include "toolkit/version_table.h"
#include "toolkit/wide.h"

namespace {

// Grows a heap array of records to room for at least needed; false when memory is short.
template <typename Record>
bool reserve_records(Record** records, int32_t* capacity, int32_t needed)
{
    if (needed <= *capacity)
        return true;
    const int32_t grown = *capacity ? *capacity * 2 : 8;
    void* block = heap_realloc(*records, sizeof(Record) * static_cast<std::size_t>(grown));
    if (!block)
        return false;
    *records = static_cast<Record*>(block);
    *capacity = grown;
    return true;
}

struct disabled_window {
    DWORD thread;  // the thread whose message box disabled the window
    HWND window;
};

struct disabled_list {
    critical_section lock;  // guards records, count and capacity
    disabled_window* records;
    int32_t count;
    int32_t capacity;
};
disabled_list g_disabled;

struct thread_record {
    HANDLE handle;
    int32_t number;
};

struct thread_state {
    critical_section lock;  // guards records, count, capacity and last_number
    thread_record* records;
    int32_t count;
    int32_t capacity;
    int32_t last_number;
};
thread_state g_threads;


// CreateProcessW takes command lines of up to 32767 UTF-16 units with the terminating zero. The
// shell would start a program with a longer one cut short and report success.
constexpr std::size_t command_line_limit = 32767;

// No path the shell can open is longer than MAX_PATH, and URLs in a start menu are short. Some
// shells copy longer names into fixed buffers and overrun them, so they never see one. In UTF-16
// units.
constexpr std::size_t shell_file_limit = 2 * MAX_PATH;

// directory: the wide working directory, nullptr for none.
intptr_t shell_open(const char* file, const char* parameters, const wchar_t* directory, uint32_t flags)
{
    const std::wstring wide_file = wide_from_utf8(file);
    if (wide_file.size() > shell_file_limit)
        return 0;
    const std::wstring wide_parameters = wide_from_utf8(parameters ? parameters : "");
    // A file opened without a directory gets its own folder, as a shortcut in a menu expects.
    std::wstring folder;
    if (!directory) {
        folder = wide_from_utf8(folder_of_file(file));
        if (!folder.empty())
            directory = folder.c_str();
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // Failures are reported by the result alone: the shell must not put up a box of its own.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = nullptr;  // the file type's default action; "" would ask for a verb of that name
    info.lpFile = wide_file.c_str();
    info.lpParameters = wide_parameters.c_str();
    info.lpDirectory = directory;
    info.nShow = (flags & run_hide) ? SW_HIDE : SW_SHOWNORMAL;
    return ShellExecuteExW(&info) ? 1 : 0;
}

VELMORA_CALLBACK BOOL CALLBACK disable_thread_window(HWND window, LPARAM foreground)
{
    const DWORD thread = GetCurrentThreadId();
    if (GetWindowThreadProcessId(window, nullptr) != thread ||
        window == reinterpret_cast<HWND>(foreground) || !IsWindowVisible(window) ||
        !IsWindowEnabled(window))
        return TRUE;
    {
        exclusive_lock lock(&g_disabled.lock);
        // A window that could not be recorded would never be enabled again: leave it alone.
        if (!reserve_records(&g_disabled.records, &g_disabled.capacity, g_disabled.count + 1))
            return TRUE;
        g_disabled.records[g_disabled.count++] = {thread, window};
    }
    EnableWindow(window, FALSE);
    return TRUE;
}

// Removes one window that this thread disabled from the list; nullptr when none is left.
HWND take_disabled_window(DWORD thread)
{
    exclusive_lock lock(&g_disabled.lock);
    for (int32_t i = 0; i < g_disabled.count; ++i) {
        if (g_disabled.records[i].thread != thread)
            continue;
        HWND window = g_disabled.records[i].window;
        g_disabled.records[i] = g_disabled.records[--g_disabled.count];
        return window;
    }
    return nullptr;
}

// Closes and drops the records of threads that have ended. Called under the thread lock.
void sweep_ended_threads()
{
    int32_t kept = 0;
    for (int32_t i = 0; i < g_threads.count; ++i) {
        thread_record record = g_threads.records[i];
        if (WaitForSingleObject(record.handle, 0) == WAIT_OBJECT_0)
            CloseHandle(record.handle);
        else
            g_threads.records[kept++] = record;
    }
    g_threads.count = kept;
}

}  // namespace

intptr_t run_program(const char* file, const char* parameters, const char* directory,
                     uint32_t flags)
{
    // Waiting, keeping and pipes are not offered; asking for them is a failure, not a program
    // started without them.
    if (flags & ~run_hide)
        return 0;
    if (!file || !*file)
        return 0;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (flags & run_hide) ? SW_HIDE : SW_SHOWNORMAL;
    const DWORD creation = NORMAL_PRIORITY_CLASS | ((flags & run_hide) ? DETACHED_PROCESS : 0);

    try {
        const std::wstring folder = wide_from_utf8(directory ? directory : "");
        const wchar_t* wide_directory = folder.empty() ? nullptr : folder.c_str();
        // CreateProcessW may write into the command line: it is a buffer of its own.
        std::wstring command_line = wide_from_utf8(build_command_line(file, parameters));
        if (command_line.size() >= command_line_limit)
            return 0;
        PROCESS_INFORMATION started = {};
        if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, creation, nullptr,
                           wide_directory, &startup, &started)) {
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
            return 1;
        }
        return shell_open(file, parameters, wide_directory, flags);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

intptr_t open_with_shell(const char* file)
{
    if (!file || !*file)
        return 0;
    try {
        return shell_open(file, "", nullptr, 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

std::string program_folder()
{
    try {
        for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
            std::wstring path(size, L'\0');
            const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
            if (length == 0)
                return "";
            if (length < size) {  // a path cut short would name another folder
                const std::size_t slash = path.find_last_of(L'\\', length);
                return slash == std::wstring::npos ? "" : utf8_from_wide(path.data(), slash + 1);
            }
        }
    } catch (const std::bad_alloc&) {
    }
    return "";
}

int message_box(const char* caption, const char* text, UINT type)
{
    HWND foreground = GetForegroundWindow();
    // The box keeps the other windows of this thread from taking input while it is up; the
    // foreground window is left to MessageBoxW, which disables its owner by itself.
    EnumWindows(disable_thread_window, reinterpret_cast<LPARAM>(foreground));

    DWORD foreground_process = 0;
    if (foreground)
        GetWindowThreadProcessId(foreground, &foreground_process);
    HWND owner = foreground_process == GetCurrentProcessId() ? foreground : nullptr;
    const int result = MessageBoxW(owner, wide_from_1252(text ? text : "").c_str(),
                                   wide_from_1252(caption ? caption : "").c_str(), type);

    const DWORD thread = GetCurrentThreadId();
    while (HWND window = take_disabled_window(thread))
        EnableWindow(window, TRUE);
    return result;
}

int32_t os_version()
{
    version_report report = {};
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    report.ok = GetVersionExA(&info) != 0;
    report.platform_id = info.dwPlatformId;
    report.major = info.dwMajorVersion;
    report.minor = info.dwMinorVersion;
    // Only NT 6 needs the product type, which the extended record carries.
    if (report.ok && report.platform_id == VER_PLATFORM_WIN32_NT && report.major == 6) {
        OSVERSIONINFOEXA extended = {};
        extended.dwOSVersionInfoSize = sizeof extended;
        report.extended_ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended)) != 0;
        report.product_type = extended.wProductType;
    }
    return version_code(report);
}

int32_t create_thread(thread_procedure procedure, void* argument)
{
    exclusive_lock lock(&g_threads.lock);
    sweep_ended_threads();
    // Room first: a thread that runs must have a record to close its handle by.
    if (!reserve_records(&g_threads.records, &g_threads.capacity, g_threads.count + 1))
        return 0;
    // 4096 bytes are committed at first; the stack grows up to the program's reserve.
    HANDLE handle = CreateThread(nullptr, 4096, procedure, argument, 0, nullptr);
    if (!handle)
        return 0;
    const int32_t number = ++g_threads.last_number;
    g_threads.records[g_threads.count++] = {handle, number};
    return number;
}

bool wait_for_thread(int32_t number, DWORD timeout_ms)
{
    HANDLE thread = nullptr;
    {
        exclusive_lock lock(&g_threads.lock);
        for (int32_t i = 0; i < g_threads.count; ++i)
            if (g_threads.records[i].number == number)
                thread = g_threads.records[i].handle;
    }
    if (!thread)
        return true;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        if (waited >= timeout_ms)
            return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        const DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, timeout_ms - waited, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void close_thread_handles()
{
    exclusive_lock lock(&g_threads.lock);
    for (int32_t i = 0; i < g_threads.count; ++i)
        CloseHandle(g_threads.records[i].handle);
    heap_free(g_threads.records);
    g_threads.records = nullptr;
    g_threads.count = 0;
    g_threads.capacity = 0;
}
