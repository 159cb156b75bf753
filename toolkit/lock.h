#pragma once
// A critical section, and a guard that holds one for the life of a scope. Windows XP has no slim
// reader/writer locks, and the program must load there far enough to refuse politely.
//
// Every lock of the program is a process-wide object, constructed while the C runtime starts the
// process (one thread, before WinMain), so it is usable before any library set-up. It is never
// deleted: it lives exactly as long as the process.

#include <windows.h>

class critical_section {
public:
    critical_section() { InitializeCriticalSection(&section_); }
    critical_section(const critical_section&) = delete;
    critical_section& operator=(const critical_section&) = delete;

    void enter() { EnterCriticalSection(&section_); }
    void leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class exclusive_lock {
public:
    explicit exclusive_lock(critical_section* section) : section_(section) { section_->enter(); }
    ~exclusive_lock() { section_->leave(); }
    exclusive_lock(const exclusive_lock&) = delete;
    exclusive_lock& operator=(const exclusive_lock&) = delete;

private:
    critical_section* section_;
};
