// The change watcher's thread on the real Start Menu folders of the test prefix. Which changes
// lead to a rebuild is tested natively (tests/pure/programs_tree_test.cpp) and end to end, one
// rebuild for each change, in tests/system/faults_test.cpp.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>

#include "catalogue/menu_publication.h"
#include "catalogue/watcher.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"

namespace {

std::atomic<int32_t> g_handed_over{0};
const rebuild_observer counter = {[] {}, [] { ++g_handed_over; }};

HANDLE g_message_seen;
LRESULT CALLBACK note_message(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HC_ACTION && reinterpret_cast<const MSG*>(lparam)->message == WM_APP + 7)
        SetEvent(g_message_seen);
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Between passes the watcher, a COM apartment, handles the messages of its thread at once: other
// programs' broadcasts and DDE conversations wait for its hidden COM window.
TEST(Watcher, HandlesItsThreadsMessagesWhileItWaits)
{
    CoInitialize(nullptr);
    init_menu_library();
    init_image_library();
    set_watch_interval(600000);  // no second pass while the test runs
    observe_rebuilds(&counter);
    HANDLE thread = CreateThread(nullptr, 0, watch_programs, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    DWORD start = GetTickCount();
    while (g_handed_over.load() == 0 && GetTickCount() - start < 60000)
        Sleep(5);
    ASSERT_EQ(g_handed_over.load(), 1) << "the first pass builds at once";

    g_message_seen = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, note_message, nullptr, GetThreadId(thread));
    ASSERT_NE(hook, nullptr);
    ASSERT_TRUE(PostThreadMessageA(GetThreadId(thread), WM_APP + 7, 0, 0));
    EXPECT_EQ(WaitForSingleObject(g_message_seen, 60000), WAIT_OBJECT_0) << "the message waits for the next pass";
    UnhookWindowsHookEx(hook);
    CloseHandle(g_message_seen);

    EXPECT_TRUE(stop_rebuilds(30000));  // the thread ends with the process, as in the program
    CloseHandle(thread);
}

}  // namespace
