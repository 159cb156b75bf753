// test-lock: desktop
// test-label: setups
// Velmora started as a user starts it, where it cannot serve: on unsupported Windows, without a
// Start button; its message reads as written whatever the ANSI code page.

#include <gtest/gtest.h>

#include "tests/support/velmora_session.h"

namespace {

using namespace test;

// Starts program (a full path), reads its error box "Fehler" and presses OK: "<text>|exit <code>"
// (-1: it did not end in time), or "no error box".
std::string answer_error_box(const std::string& program)
{
    child_process child = start_process("\"" + program + "\"", exe_folder());
    HWND box = nullptr;
    std::string answer = "no error box";
    if (wait_until([&] { return (box = FindWindowA("#32770", "Fehler")) != nullptr; }, 30000)) {
        answer = window_text(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        answer += "|exit " + std::to_string(wait_exit(child, 15000));
    }
    end_process(child);
    return answer;
}

// A copy of Velmora.exe under its own name, which Wine runs as the Windows that its setting names:
// a server of the same version as Windows 7, and Windows XP. (Whether XP's loader takes the 32-bit
// exe at all depends on its imports, which scripts/check-imports.sh checks: Wine's DLLs export the
// same functions whatever Windows they report.)
TEST(Startup, RefusesWindowsVersionsOtherThanAnNt6Workstation)
{
    const std::string name = "velmora_other_windows_" + std::to_string(GetCurrentProcessId()) + ".exe";
    const std::string key = "Software\\Wine\\AppDefaults\\" + name;
    ASSERT_TRUE(CopyFileA(fixture_path("Velmora.exe").c_str(), (exe_folder() + name).c_str(), FALSE));
    velmora_session session;
    ASSERT_TRUE(start_fake_shell(session));
    for (const std::string version : {"win2008", "winxp"}) {
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ, version.c_str(),
                        static_cast<DWORD>(version.size() + 1));
        EXPECT_EQ(answer_error_box(exe_folder() + name),
                  "Das von Ihnen verwendete Betriebssystem wird nicht unterst\xFCtzt.\nUm diese Anwendung ausf\xFChren "
                  "zu k\xF6nnen, ben\xF6tigen Sie das Betriebssystem ''Windows 7''.|exit 0") << version;
    }
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
