// Background threads of create_thread: their numbers from the first start of the process on, the
// sweep of ended threads at the next start, and the closing of the handles at shutdown.

#include <gtest/gtest.h>

#include "toolkit/process.h"

namespace {

VELMORA_CALLBACK DWORD WINAPI wait_for_event(void* event)
{
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

// A second handle of the thread, so that it can be watched after the list closed its own.
HANDLE own_handle(HANDLE thread)
{
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

TEST(Threads, AreNumberedSweptWhenEndedAndLeftRunningAtShutdown)
{
    init_thread_library();
    HANDLE ending = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE running = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(ending && running);
    ASSERT_EQ(create_thread(wait_for_event, ending), 1);
    ASSERT_EQ(create_thread(wait_for_event, running), 2);
    HANDLE listed = thread_running(1);
    HANDLE watched = own_handle(listed);
    ASSERT_NE(watched, nullptr);
    EXPECT_NE(thread_running(2), nullptr);
    EXPECT_EQ(thread_running(3), nullptr);

    SetEvent(ending);
    ASSERT_EQ(WaitForSingleObject(watched, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(thread_running(1), nullptr);  // ended, though its record is still there
    EXPECT_EQ(GetThreadId(listed), GetThreadId(watched));
    EXPECT_EQ(create_thread(wait_for_event, running), 3);
    // The list closed its handle of the ended thread (the value may already name the new thread).
    EXPECT_NE(GetThreadId(listed), GetThreadId(watched));
    EXPECT_NE(thread_running(2), nullptr);  // a running thread is kept
    CloseHandle(watched);

    watched = own_handle(thread_running(3));
    close_thread_handles();
    EXPECT_EQ(thread_running(3), nullptr);  // no longer listed
    EXPECT_EQ(WaitForSingleObject(watched, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // but still running
    SetEvent(running);
    EXPECT_EQ(WaitForSingleObject(watched, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(create_thread(wait_for_event, running), 4);  // the list works on
    for (HANDLE handle : {watched, ending, running})
        CloseHandle(handle);
    close_thread_handles();
}

}  // namespace
