#pragma once
// Process services: starting a program or opening a document or URL, a message box that keeps the
// process's own windows out of the way, the Windows version code, and background threads.

#include <windows.h>

#include <cstdint>

// Run flags of run_program.
constexpr uint32_t run_wait = 1;  // wait until the started process has ended
constexpr uint32_t run_hide = 2;  // start hidden and detached from any console
constexpr uint32_t run_keep = 4;  // keep the process in a program record and return its identifier

// Both run once at start-up, before anything below is used and before other threads exist.
void init_process_library();  // empty program list
void init_thread_library();   // nothing to do today: kept for the start-up order

// Starts file with parameters in directory (nullptr or "" for none). A program starts through
// CreateProcessA; anything else (a shortcut, a URL, a document) is opened by the shell with its
// default action. 0 on failure, 1 on success, the program record's identifier with run_keep.
// A file opened through the shell without a directory starts in the file's own folder. Flags
// other than the three above (pipes to the program) are not offered and give 0; so does an
// empty or missing file.
intptr_t run_program(const char* file, const char* parameters, const char* directory,
                     uint32_t flags);
intptr_t run_program(const char* file);
// The process handle kept for a run_keep identifier (nullptr when the shell gave none), and
// the release of such a record.
HANDLE program_process(intptr_t program);
void forget_program(intptr_t program);

// MessageBoxA that disables the calling thread's other visible windows while the box is up and
// enables them again afterwards. The box is owned by the foreground window when that is ours.
int message_box(const char* caption, const char* text, UINT type);

// Coarse version code: 70 for an NT 6 workstation, 75 for an NT 6 server, 60 for XP... (see
// version_table.h); 100 for anything unknown.
int32_t os_version();

using thread_procedure = DWORD(WINAPI*)(void* argument);
// Starts a thread; result: its number (1, 2, ... over the life of the process), 0 on failure.
int32_t create_thread(thread_procedure procedure, void* argument);
// The handle while the thread runs, else nullptr. The handle stays the thread list's: do not close it.
HANDLE thread_running(int32_t number);
// Closes the handles of all recorded threads (at shutdown); the threads themselves run on.
void close_thread_handles();
void delay(DWORD milliseconds);

// 32-bit Windows enters callbacks with a 4-byte aligned stack; GCC code expects 16 bytes.
#if defined(__i386__)
#define VELMORA_CALLBACK __attribute__((force_align_arg_pointer))
#else
#define VELMORA_CALLBACK
#endif
