// extension_part over arbitrary names, NUL bytes included.
//
// The extension is the text after the last "." of the last path component, cut at a double quote:
// checked against the same rule written with the standard library's searches. Appending "." and an
// extension to any name must give that extension back, also when a quote and more text follow, as
// in a command line; letter case is kept.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/programs_tree.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::string_view reference_extension(std::string_view name)
{
    const std::size_t separator = name.find_last_of("\\/");
    const std::string_view component = separator == std::string_view::npos ? name : name.substr(separator + 1);
    const std::size_t dot = component.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    const std::string_view after = component.substr(dot + 1);
    return after.substr(0, after.find('"'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const std::string extension = extension_part(name);
    FUZZ_CHECK(extension == reference_extension(name));
    FUZZ_CHECK(extension.find_first_of(".\\/\"") == std::string::npos);

    // The first bytes of the input that may stand in an extension, as a made-up one.
    std::string made_up;
    for (char c : name.substr(0, 8))
        if (c != '.' && c != '\\' && c != '/' && c != '"')
            made_up += c;
    const std::string file = std::string(name) + "." + made_up;
    FUZZ_CHECK(extension_part(file) == made_up);
    FUZZ_CHECK(extension_part(file + "\" -x") == made_up);
    FUZZ_CHECK(extension_part(file + "\\") == "");
    return 0;
}
