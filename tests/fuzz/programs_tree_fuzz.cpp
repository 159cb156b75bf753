// The Programs tree builder over generated start menus.
//
// Input: lines, each one file, folder or link below the Programs folder of a root, "u" or "U" as
// the first byte for the user's, any other byte for all users':
//   <root><path>                  a file; with a trailing "\" a folder (missing folders along it are made)
//   <root><path>><root><target>   a folder link at path that leads to the folder target
//   ~<a><b><path>                 shortcuts of one name: of the twelve files <root><path with its last
//                                 name as written, in upper or in lower case>.lnk or .url, those whose
//                                 bit is set in the 16 bits <a><b>, each of a size of its own
// Names are made as Windows holds them, in UTF-16 units, and reach the tree in UTF-8 as the platform
// layer converts them: a byte below 128 is that character, 0xFF and the two bytes after it are one
// unit of any value (a surrogate without its partner included), any other byte is its Windows-1252
// character; characters that no file name holds become "_"; "." and ".." and empty names are dropped.
// Links may lead anywhere, also up to their own folders.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "catalogue/programs_tree.h"
#include "tests/pure/memory_fs.h"
#include "tests/pure/windows_1252.h"
#include "toolkit/utf.h"

// A property that every input must keep; a broken one aborts, so libFuzzer saves the input.
#define FUZZ_CHECK(property) \
    ((property) ? void() : (std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #property), std::abort()))

namespace {

const programs_roots roots = {"U:\\Users\\Ann\\Start Menu\\", "C:\\ProgramData\\Start Menu\\"};
constexpr std::size_t max_lines = 48;
constexpr int max_links = 4;  // each link may double the folders a walk sees

std::string folded(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return result;
}

// The menu's order, written apart from the builder: the characters' ranks compared in turn, a
// prefix first. A character of Windows-1252 ranks by its byte, A-Z folded; any other after them by
// its value, and a byte that begins no character (decoded above every code point) after those.
std::vector<uint32_t> ranks(std::string_view text)
{
    std::vector<uint32_t> result;
    for (decoded_character c{}; !text.empty(); text.remove_prefix(c.length)) {
        c = decode_utf8(text);
        const int byte = windows_1252_byte(c.value);
        result.push_back(byte < 0 ? 0x100 + c.value : byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
    }
    return result;
}
bool sorts_after(const std::string& a, const std::string& b) { return ranks(a) > ranks(b); }

// The UTF-16 units that a line's bytes give (see the top of the file); a "\" only from its own byte.
std::u16string units_of(std::string_view bytes)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    std::u16string units;
    for (std::size_t i = 0; i < bytes.size() && (byte(i) != 0xFF || i + 2 < bytes.size()); ++i) {
        const char16_t unit = byte(i) == 0xFF ? byte(i + 1) << 8 | byte(i + 2) : test::windows_1252_character(byte(i));
        const bool forbidden = unit < 0x20 || (unit < 0x80 && std::strchr("\"*/:<>?|\\", unit));
        units.push_back(bytes[i] == '\\' ? u'\\' : forbidden ? u'_' : unit);
        i += byte(i) == 0xFF ? 2 : 0;
    }
    return units;
}

// The absolute path below a root's Programs folder that a line names; a trailing "\" is kept, and a
// line without a name stands for the Programs folder itself. Every name must convert back exactly.
std::string absolute_path(std::string_view line)
{
    std::string path = (line.starts_with('u') || line.starts_with('U') ? roots.user : roots.common) + "Programs";
    const std::size_t programs_size = path.size();
    const std::u16string units = units_of(line.substr(std::min<std::size_t>(line.size(), 1)));
    for (std::size_t start = 0, end = 0; end != std::u16string::npos; start = end + 1) {
        end = units.find(u'\\', start);
        const std::u16string_view name_units = std::u16string_view(units).substr(start, end - start);
        const std::string name = utf8_from_utf16(name_units);
        FUZZ_CHECK(utf16_from_utf8(name) == name_units && utf16_length(name) == name_units.size());
        if (!name.empty() && name != "." && name != "..")
            path.append(1, '\\').append(name);
    }
    if (path.size() == programs_size || units.ends_with(u'\\'))
        path += '\\';
    return path;
}

// The same shortcut name in the letter cases and under the roots and extensions that a "~" line
// selects: the spellings that the case-blind sort interleaves, which the tree must list once each.
void add_spellings(std::string_view line, test::memory_fs* fs)
{
    const unsigned selected = static_cast<unsigned char>(line[1]) | static_cast<unsigned char>(line[2]) << 8;
    const std::string path(line.substr(3));
    for (unsigned bit = 0; bit < 12; ++bit) {
        if (!(selected & 1u << bit))
            continue;
        std::string spelled = path;
        for (auto c = spelled.begin() + (path.rfind('\\') + 1); c != spelled.end(); ++c)  // npos + 1 is 0
            if (bit % 3 == 1 ? *c >= 'a' && *c <= 'z' : bit % 3 == 2 && *c >= 'A' && *c <= 'Z')
                *c ^= 0x20;  // flips the case of an ASCII letter
        fs->add(absolute_path((bit < 6 ? "u" : "c") + spelled + (bit / 3 % 2 ? ".url" : ".lnk")), bit, line.size());
    }
}

void decode(std::string_view input, test::memory_fs* fs)
{
    int links = 0;
    std::string_view previous;
    for (std::size_t lines = 0; !input.empty() && lines < max_lines; ++lines) {
        const std::string_view line = input.substr(0, input.find('\n'));
        input.remove_prefix(std::min(input.size(), line.size() + 1));

        // Any bytes: the order written here, and equal only where A-Z folded alone tells them apart.
        const int order = compare_paths(previous, line);
        FUZZ_CHECK((order < 0) == (ranks(previous) < ranks(line)) && (order == 0) == (folded(previous) == folded(line)));
        previous = line;

        const std::size_t arrow = line.find('>');
        if (line.size() > 3 && line[0] == '~')
            add_spellings(line, fs);
        else if (arrow == std::string_view::npos)
            fs->add(absolute_path(line));
        else if (links++ < max_links)
            fs->add_link(absolute_path(line.substr(0, arrow)), absolute_path(line.substr(arrow + 1)));
    }
}

void check_order_and_agreement(const programs_tree& result)
{
    const path_list& tree = result.tree;
    FUZZ_CHECK(!tree.empty() && tree[0] == "Programs\\" && result.sources.size() == tree.size() &&
               result.stamps.size() == tree.size());

    // Elements seen so far; folders whose subtree has ended; the chain of folders still open, folded.
    std::set<std::string_view> seen, closed;
    std::vector<std::pair<std::string, std::string_view>> open;
    const std::string *previous_folder = nullptr, *previous_entry = nullptr;
    std::size_t launch_index = 0;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const std::string& element = tree[i];
        const bool folder = element.back() == '\\';
        FUZZ_CHECK(element.starts_with("Programs\\") && element.find("\\\\") == std::string::npos);
        FUZZ_CHECK((result.sources[i] == 0) == folder && (result.sources[i] & ~0x0F) == 0 &&
                   (result.stamps[i] == 0) == folder);
        FUZZ_CHECK(seen.insert(element).second);  // nothing twice
        if (!folder) {
            // An entry belongs to the folder just before it; entries sorted.
            FUZZ_CHECK(previous_folder != nullptr && element.starts_with(*previous_folder));
            FUZZ_CHECK(element.find('\\', previous_folder->size()) == std::string::npos);
            FUZZ_CHECK(!previous_entry || !sorts_after(*previous_entry, element));
            previous_entry = &element;
            FUZZ_CHECK(launch_index < result.launch.size() && result.launch[launch_index++] == element);
            continue;
        }
        FUZZ_CHECK(!previous_folder || !sorts_after(*previous_folder, element));  // folders sorted
        previous_folder = &element;
        previous_entry = nullptr;

        // Each folder on the way here, spelled as in the path, came before. None of them has been
        // left yet: a subtree follows its folder without a gap, only spellings that differ in case
        // may interleave with it.
        const std::string lower = folded(element);
        for (; !open.empty() && !lower.starts_with(open.back().first); open.pop_back())
            closed.insert(open.back().second);
        for (std::size_t end = element.find('\\'); end + 1 < element.size(); end = element.find('\\', end + 1)) {
            const std::string_view above(element.data(), end + 1);
            FUZZ_CHECK(seen.count(above) == 1 && closed.count(above) == 0);
        }
        open.emplace_back(lower, element);
    }
    FUZZ_CHECK(launch_index == result.launch.size() && launch_index <= static_cast<std::size_t>(max_menu_entries));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    test::memory_fs fs;
    decode({reinterpret_cast<const char*>(data), size}, &fs);

    const programs_tree result = build_programs_tree(fs.ops(), roots);
    check_order_and_agreement(result);

    // The listing order may only swap spellings that differ in case, which the sort keeps in the
    // order found; each keeps its source bits and the fingerprint of its files.
    const pass_signature pass = watcher_pass(fs.ops(), roots);
    fs.reverse_listings = true;
    const programs_tree reversed = build_programs_tree(fs.ops(), roots);
    FUZZ_CHECK(reversed.tree.size() == result.tree.size());
    std::map<std::string_view, std::pair<uint8_t, uint64_t>> sources, reversed_sources;
    for (std::size_t i = 0; i < result.tree.size() && i < reversed.tree.size(); ++i) {
        FUZZ_CHECK(folded(reversed.tree[i]) == folded(result.tree[i]));
        sources[result.tree[i]] = {result.sources[i], result.stamps[i]};
        reversed_sources[reversed.tree[i]] = {reversed.sources[i], reversed.stamps[i]};
    }
    FUZZ_CHECK(reversed_sources == sources);
    FUZZ_CHECK(watcher_pass(fs.ops(), roots) == pass);
    return 0;
}
