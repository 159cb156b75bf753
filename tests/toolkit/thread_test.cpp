// Background threads of create_thread: their numbers, the sweep of ended threads at the next
// start, and the closing of the handles at shutdown. The numbering test comes first: it needs the
// first create_thread of the process.

#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "toolkit/process.h"

namespace {

VELMORA_CALLBACK DWORD WINAPI wait_for_event(void* event)
{
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

class Threads : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_thread_library(); }
    void SetUp() override
    {
        release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(release_, nullptr);
    }
    void TearDown() override
    {
        SetEvent(release_);
        close_thread_handles();
        CloseHandle(release_);
    }

    // A second handle of the thread, so that it can be watched after the list closed its own.
    static HANDLE own_handle(HANDLE thread)
    {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        return copy;
    }

    HANDLE release_ = nullptr;
};

TEST_F(Threads, AreNumberedFromOneInTheOrderTheyStart)
{
    EXPECT_EQ(create_thread(wait_for_event, release_), 1);
    EXPECT_EQ(create_thread(wait_for_event, release_), 2);
    EXPECT_NE(thread_running(1), nullptr);
    EXPECT_NE(thread_running(2), nullptr);
    EXPECT_NE(thread_running(1), thread_running(2));
    EXPECT_EQ(thread_running(0), nullptr);
    EXPECT_EQ(thread_running(3), nullptr);

    SetEvent(release_);
    EXPECT_TRUE(test::wait_until([] { return !thread_running(1) && !thread_running(2); }, 10000));
    EXPECT_EQ(create_thread(wait_for_event, release_), 3);  // numbers are not handed out again
}

TEST_F(Threads, EndedThreadsAreSweptAtTheNextStart)
{
    HANDLE keep_running = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(keep_running, nullptr);
    const int32_t ending = create_thread(wait_for_event, release_);
    const int32_t running = create_thread(wait_for_event, keep_running);
    ASSERT_GT(ending, 0);
    ASSERT_EQ(running, ending + 1);
    HANDLE listed = thread_running(ending);
    ASSERT_NE(listed, nullptr);
    HANDLE watched = own_handle(listed);
    ASSERT_NE(watched, nullptr);

    SetEvent(release_);
    ASSERT_EQ(WaitForSingleObject(watched, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(thread_running(ending), nullptr);  // ended, though its record is still there
    EXPECT_EQ(GetThreadId(listed), GetThreadId(watched));

    const int32_t next = create_thread(wait_for_event, keep_running);
    EXPECT_EQ(next, running + 1);
    // The list closed its handle of the ended thread (the value may already name the new thread).
    EXPECT_NE(GetThreadId(listed), GetThreadId(watched));
    EXPECT_NE(thread_running(running), nullptr);  // a running thread is kept
    EXPECT_NE(thread_running(next), nullptr);

    SetEvent(keep_running);
    CloseHandle(watched);
    close_thread_handles();
    CloseHandle(keep_running);
}

TEST_F(Threads, ClosingTheHandlesLeavesTheThreadsRunning)
{
    const int32_t number = create_thread(wait_for_event, release_);
    ASSERT_GT(number, 0);
    HANDLE watched = own_handle(thread_running(number));
    ASSERT_NE(watched, nullptr);

    close_thread_handles();
    EXPECT_EQ(thread_running(number), nullptr);  // no longer listed
    EXPECT_EQ(WaitForSingleObject(watched, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // still runs
    SetEvent(release_);
    EXPECT_EQ(WaitForSingleObject(watched, 10000), WAIT_OBJECT_0);
    CloseHandle(watched);

    EXPECT_EQ(create_thread(wait_for_event, release_), number + 1);  // the list works on
}

}  // namespace
