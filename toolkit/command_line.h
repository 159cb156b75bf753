#pragma once
// The command line that run_program hands to CreateProcessW, in UTF-8 until that call.

#include <string>

// The file in double quotes (unchanged when it already begins with one), then one blank and the
// parameters when there are any. nullptr counts as "".
std::string build_command_line(const char* file, const char* parameters);

// The folder that holds a file: the text up to and including its last backslash, when there is a
// backslash after the first character; "" otherwise (a URL, a bare name).
std::string folder_of_file(const char* file);
