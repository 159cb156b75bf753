// test-lock: desktop
// Velmora started as a user starts it: beside the taskbar, on unsupported Windows, without a Start button.

#include <gtest/gtest.h>

#include "tests/support/velmora_session.h"

namespace {

using namespace test;

TEST(Startup, RunsInvisiblyWithAMainWindowOwnedByTheStartButton)
{
    velmora_session session;
    ASSERT_TRUE(start_fake_shell(session) && start_velmora(session, "Velmora.exe"));
    HWND main = velmora_main_window(session);  // found by its class
    EXPECT_EQ(window_text(main), "Velmora 1.0.0");
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(GetWindow(main, GW_OWNER), fake_start_button());
    EXPECT_EQ(close_velmora(session, 15000), 0) << "a close request from another process ends it with 0";
    end_session(session);
}

// A copy of Velmora.exe under its own name, which Wine runs as the given Windows version.
TEST(Startup, RefusesWindowsVersionsOtherThanAnNt6Workstation)
{
    for (const std::string version : {"winxp", "win2008"}) {
        SCOPED_TRACE(version);
        const std::string name = "velmora_" + version + std::to_string(GetCurrentProcessId()) + ".exe";
        const std::string key = "Software\\Wine\\AppDefaults\\" + name;
        ASSERT_TRUE(CopyFileA(fixture_path("Velmora.exe").c_str(), (exe_folder() + name).c_str(), FALSE));
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ, version.c_str(), version.size() + 1);
        velmora_session session;
        ASSERT_TRUE(start_fake_shell(session));
        EXPECT_EQ(answer_error_box(exe_folder() + name), std::string(unsupported_windows_text) + "|exit 0");
        end_session(session);
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
        DeleteFileA((exe_folder() + name).c_str());
    }
}

TEST(Startup, ReportsAMissingStartButton)
{
    ASSERT_EQ(fake_start_button(), nullptr) << "a fake taskbar is still running";
    EXPECT_EQ(answer_error_box(fixture_path("Velmora.exe")), "Das Windows-Startmen\xFC konnte nicht gefunden werden.|exit 0");
}

}  // namespace
