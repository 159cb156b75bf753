#pragma once
// Process services: starting a program or opening a document or URL, a message box that keeps the
// process's own windows out of the way, the Windows version code, and background threads.

#include <windows.h>

#include <cstdint>
#include <string>

// Run flag of run_program: start the program hidden and detached from any console.
constexpr uint32_t run_hide = 2;

// Starts file with parameters in directory (nullptr or "" for none) and returns at once; all three
// are UTF-8. A program starts through CreateProcessW; anything else (a shortcut, a URL, a document)
// is opened by the shell with its default action, in the file's own folder when no directory is
// given. 1 on success, 0 on failure: also for flags other than run_hide, for an empty file, and for
// a command line or file name too long to be passed whole (counted in UTF-16 units).
intptr_t run_program(const char* file, const char* parameters, const char* directory, uint32_t flags);
// Opens file (UTF-8: a document or an address) with the shell's default action, never as a program:
// a web or mail address given to CreateProcess would first be looked for as a program file, along
// the current folder and the search path. 1 on success, 0 on failure.
intptr_t open_with_shell(const char* file);

// The folder of this program's file, UTF-8, ending in "\"; "" when its path cannot be had whole.
std::string program_folder();

// A message box that disables the calling thread's other visible windows while the box is up and
// enables them again afterwards. The box is owned by the foreground window when that is ours.
// caption and text are Windows-1252.
int message_box(const char* caption, const char* text, UINT type);

// Coarse version code: 70 for an NT 6 workstation, 75 for an NT 6 server, 60 for XP... (see
// version_table.h); 100 for anything unknown.
int32_t os_version();

using thread_procedure = DWORD(WINAPI*)(void* argument);
// Starts a thread; result: its number (1, 2, ... over the life of the process), 0 on failure.
int32_t create_thread(thread_procedure procedure, void* argument);
// Waits up to timeout_ms for the thread to end, handling the calling thread's messages meanwhile:
// a thread with windows must go on answering them. true when it has ended, or for no such thread.
bool wait_for_thread(int32_t number, DWORD timeout_ms);
// Closes the handles of all recorded threads (at shutdown); the threads themselves run on.
void close_thread_handles();

// 32-bit Windows enters callbacks with a 4-byte aligned stack; GCC code expects 16 bytes.
#if defined(__i386__)
#define VELMORA_CALLBACK __attribute__((force_align_arg_pointer))
#else
#define VELMORA_CALLBACK
#endif
