// test-lock: desktop
// Velmora started as a user starts it, where it cannot serve: on unsupported Windows, without a
// Start button.

#include <gtest/gtest.h>

#include "tests/support/velmora_session.h"

namespace {

using namespace test;

// A copy of Velmora.exe under its own name, which Wine runs as a Windows server of the same
// version as Windows 7 (Windows XP: tests/app/refusal_test.cpp).
TEST(Startup, RefusesWindowsVersionsOtherThanAnNt6Workstation)
{
    const std::string name = "velmora_win2008_" + std::to_string(GetCurrentProcessId()) + ".exe";
    const std::string key = "Software\\Wine\\AppDefaults\\" + name;
    ASSERT_TRUE(CopyFileA(fixture_path("Velmora.exe").c_str(), (exe_folder() + name).c_str(), FALSE));
    RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ, "win2008", sizeof "win2008");
    velmora_session session;
    ASSERT_TRUE(start_fake_shell(session));
    EXPECT_EQ(answer_error_box(exe_folder() + name), std::string(unsupported_windows_text) + "|exit 0");
    end_session(session);
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    DeleteFileA((exe_folder() + name).c_str());
}

TEST(Startup, ReportsAMissingStartButton)
{
    ASSERT_EQ(fake_start_button(), nullptr) << "a fake taskbar is still running";
    EXPECT_EQ(answer_error_box(fixture_path("Velmora.exe")), "Das Windows-Startmen\xFC konnte nicht gefunden werden.|exit 0");
}

}  // namespace
