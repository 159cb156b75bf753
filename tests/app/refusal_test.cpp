// test-lock: desktop
// test-label: windows_xp
// Velmora.exe on a whole Windows XP (scripts/test.sh runs this program alone, with the 32-bit build
// in a 32-bit prefix set to Windows XP): the error box, and exit code 0 once the user pressed OK.

#include <gtest/gtest.h>

#include "tests/support/velmora_session.h"

namespace {

using namespace test;

TEST(Refusal, OnWindowsXpBesideTheTaskbarItShowsTheErrorBoxAndEndsWithZero)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    ASSERT_EQ(version.dwMajorVersion * 10 + version.dwMinorVersion, 51u)
        << "this test needs a prefix set to Windows XP (ctest -L windows_xp there, -LE windows_xp elsewhere)";

    velmora_session session;
    ASSERT_TRUE(start_fake_shell(session));
    EXPECT_EQ(answer_error_box(fixture_path("Velmora.exe")), std::string(unsupported_windows_text) + "|exit 0");
    EXPECT_EQ(FindWindowA("WindowClass_0", nullptr), nullptr) << "it made no main window";
    end_session(session);
}

}  // namespace
