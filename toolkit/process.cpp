// Placeholder until the process services land.
#include "toolkit/process.h"

void init_process_library() {}
void init_thread_library() {}
intptr_t run_program(const char*, const char*, const char*, uint32_t) { return 0; }
intptr_t run_program(const char*) { return 0; }
HANDLE program_process(intptr_t) { return nullptr; }
void forget_program(intptr_t) {}
int message_box(const char* caption, const char* text, UINT type) { return MessageBoxA(nullptr, text, caption, type); }
int32_t os_version() { return 70; }
int32_t create_thread(thread_procedure, void*) { return 0; }
HANDLE thread_running(int32_t) { return nullptr; }
void close_thread_handles() {}
void delay(DWORD milliseconds) { Sleep(milliseconds); }
