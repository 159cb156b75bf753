// The Programs tree and the watcher's pass, over a table of file-system operations.
//
// A build walks both Programs folders once to find every folder (all users' root first), sorts the
// folder paths case-insensitively and drops exact duplicates, then lists each folder once under each
// root that holds it and turns its ".lnk" and ".url" files into entry paths. Folders that differ
// only in letter case stay separate; as the file system ignores case, each collects the entries of
// both spellings.
//
// Every walk guards against two hazards of real start menus: a junction or symbolic link that leads
// back to a folder already on the current path (it is not entered, so a walk always ends), and a
// path longer than max_path_length (it is skipped, never shortened into another path).

#include "catalogue/programs_tree.h"

#include <algorithm>
#include <utility>

#include "toolkit/utf.h"

namespace {

constexpr std::string_view programs_folder_name = "Programs";
constexpr std::string_view programs_folder_path = "Programs\\";

enum root_kind { user_root, common_root };

unsigned char fold_letter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

std::string folded(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(fold_letter(static_cast<unsigned char>(c)));
    return result;
}

// The place of a decoded character in the menu's order: a character that Windows-1252 holds by
// its byte there, A-Z folded to a-z (the order of the runtime's case-blind compare of ANSI text,
// which the menu has always had); after all of them every other character by its code point, a
// surrogate without its partner by its value; after every character a byte that begins no
// character, by its value.
uint32_t character_rank(uint32_t value)
{
    if (value < invalid_byte_base) {
        const int byte = windows_1252_byte(value);
        if (byte >= 0)
            return fold_letter(static_cast<unsigned char>(byte));
    }
    return 0x100 + value;
}

bool equals_folded(std::string_view text, std::string_view lower_case)
{
    if (text.size() != lower_case.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (fold_letter(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(lower_case[i]))
            return false;
    return true;
}

bool is_dot_name(const std::string& name)
{
    return name == "." || name == "..";
}

bool same_folder(const folder_identity& a, const folder_identity& b)
{
    return a.volume == b.volume && a.index == b.index;
}

// The folders on the path from a walk's top folder down to the folder being listed. Only a link
// can lead back to a folder on the path: without one the path is a branch of the folder tree, whose
// folders all differ. So folders are identified, which costs a file open each, only from the first
// link on the path downwards, and the folders above it only when they are first compared.
class folder_path_guard {
public:
    explicit folder_path_guard(const file_system_ops& fs) : fs_(fs) {}

    // folder: the absolute path of the folder to enter; every folder on the path is a prefix of it.
    // false when it is already on the path: entering it again would go round in a circle. A folder
    // that cannot be identified is entered without the test.
    bool enter(const std::string& folder, bool link)
    {
        on_path entry = {folder.size(), link, false, false, {}};
        if (link)
            ++links_;
        if (links_ > 0 && fs_.identify) {
            identify(folder, &entry);
            for (on_path& earlier : path_) {
                if (!entry.known)
                    break;
                identify(folder, &earlier);
                if (earlier.known && same_folder(earlier.identity, entry.identity)) {
                    if (link)
                        --links_;
                    return false;
                }
            }
        }
        path_.push_back(entry);
        return true;
    }
    void leave()
    {
        if (path_.back().link)
            --links_;
        path_.pop_back();
    }

private:
    struct on_path {
        std::size_t length;  // of its path, a prefix of every path below it
        bool link;
        bool asked;
        bool known;
        folder_identity identity;
    };

    void identify(const std::string& path_below, on_path* entry)
    {
        if (entry->asked)
            return;
        entry->asked = true;
        entry->known = fs_.identify(fs_.context, path_below.substr(0, entry->length), &entry->identity);
    }

    const file_system_ops& fs_;
    std::vector<on_path> path_;
    int links_ = 0;  // links on the path
};

// Walks below folder depth first, files and folders in listing order, each folder visited before
// its contents. visitor.file and visitor.folder receive the absolute path, without a trailing "\";
// visitor.file also the file's entry of the listing.
// false when folder cannot be listed.
// units: the length of folder in UTF-16 units, the measure of max_path_length.
template <typename Visitor>
bool walk_below(const file_system_ops& fs, std::string* folder, std::size_t units, folder_path_guard* guard,
                Visitor* visitor)
{
    std::vector<directory_entry> entries;
    if (fs.enumerate(fs.context, *folder, &entries) != 0)
        return false;
    const std::size_t length = folder->size();
    for (const directory_entry& entry : entries) {
        if (is_dot_name(entry.name))
            continue;
        const std::size_t units_below = units + 1 + utf16_length(entry.name);
        if (units_below > max_path_length)
            continue;
        folder->append(1, '\\').append(entry.name);
        if (!entry.folder) {
            visitor->file(*folder, entry);
        } else if (guard->enter(*folder, entry.link)) {
            visitor->folder(*folder);
            walk_below(fs, folder, units_below, guard, visitor);
            guard->leave();
        }
        folder->resize(length);
    }
    return true;
}

// Walks one root's Programs folder; false when the root has none that can be listed.
template <typename Visitor>
bool walk_programs(const file_system_ops& fs, const std::string& start_menu, Visitor* visitor)
{
    // A root the shell could not resolve would otherwise name "Programs" in the current directory.
    if (start_menu.empty())
        return false;
    std::string folder = start_menu;
    folder.append(programs_folder_name);
    const std::size_t units = utf16_length(folder);
    if (units > max_path_length)
        return false;
    folder_path_guard guard(fs);
    guard.enter(folder, false);
    return walk_below(fs, &folder, units, &guard, visitor);
}

// The folder paths a root's scan entered, folded, so that entries are collected only where the
// scan found a folder that is not a way round a link cycle.
struct root_scan {
    const std::string* start_menu;
    root_kind kind;
    std::vector<std::string> folded_folders;  // sorted after the scan

    bool holds(const std::string& folder_path) const
    {
        return std::binary_search(folded_folders.begin(), folded_folders.end(), folded(folder_path));
    }
};

struct scan_visitor {
    path_list* folder_list;
    root_scan* root;

    void file(const std::string&, const directory_entry&) {}
    void folder(const std::string& path)
    {
        std::string relative = path.substr(root->start_menu->size());
        relative.append(1, '\\');
        root->folded_folders.push_back(folded(relative));
        folder_list->push_back(std::move(relative));
    }
};

void scan_folders(const file_system_ops& fs, root_scan* root, path_list* folder_list)
{
    scan_visitor visitor = {folder_list, root};
    if (walk_programs(fs, *root->start_menu, &visitor))
        root->folded_folders.push_back(folded(programs_folder_path));
    std::sort(root->folded_folders.begin(), root->folded_folders.end());
}

// 64-bit finaliser of splitmix64: spreads every input bit over the whole result, so that sums of
// hashes rarely collide.
uint64_t mix64(uint64_t value)
{
    value ^= value >> 30;
    value *= 0xBF58476D1CE4E5B9ull;
    value ^= value >> 27;
    value *= 0x94D049BB133111EBull;
    value ^= value >> 31;
    return value;
}

// What a file adds to a fingerprint: its contents are not read, so a replaced file shows by its size
// or its last-write time.
uint64_t file_fingerprint(uint64_t seed, const directory_entry& file)
{
    return mix64(seed + mix64(file.size + mix64(file.written)));
}

struct collected_entry {
    std::string path;
    uint8_t sources;
    uint64_t stamp;  // of its one file, and after merging of all its spellings' files
};

uint8_t source_bit(root_kind root, bool url)
{
    if (url)
        return root == user_root ? source_user_url : source_common_url;
    return root == user_root ? source_user_lnk : source_common_lnk;
}

void collect_entries(const file_system_ops& fs, const std::string& folder_path,
                     const root_scan* const roots[2], std::vector<collected_entry>* entry_list)
{
    std::vector<directory_entry> entries;
    for (int r = 0; r < 2; ++r) {
        const root_scan& root = *roots[r];
        if (!root.holds(folder_path))
            continue;
        std::string folder = *root.start_menu + folder_path;
        folder.pop_back();
        if (fs.enumerate(fs.context, folder, &entries) != 0)
            continue;
        const std::size_t folder_units = utf16_length(folder);
        for (const directory_entry& entry : entries) {
            if (entry.folder || equals_folded(entry.name, "desktop.ini"))
                continue;
            std::string extension = extension_part(entry.name);
            if (extension != "lnk" && extension != "url")
                continue;
            std::size_t stem = entry.name.size() - extension.size() - 1;
            // A file named ".lnk" would give an entry path that ends in "\", which reads as a folder.
            if (stem == 0)
                continue;
            if (folder_units + 1 + utf16_length(entry.name) > max_path_length)
                continue;
            const uint8_t source = source_bit(root.kind, extension == "url");
            entry_list->push_back({folder_path + entry.name.substr(0, stem), source, file_fingerprint(source, entry)});
        }
    }
}

bool path_before(const collected_entry& a, const collected_entry& b)
{
    return compare_paths(a.path, b.path) < 0;
}

// Keeps the first element of each spelling within every run of a list sorted by compare_paths.
template <typename Element, typename PathOf>
void keep_first_spellings(std::vector<Element>* list, PathOf path_of)
{
    std::size_t kept = 0;
    for (std::size_t begin = 0; begin < list->size();) {
        std::size_t end = begin + 1;
        while (end < list->size() && compare_paths(path_of((*list)[begin]), path_of((*list)[end])) == 0)
            ++end;
        const std::size_t run_start = kept;
        for (std::size_t i = begin; i < end; ++i) {
            // Runs are as long as the spellings of one name: a handful.
            bool repeated = false;
            for (std::size_t k = run_start; k < kept && !repeated; ++k)
                repeated = path_of((*list)[k]) == path_of((*list)[i]);
            if (repeated)
                continue;
            if (kept != i)
                (*list)[kept] = std::move((*list)[i]);
            ++kept;
        }
        begin = end;
    }
    list->resize(kept);
}

// Sorts one folder's entries and merges those that name the same shortcut. Spellings that differ
// in letter case stay separate entries, but on a case-blind file system they name the same files,
// so each carries the source bits and the fingerprints of all of them (a sum: listing order does
// not matter).
void sort_and_merge_entries(std::vector<collected_entry>* entries)
{
    std::stable_sort(entries->begin(), entries->end(), path_before);
    for (std::size_t begin = 0; begin < entries->size();) {
        std::size_t end = begin + 1;
        uint8_t sources = (*entries)[begin].sources;
        uint64_t stamp = (*entries)[begin].stamp;
        for (; end < entries->size() && compare_paths((*entries)[begin].path, (*entries)[end].path) == 0; ++end) {
            sources |= (*entries)[end].sources;
            stamp += (*entries)[end].stamp;
        }
        for (std::size_t i = begin; i < end; ++i) {
            (*entries)[i].sources = sources;
            (*entries)[i].stamp = stamp;
        }
        begin = end;
    }
    keep_first_spellings(entries, [](const collected_entry& entry) -> const std::string& { return entry.path; });
}

void build_tree_list(const file_system_ops& fs, const path_list& folder_list,
                     const root_scan* const roots[2], programs_tree* result)
{
    std::vector<collected_entry> entry_list;
    int32_t entry_count = 0;
    for (const std::string& folder_path : folder_list) {
        result->tree.push_back(folder_path);
        result->sources.push_back(0);
        result->stamps.push_back(0);
        entry_list.clear();
        collect_entries(fs, folder_path, roots, &entry_list);
        sort_and_merge_entries(&entry_list);
        for (collected_entry& entry : entry_list) {
            // Entry ids above max_menu_entries would collide with the commands' ids.
            if (entry_count == max_menu_entries)
                continue;
            ++entry_count;
            result->tree.push_back(std::move(entry.path));
            result->sources.push_back(entry.sources);
            result->stamps.push_back(entry.stamp);
        }
    }
}

void build_launch_list(programs_tree* result)
{
    result->launch.clear();
    for (const std::string& element : result->tree)
        if (element.back() != '\\')
            result->launch.push_back(element);
}

uint64_t path_hash(root_kind root, std::string_view relative, bool folder)
{
    uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
    auto add = [&hash](unsigned char c) {
        hash ^= c;
        hash *= 0x100000001B3ull;
    };
    add(root == user_root ? 'U' : 'C');
    for (char c : relative)
        add(static_cast<unsigned char>(c));
    if (folder)
        add('\\');
    return mix64(hash);
}

struct pass_visitor {
    pass_signature* signature;
    std::size_t start_menu_length;
    root_kind root;

    // A sum, not a sequence: the listing order of the file system does not change the result. A
    // file replaced under its name changes it by its size or time.
    void file(const std::string& path, const directory_entry& entry)
    {
        ++signature->file_count;
        signature->path_hash +=
            file_fingerprint(path_hash(root, std::string_view(path).substr(start_menu_length), false), entry);
    }
    void folder(const std::string& path)
    {
        signature->path_hash += path_hash(root, std::string_view(path).substr(start_menu_length), true);
    }
};

}  // namespace

std::string extension_part(std::string_view name)
{
    std::size_t i = name.size();
    while (i > 0) {
        char c = name[i - 1];
        if (c == '\\' || c == '/')
            return "";
        if (c == '.')
            break;
        --i;
    }
    if (i == 0)
        return "";
    std::string_view extension = name.substr(i);
    return std::string(extension.substr(0, extension.find('"')));
}

int compare_paths(std::string_view a, std::string_view b)
{
    // Characters of equal rank are the same character, A-Z folded, of the same length in bytes:
    // the two texts are always read at the same place.
    std::size_t i = 0;
    while (i < a.size() && i < b.size()) {
        const auto byte_a = static_cast<unsigned char>(a[i]);
        const auto byte_b = static_cast<unsigned char>(b[i]);
        if (byte_a < 0x80 && byte_b < 0x80) {  // ASCII, most of every path: its byte is its rank
            const int difference = fold_letter(byte_a) - fold_letter(byte_b);
            if (difference != 0)
                return difference < 0 ? -1 : 1;
            ++i;
            continue;
        }
        const decoded_character ca = decode_utf8(a.substr(i));
        const decoded_character cb = decode_utf8(b.substr(i));
        const uint32_t rank_a = character_rank(ca.value), rank_b = character_rank(cb.value);
        if (rank_a != rank_b)
            return rank_a < rank_b ? -1 : 1;
        i += ca.length;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

void sort_paths(path_list* list)
{
    std::stable_sort(list->begin(), list->end(),
                     [](const std::string& a, const std::string& b) { return compare_paths(a, b) < 0; });
}

void remove_duplicates_in_runs(path_list* list)
{
    keep_first_spellings(list, [](const std::string& path) -> const std::string& { return path; });
}

programs_tree build_programs_tree(const file_system_ops& fs, const programs_roots& roots)
{
    root_scan user = {&roots.user, user_root, {}};
    root_scan common = {&roots.common, common_root, {}};
    path_list folder_list;
    folder_list.emplace_back(programs_folder_path);
    scan_folders(fs, &common, &folder_list);
    scan_folders(fs, &user, &folder_list);
    sort_paths(&folder_list);
    remove_duplicates_in_runs(&folder_list);

    // Entries are collected from the user root first, so that its spelling comes first.
    const root_scan* const collection_order[2] = {&user, &common};
    programs_tree result;
    build_tree_list(fs, folder_list, collection_order, &result);
    build_launch_list(&result);
    return result;
}

pass_signature watcher_pass(const file_system_ops& fs, const programs_roots& roots)
{
    pass_signature signature;
    pass_visitor common = {&signature, roots.common.size(), common_root};
    walk_programs(fs, roots.common, &common);
    pass_visitor user = {&signature, roots.user.size(), user_root};
    walk_programs(fs, roots.user, &user);
    return signature;
}
