#pragma once
// The build that fits the system. On 64-bit Windows a 32-bit program sees the file system through
// WOW64: to it System32 means SysWOW64 and %ProgramFiles% the x86 folder, so the shell resolves
// its shortcuts as no 64-bit program does, and a shortcut to a program that exists only in the
// 64-bit System32 starts nothing. The 32-bit program therefore hands over to the 64-bit build
// when that lies beside it, and the 64-bit process opens every shortcut as the desktop does.

// true for a 32-bit process on 64-bit Windows. Asked through GetProcAddress: Windows XP before
// SP2 lacks IsWow64Process, and the program must load there far enough to refuse it.
bool running_under_wow64();

// Starts the 64-bit build file_name (UTF-8) from this program's own folder, in this program's
// current folder. Only a program for AMD64 Windows is started: never this 32-bit program itself.
// false when there is no such file, it is not that, or it did not start: this program then serves.
bool start_sibling_program(const char* file_name);
