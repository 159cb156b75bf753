#include "toolkit/command_line.h"

#include <cstring>

std::string build_command_line(const char* file, const char* parameters)
{
    if (!file)
        file = "";
    if (!parameters)
        parameters = "";
    const std::size_t file_length = std::strlen(file);
    const std::size_t parameters_length = std::strlen(parameters);

    std::string line;
    line.reserve(file_length + parameters_length + 3);
    // A name in quotes survives blanks in its folders; one already quoted is the caller's choice.
    if (file[0] == '"') {
        line.append(file, file_length);
    } else {
        line += '"';
        line.append(file, file_length);
        line += '"';
    }
    if (parameters_length) {
        line += ' ';
        line.append(parameters, parameters_length);
    }
    return line;
}

std::string folder_of_file(const char* file)
{
    if (!file)
        return "";
    // A quoted name has its folder inside the quotes.
    if (file[0] == '"')
        ++file;
    const char* last = std::strrchr(file, '\\');
    // A backslash in first place would name the root of the current drive, not a folder of the file.
    if (!last || last == file)
        return "";
    return std::string(file, static_cast<std::size_t>(last - file) + 1);
}
