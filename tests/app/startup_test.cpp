// test-lock: desktop
// Velmora started as a user starts it: beside the taskbar, on a supported and on unsupported
// Windows versions, and without a Start button.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace {

using namespace test;

// Starts program (a path) and waits for its error box: caption and text are read back byte for
// byte, OK is pressed, and the program must end with exit code 0.
void expect_error_box(const std::string& program, const char* text)
{
    child_process child = start_process("\"" + program + "\"", exe_folder());
    ASSERT_NE(child.process, nullptr);
    HWND box = nullptr;
    wait_until([&] { return (box = find_process_window(child.id, "#32770")) != nullptr; }, 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(window_text(box), "Fehler");
    EXPECT_EQ(window_text(GetDlgItem(box, 0xFFFF)), text);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    EXPECT_EQ(wait_exit(child, 15000), 0);
    end_process(child);
}

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
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE) & ~WS_CLIPSIBLINGS), static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(GetWindow(main, GW_OWNER), fake_start_button());
    EXPECT_EQ(find_process_window(session.velmora.id, nullptr), nullptr) << "no visible window";

    // A close request from another process ends the program with exit code 0.
    EXPECT_EQ(close_velmora(session, 15000), 0);
    end_session(session);
}

// A copy of Velmora.exe under its own name, which Wine runs as the given Windows version.
TEST(Startup, RefusesWindowsVersionsOtherThanAnNt6Workstation)
{
    for (const char* version : {"winxp", "win2008"}) {
        SCOPED_TRACE(version);
        const std::string name = std::string("velmora_") + version + "_" + std::to_string(GetCurrentProcessId()) + ".exe";
        const std::string key = "Software\\Wine\\AppDefaults\\" + name;
        ASSERT_TRUE(CopyFileA(fixture_path("Velmora.exe").c_str(), (exe_folder() + name).c_str(), FALSE));
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ, version, static_cast<DWORD>(strlen(version) + 1));
        velmora_session session;
        ASSERT_TRUE(start_fake_shell(session));
        expect_error_box(exe_folder() + name,
                         "Das von Ihnen verwendete Betriebssystem wird nicht unterst\xFCtzt.\n"
                         "Um diese Anwendung ausf\xFChren zu k\xF6nnen, ben\xF6tigen Sie das Betriebssystem "
                         "''Windows 7''.");
        end_session(session);
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
        DeleteFileA((exe_folder() + name).c_str());
    }
}

TEST(Startup, ReportsAMissingStartButton)
{
    ASSERT_EQ(fake_start_button(), nullptr) << "a fake taskbar is still running";
    expect_error_box(fixture_path("Velmora.exe"), "Das Windows-Startmen\xFC konnte nicht gefunden werden.");
}

}  // namespace
