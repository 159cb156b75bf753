// test-lock: desktop
// Velmora started as a user starts it: beside the taskbar, on a supported and on unsupported
// Windows versions, and without a Start button.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace {

using namespace test;

// A copy of Velmora.exe under its own name, which Wine runs as the given Windows version.
class program_copy {
public:
    program_copy(const char* tag, const char* windows_version)
    {
        name_ = std::string("velmora_") + tag + "_" + std::to_string(GetCurrentProcessId()) + ".exe";
        path_ = exe_folder() + name_;
        CopyFileA(fixture_path("Velmora.exe").c_str(), path_.c_str(), FALSE);
        key_ = "Software\\Wine\\AppDefaults\\" + name_;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(windows_version),
                           static_cast<DWORD>(strlen(windows_version) + 1));
            RegCloseKey(key);
        }
    }
    ~program_copy()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
        DeleteFileA(path_.c_str());
    }
    program_copy(const program_copy&) = delete;
    program_copy& operator=(const program_copy&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string name_, path_, key_;
};

struct error_box {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};

error_box wait_for_error_box(const child_process& program)
{
    error_box box;
    wait_until([&] { return (box.window = find_process_window(program.id, "#32770")) != nullptr; },
               10000);
    if (box.window) {
        box.caption = window_text(box.window);
        box.text = window_text(GetDlgItem(box.window, 0xFFFF));
    }
    return box;
}

void press_ok(const error_box& box)
{
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.window, IDOK)));
}

const char unsupported_text[] =
    "Das von Ihnen verwendete Betriebssystem wird nicht unterst\xFCtzt.\n"
    "Um diese Anwendung ausf\xFChren zu k\xF6nnen, ben\xF6tigen Sie das Betriebssystem "
    "''Windows 7''.";

TEST(Startup, RunsInvisiblyWithAMainWindowOwnedByTheStartButton)
{
    velmora_session session;
    ASSERT_TRUE(start_fake_shell(session));
    ASSERT_TRUE(start_velmora(session, "Velmora.exe"));

    HWND main = velmora_main_window(session);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(window_text(main), "Velmora 1.0.0");
    EXPECT_EQ(window_class_name(main), "WindowClass_0");
    EXPECT_FALSE(IsWindowVisible(main));
    LONG style = GetWindowLongA(main, GWL_STYLE) & ~WS_CLIPSIBLINGS;
    EXPECT_EQ(static_cast<DWORD>(style), static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(GetWindow(main, GW_OWNER), fake_start_button());
    EXPECT_EQ(find_process_window(session.velmora.id, nullptr), nullptr) << "no visible window";

    // A close request from another process ends the program at once, with exit code 0.
    DWORD asked = GetTickCount();
    EXPECT_EQ(close_velmora(session), 0);
    EXPECT_LT(GetTickCount() - asked, 3000u);
    end_session(session);
}

TEST(Startup, RefusesWindowsVersionsOtherThanAnNt6Workstation)
{
    for (const char* version : {"winxp", "win2008", "win2003"}) {
        SCOPED_TRACE(version);
        program_copy copy(version, version);
        velmora_session session;
        ASSERT_TRUE(start_fake_shell(session));
        child_process program = start_process("\"" + copy.path() + "\"", exe_folder());
        ASSERT_NE(program.process, nullptr);

        error_box box = wait_for_error_box(program);
        ASSERT_NE(box.window, nullptr);
        EXPECT_EQ(box.caption, "Fehler");
        EXPECT_EQ(box.text, unsupported_text);
        EXPECT_EQ(GetWindowLongA(box.window, GWL_STYLE) & WS_VISIBLE, WS_VISIBLE);
        press_ok(box);
        EXPECT_EQ(wait_exit(program, 5000), 0);
        close_process(program);
        end_session(session);
    }
}

TEST(Startup, ReportsAMissingStartButton)
{
    ASSERT_EQ(fake_start_button(), nullptr) << "a fake taskbar is still running";
    child_process program = start_process("\"" + fixture_path("Velmora.exe") + "\"", exe_folder());
    ASSERT_NE(program.process, nullptr);

    error_box box = wait_for_error_box(program);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.caption, "Fehler");
    EXPECT_EQ(box.text, "Das Windows-Startmen\xFC konnte nicht gefunden werden.");
    press_ok(box);
    EXPECT_EQ(wait_exit(program, 5000), 0);
    close_process(program);
}

}  // namespace
