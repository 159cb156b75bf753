#pragma once
// Helpers shared by the Win32 tests: files and folders, shortcuts, child processes, the Unix side
// of the Wine machine, waiting while pumping messages, windows, synthetic input, and what a process
// holds of GDI objects and menu pictures.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test {

// The folder of the running program, ending in "\". Fixtures and Velmora.exe live there.
std::string exe_folder();
std::string fixture_path(const char* name);

// A fresh empty folder below %TEMP% (ending in "\"), and its removal with everything below it
// (links removed, never what they lead to).
std::string make_temp_folder(const char* prefix);
void remove_tree(const std::string& path);
bool make_folders(const std::string& path);  // every missing folder along the path

bool write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);  // "" when missing
std::vector<std::string> read_lines(const std::string& path);
std::vector<std::string> split(const std::string& text, char separator);

// A .lnk file that starts target with arguments in directory ("" for none), showing the icon of
// icon_file when one is given. Needs COM on the thread.
bool create_shortcut(const std::string& lnk_path, const std::string& target, const std::string& arguments,
                     const std::string& directory, const std::string& icon_file = "");
bool create_internet_shortcut(const std::string& url_path, const std::string& url);

struct child_process {
    HANDLE process = nullptr;
    DWORD id = 0;
};
// Starts command_line in directory ("" for the current one). process is nullptr on failure.
child_process start_process(const std::string& command_line, const std::string& directory = "");
// The exit code, or -1 when the process did not end within timeout_ms (it is then left running).
long wait_exit(child_process& child, DWORD timeout_ms);
void end_process(child_process& child);  // ends it if it still runs, and closes the handle

// The Unix side, for what Win32 cannot make: links to folders (Wine shows them as folders and
// follows them, but its CreateSymbolicLinkA makes nothing), names outside Windows-1252.
std::string unix_path_of(const std::string& windows_path);  // "" outside Wine
std::string shell_quoted(const std::string& text);          // in single quotes, for a script
// Runs script with /bin/sh until it has ended; false when it did not end within timeout_ms.
bool run_unix_script(const std::string& script, DWORD timeout_ms = 60000);

// Pumps this thread's messages for about ms milliseconds.
void pump_messages(DWORD ms);
// Pumps messages until condition holds or timeout_ms passes; the condition's last answer.
bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms, DWORD step_ms = 20);

// A top-level window of class (any class: nullptr) owned by process_id, or nullptr.
HWND find_process_window(DWORD process_id, const char* window_class, bool visible_only = true);
std::string window_text(HWND window);
std::string window_class_name(HWND window);

// Synthetic input, as a user makes it.
void move_mouse(int x, int y);
void mouse_button(bool down, bool right = false);  // at the current position
void click(int x, int y, bool right = false);
void press_key(WORD virtual_key);
COLORREF screen_pixel(int x, int y);

// Live GDI objects of this process: the entries in use in its GDI handle table (a field of the
// process environment block that Wine keeps exactly up to date; -1 when it cannot be read).
int live_gdi_objects();
// The program entries (ids 1 to 10000) of a menu and its submenus that show no bitmap.
int unpictured_entries(HMENU menu);

}  // namespace test
