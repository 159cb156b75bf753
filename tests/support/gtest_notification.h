#pragma once
// GoogleTest's Notification on Win32 events, for toolchains whose C++ runtime has no std::mutex
// (mingw-w64 on the Win32 thread model, which the release builds use). GoogleTest's own locks and
// thread-local values are Win32 already on Windows; only this class of its header needs the C++
// thread library. Force-included into GoogleTest and every test by tests/CMakeLists.txt.

#include <windows.h>

namespace testing::internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace testing::internal

#define GTEST_HAS_NOTIFICATION_ 1
