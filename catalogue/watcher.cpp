// Placeholder until the change watcher lands.
#include "catalogue/watcher.h"

void reset_watcher() {}
DWORD WINAPI watch_programs(void*) { for (;;) Sleep(watch_interval_ms); }
void rebuild_programs_menu() {}
