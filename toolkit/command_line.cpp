// Placeholder until the process services land.
#include "toolkit/command_line.h"

std::string build_command_line(const char*, const char*) { return ""; }
std::string folder_of_file(const char*) { return ""; }
