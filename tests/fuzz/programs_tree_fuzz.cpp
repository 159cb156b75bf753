// The Programs tree builder over generated start menus.
//
// Input: lines, each one file, folder or link below the Programs folder of one root:
//   <root><path>            a file; with a trailing "\" a folder (missing folders along it are made)
//   <root><path>><root><target>   a folder link at path that leads to the folder target
//   ~<a><b><path>           shortcuts of one name in several spellings: of the twelve files
//                           <root><path with its last name as written, in upper or in lower case>
//                           .lnk or .url, those whose bit is set in the 16 bits <a><b>
// <root> is "u" or "U" for the user's root, any other byte for all users'. Names are made as
// Windows holds them, in UTF-16 units, and reach the tree as the platform layer gives them, in UTF-8:
// a byte below 128 is that character, 0xFF and the two bytes after it are one unit of any value
// (a surrogate without its partner included), any other byte is its Windows-1252 character;
// characters that no Windows file name holds become "_", and "." and ".." and empty names are
// dropped. Links may lead anywhere, also up to their own folders.
//
// Checked for every input: that every name converts back to exactly its UTF-16 units; the order
// guarantees of the tree on which the menu assembly relies, in the menu's order written anew here;
// that tree, source bits and launch list agree; that the listing order of the file system changes no
// more than the order of spellings that differ only in case. And the order of the lines themselves,
// taken as bytes, any bytes: the same as the one written here.

#include <algorithm>
#include <map>
#include <set>

#include "catalogue/programs_tree.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/pure/memory_fs.h"
#include "tests/pure/windows_1252.h"
#include "toolkit/utf.h"

namespace {

const programs_roots roots = {"U:\\Users\\Ann\\Start Menu\\", "C:\\ProgramData\\Start Menu\\"};
constexpr std::size_t max_lines = 48;
constexpr int max_links = 4;  // each link may double the folders a walk sees

bool is_folder(const std::string& path) { return path.back() == '\\'; }
bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string folded(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

// The menu's order, written independently of the builder: the characters' ranks compared in turn,
// a prefix first. A character of Windows-1252 ranks by its byte, A-Z folded; any other after them by
// its value, a byte that begins no character after every character.
std::vector<uint32_t> ranks(std::string_view text)
{
    static const std::map<uint32_t, uint32_t> code_page = [] {
        std::map<uint32_t, uint32_t> bytes;
        for (uint32_t byte = 0; byte < 256; ++byte)
            bytes[test::windows_1252_character(static_cast<unsigned char>(byte))] =
                byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
        return bytes;
    }();
    std::vector<uint32_t> result;
    while (!text.empty()) {
        const decoded_character c = decode_utf8(text);
        const auto byte = code_page.find(c.value);
        result.push_back(byte != code_page.end() ? byte->second : c.value < invalid_byte_base ? 0x100 + c.value
                                                                                             : 0x200000 + c.value);
        text.remove_prefix(c.length);
    }
    return result;
}
bool sorts_after(const std::string& a, const std::string& b) { return ranks(a) > ranks(b); }

// A name's UTF-16 units as the line's bytes give them (see the top of the file), in UTF-8 as the
// platform layer converts them; every name must convert back to exactly its units.
std::string windows_name(std::string_view bytes)
{
    std::u16string units;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        char16_t unit = test::windows_1252_character(byte);
        if (byte == 0xFF) {
            if (i + 2 >= bytes.size())
                break;
            unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) << 8 | static_cast<unsigned char>(bytes[i + 2]));
            i += 2;
        }
        const bool forbidden = unit < 0x20 || (unit < 0x80 && std::string_view("\"*/:<>?|\\").find(static_cast<char>(unit)) !=
                                                                  std::string_view::npos);
        units.push_back(forbidden ? u'_' : unit);
    }
    std::string name;
    append_utf8(&name, units.data(), units.size());
    FUZZ_CHECK(utf16_from_utf8(name) == units && utf16_length(name) == units.size());
    return name;
}

// The absolute path below a root's Programs folder that a line names; a trailing "\" is kept. A
// line without a name stands for the Programs folder itself.
std::string absolute_path(std::string_view line)
{
    std::string path = (!line.empty() && (line[0] == 'u' || line[0] == 'U') ? roots.user : roots.common) + "Programs";
    const std::size_t programs_size = path.size();
    std::size_t start = 1;
    for (std::size_t i = 1; i <= line.size(); ++i) {
        if (i < line.size() && static_cast<unsigned char>(line[i]) == 0xFF) {
            i = std::min(i + 2, line.size() - 1);  // a unit's bytes are no separator
            continue;
        }
        if (i < line.size() && line[i] != '\\')
            continue;
        const std::string name = windows_name(line.substr(start, std::min(i, line.size()) - start));
        if (!name.empty() && name != "." && name != "..")
            path.append(1, '\\').append(name);
        start = i + 1;
    }
    if (path.size() == programs_size || (!line.empty() && line.back() == '\\'))
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
        fs->add(absolute_path((bit < 6 ? "u" : "c") + spelled + (bit / 3 % 2 ? ".url" : ".lnk")));
    }
}

// Builds the file system.
void decode(std::string_view input, test::memory_fs* fs)
{
    int links = 0;
    std::string_view previous;
    for (std::size_t lines = 0; !input.empty() && lines < max_lines; ++lines) {
        const std::size_t end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);

        // Any bytes: the order written here, and equal only where A-Z folded alone tells them apart.
        const int order = compare_paths(previous, line);
        FUZZ_CHECK((order < 0) == (ranks(previous) < ranks(line)) && (order == 0) == (ranks(previous) == ranks(line)));
        FUZZ_CHECK((order == 0) == (folded(previous) == folded(line)));
        previous = line;

        const std::size_t arrow = line.find('>');
        if (line.size() > 3 && line[0] == '~') {
            add_spellings(line, fs);
        } else if (arrow == std::string_view::npos) {
            fs->add(absolute_path(line));
        } else if (links++ < max_links) {
            fs->add_link(absolute_path(line.substr(0, arrow)), absolute_path(line.substr(arrow + 1)));
        }
    }
}

void check_order_and_agreement(const programs_tree& result)
{
    const path_list& tree = result.tree;
    FUZZ_CHECK(!tree.empty() && tree[0] == "Programs\\" && result.sources.size() == tree.size());

    // Elements seen so far; folders whose subtree has ended; the chain of folders still open, folded.
    std::set<std::string_view> seen, closed;
    std::vector<std::pair<std::string, std::string_view>> open;
    const std::string *previous_folder = nullptr, *previous_entry = nullptr;
    std::size_t launch_index = 0;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const std::string& element = tree[i];
        FUZZ_CHECK(starts_with(element, "Programs\\") && element.find("\\\\") == std::string::npos);
        FUZZ_CHECK((result.sources[i] == 0) == is_folder(element) && (result.sources[i] & ~0x0F) == 0);
        FUZZ_CHECK(seen.insert(element).second);  // nothing twice
        if (!is_folder(element)) {
            // An entry belongs to the folder just before it; entries sorted.
            FUZZ_CHECK(previous_folder != nullptr && starts_with(element, *previous_folder));
            FUZZ_CHECK(element.find('\\', previous_folder->size()) == std::string::npos);
            FUZZ_CHECK(!previous_entry || !sorts_after(*previous_entry, element));
            previous_entry = &element;
            FUZZ_CHECK(launch_index < result.launch.size() && result.launch[launch_index++] == element);
            continue;
        }
        // Folders sorted.
        FUZZ_CHECK(!previous_folder || !sorts_after(*previous_folder, element));
        previous_folder = &element;
        previous_entry = nullptr;

        // Each folder on the way here, spelled as in the path, came before. None of them has been
        // left yet: a subtree follows its folder without a gap, only spellings that differ in case
        // may interleave with it.
        const std::string lower = folded(element);
        while (!open.empty() && !starts_with(lower, open.back().first)) {
            closed.insert(open.back().second);
            open.pop_back();
        }
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
    // order found; each keeps its source bits.
    const pass_signature pass = watcher_pass(fs.ops(), roots);
    fs.reverse_listings = true;
    const programs_tree reversed = build_programs_tree(fs.ops(), roots);
    FUZZ_CHECK(reversed.tree.size() == result.tree.size());
    std::map<std::string_view, uint8_t> sources, reversed_sources;
    for (std::size_t i = 0; i < result.tree.size() && i < reversed.tree.size(); ++i) {
        FUZZ_CHECK(folded(reversed.tree[i]) == folded(result.tree[i]));
        sources[result.tree[i]] = result.sources[i];
        reversed_sources[reversed.tree[i]] = reversed.sources[i];
    }
    FUZZ_CHECK(reversed_sources == sources);
    FUZZ_CHECK(watcher_pass(fs.ops(), roots) == pass);
    return 0;
}
