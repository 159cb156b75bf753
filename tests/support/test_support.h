#pragma once
// Helpers shared by the Win32 tests: files and folders, shortcuts, child processes, the Unix side
// of the Wine machine, waiting while pumping messages, finding windows, and synthetic input.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test {

// The folder of the running test program, ending in "\". Fixtures and Velmora.exe live there.
std::string exe_folder();
std::string fixture_path(const char* name);

// A fresh empty folder below %TEMP% (ending in "\"), and its removal with everything below it.
std::string make_temp_folder(const char* prefix);
void remove_tree(const std::string& path);
bool make_folders(const std::string& path);  // every missing folder along the path

bool write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);  // "" when missing
bool file_exists(const std::string& path);
std::vector<std::string> read_lines(const std::string& path);
std::vector<std::string> split(const std::string& text, char separator);

// A .lnk file that starts target with arguments in directory ("" for none), showing the icon of
// icon_file when one is given. Needs COM on the thread.
bool create_shortcut(const std::string& lnk_path, const std::string& target, const std::string& arguments,
                     const std::string& directory, const std::string& icon_file = "");
// A .url internet shortcut pointing at url.
bool create_internet_shortcut(const std::string& url_path, const std::string& url);

struct child_process {
    HANDLE process = nullptr;
    DWORD id = 0;
};
// Starts command_line in directory ("" for the current one). process is nullptr on failure.
child_process start_process(const std::string& command_line, const std::string& directory = "");
// The exit code, or -1 when the process did not end within timeout_ms (it is then left running).
long wait_exit(child_process& child, DWORD timeout_ms);
void kill_process(child_process& child);
void close_process(child_process& child);

// The Unix side, for what Win32 cannot make. Wine shows a Unix link to a folder as a folder (with
// FILE_ATTRIBUTE_REPARSE_POINT) and follows it, but its CreateSymbolicLinkA makes nothing.
std::string unix_path_of(const std::string& windows_path);  // "" outside Wine
std::string shell_quoted(const std::string& text);          // in single quotes, for a script
// Runs script with /bin/sh and waits until it has ended; false when it did not end within
// timeout_ms. Wine gives no handle for a Unix process, so the end is told by a marker file.
bool run_unix_script(const std::string& script, DWORD timeout_ms = 60000);
// A link at link (a Windows path) to the folder target, and its removal (never of what it leads to).
bool make_folder_link(const std::string& link, const std::string& target);
bool remove_folder_link(const std::string& link);

// Pumps this thread's messages for about ms milliseconds.
void pump_messages(DWORD ms);
// Pumps messages until condition holds or timeout_ms passes; the condition's last answer.
bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms, DWORD step_ms = 20);

// The first top-level window of class (and title, when not nullptr) that appears within timeout_ms.
HWND wait_for_window(const char* window_class, const char* title, DWORD timeout_ms);
// A top-level window of class (any class: nullptr) owned by process_id, or nullptr.
HWND find_process_window(DWORD process_id, const char* window_class, bool visible_only = true);
std::string window_text(HWND window);
std::string window_class_name(HWND window);

// Synthetic input, as a user makes it.
void move_mouse(int x, int y);
void click(int x, int y, bool right = false);
void mouse_button(bool down, bool right = false);  // at the current position
void press_key(WORD virtual_key, bool shift = false);

// The colour of a screen pixel (COLORREF layout).
COLORREF screen_pixel(int x, int y);

// Live GDI objects of this process: the entries in use in its GDI handle table (a field of the
// process environment block that Wine keeps exactly up to date; -1 when it cannot be read).
int live_gdi_objects();
// The program entries (ids 1 to 10000) of a menu and its submenus that show no bitmap.
int unpictured_entries(HMENU menu);

}  // namespace test
