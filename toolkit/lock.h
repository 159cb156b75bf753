#pragma once
// A slim reader/writer lock held exclusively for the life of a guard. The locks themselves are
// statically initialised (SRWLOCK_INIT, or zero), so they are usable before any library set-up.

#include <windows.h>

class exclusive_lock {
public:
    explicit exclusive_lock(SRWLOCK* lock) : lock_(lock) { AcquireSRWLockExclusive(lock_); }
    ~exclusive_lock() { ReleaseSRWLockExclusive(lock_); }
    exclusive_lock(const exclusive_lock&) = delete;
    exclusive_lock& operator=(const exclusive_lock&) = delete;

private:
    SRWLOCK* lock_;
};
