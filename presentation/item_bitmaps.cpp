// The pictures beside the start menu's entries and folders. Every rebuild, on the watcher thread,
// renders the shell's small icons of new and changed shortcuts into bitmaps of the system's
// small-icon size and makes the folder bitmap; the entries whose shortcut files are as in the build on offer keep its pictures.
// The pictures belong to every build that shows them (menu_publication.h lets go of them with it).
//
// The shell answers for a shortcut with the place of its icon in its list of small icons: asking
// for that place costs less than asking for an icon of one's own, and entries with the same place
// show the same picture. So each place is drawn once per build, and its entries share the bitmap.
// Places are not kept from one build to the next: the shell may have rebuilt its list meanwhile.
// The question names the file by its folder, bound once for all the entries in it, and its name:
// given a whole path, the shell parses every folder above the file again, each time, which costs
// more than the rest of the answer.

#include "presentation/item_bitmaps.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <map>
#include <unordered_set>
#include <utility>

#include "presentation/pictures.h"
#include "toolkit/image.h"
#include "toolkit/numbered_table.h"
#include "toolkit/wide.h"

namespace {

constexpr int entry_bitmap_depth = 32;
constexpr int no_icon = -1;  // the place of the plain white square

// A folder of shortcut files as the shell knows it, bound for the questions about its files.
struct bound_folder {
    std::string path;           // the folder's absolute path; "" when none is bound
    IShellFolder* folder;
    LPITEMIDLIST location;      // its absolute item list
};

// Watcher-thread state of the build being made.
struct bitmap_state {
    SHFILEINFOW entry_icon;   // iIcon: the fetched icon's place in icon_list, when icon_list is set
    HIMAGELIST icon_list;     // the shell's own list of small icons, never destroyed here
    HICON folder_icon;        // the last folder icon the shell gave
    programs_roots roots;     // where the shortcut files of the entries live
    pictures_ref before;      // what entries may keep; nullptr when nothing can be kept
    bool ask_shell;
    std::shared_ptr<entry_pictures> made;               // the build's pictures so far
    std::map<int, picture_ref> picture_of_icon;         // place in the list (or no_icon): its picture
    std::unordered_set<const entry_picture*> shown;     // the pictures in made->shown
    bound_folder user_folder;                           // the folders last asked about under each root
    bound_folder common_folder;
};
bitmap_state g_bitmaps;

bool same_roots(const programs_roots& a, const programs_roots& b)
{
    return a.user == b.user && a.common == b.common;
}

// The picture that the build before gave an entry with these shortcut files; nullptr for none.
const picture_ref* kept_picture(const entry_pictures* before, const std::string& entry_path, uint8_t sources,
                                uint64_t stamp)
{
    if (!before)
        return nullptr;
    const auto found = before->by_entry.find(entry_path);
    if (found == before->by_entry.end() || found->second.sources != sources || found->second.stamp != stamp)
        return nullptr;
    return &found->second.picture;
}

// Adds the picture to what the build shows; false when the build may show no more pictures.
bool show(const picture_ref& picture)
{
    if (g_bitmaps.shown.count(picture.get()))
        return true;
    if (static_cast<int32_t>(g_bitmaps.made->shown.size()) >= max_pictures_per_build)
        return false;
    g_bitmaps.made->shown.reserve(g_bitmaps.made->shown.size() + 1);  // nothing may throw after the insert
    g_bitmaps.shown.insert(picture.get());
    g_bitmaps.made->shown.push_back(picture);
    return true;
}

void unbind(bound_folder* bound)
{
    if (bound->folder)
        bound->folder->Release();
    CoTaskMemFree(bound->location);
    *bound = {};
}

// Releases the shell's object on every way out.
class release_guard {
public:
    explicit release_guard(IUnknown* object) : object_(object) {}
    ~release_guard()
    {
        if (object_)
            object_->Release();
    }
    release_guard(const release_guard&) = delete;
    release_guard& operator=(const release_guard&) = delete;

private:
    IUnknown* object_;
};

// Frees an item list on every way out unless it was taken.
class item_list_guard {
public:
    explicit item_list_guard(LPITEMIDLIST list) : list_(list) {}
    ~item_list_guard() { CoTaskMemFree(list_); }
    item_list_guard(const item_list_guard&) = delete;
    item_list_guard& operator=(const item_list_guard&) = delete;
    LPITEMIDLIST take() { return std::exchange(list_, nullptr); }

private:
    LPITEMIDLIST list_;
};

// Binds folder (an absolute path ending in "\") unless it is bound already; false when the shell
// cannot reach it. Memory may run out on the way: the guards give back what the shell gave.
bool bind(bound_folder* bound, const std::string& folder)
{
    if (bound->folder && bound->path == folder)
        return true;
    unbind(bound);
    std::string path = folder;
    std::wstring name = wide_from_utf8(folder);
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return false;
    release_guard desktop_guard(desktop);
    LPITEMIDLIST location = nullptr;
    const HRESULT parsed = desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &location, nullptr);
    item_list_guard location_guard(location);
    IShellFolder* shell_folder = nullptr;
    if (FAILED(parsed) ||
        FAILED(desktop->BindToObject(location, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&shell_folder))))
        return false;
    bound->path = std::move(path);
    bound->folder = shell_folder;
    bound->location = location_guard.take();
    return true;
}

// The shell's answer for the file name in the bound folder; 0 when it has none.
DWORD_PTR small_icon_place(const bound_folder& bound, const std::string& name, SHFILEINFOW* record)
{
    std::wstring file = wide_from_utf8(name);
    LPITEMIDLIST child = nullptr;
    if (FAILED(bound.folder->ParseDisplayName(nullptr, nullptr, file.data(), nullptr, &child, nullptr)))
        return 0;
    DWORD_PTR list = 0;
    if (LPITEMIDLIST whole = ILCombine(bound.location, child)) {
        *record = {};
        list = SHGetFileInfoW(reinterpret_cast<const wchar_t*>(whole), 0, record, sizeof *record,
                              SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        CoTaskMemFree(whole);
    }
    CoTaskMemFree(child);
    return list;
}

// The shortcut candidates of an entry, from the last one the launcher tries to the first: the
// last existing candidate that yields an icon is the one the menu shows.
struct icon_candidate {
    uint8_t source;
    bool common;
    const char* extension;
};
constexpr icon_candidate candidates_backwards[] = {
    {source_common_url, true, ".url"},
    {source_user_url, false, ".url"},
    {source_common_lnk, true, ".lnk"},
    {source_user_lnk, false, ".lnk"},
};

// A white square of the menu pictures' size with the icon drawn over it at that size, through its
// mask, opaque.
void render_icon(int32_t image, HICON icon)
{
    const picture_size size = menu_picture_size();
    drawing_target target = image_output(image);
    if (!start_drawing(target))
        return;
    draw_box(0, 0, size.width, size.height, rgb(255, 255, 255));
    draw_image(icon, 0, 0, size.width, size.height);
    stop_drawing();
    make_image_opaque(image);
}

// The place of the icon fetch_entry_icon found.
int fetched_place()
{
    return g_bitmaps.icon_list ? g_bitmaps.entry_icon.iIcon : no_icon;
}

// The bitmap of the icon at place (no_icon: none), made at its first use in the build; nullptr
// when the build may make no more.
picture_ref picture_of_place(int place)
{
    if (auto made = g_bitmaps.picture_of_icon.find(place); made != g_bitmaps.picture_of_icon.end())
        return made->second;
    if (static_cast<int32_t>(g_bitmaps.made->shown.size()) >= max_pictures_per_build)
        return nullptr;
    // The record first: once the image exists, it is freed on every way out.
    auto picture = std::make_shared<entry_picture>();
    const picture_size size = menu_picture_size();
    const intptr_t number = create_image(dynamic_number, size.width, size.height, entry_bitmap_depth);
    if (!number)
        return nullptr;
    picture->image = static_cast<int32_t>(number);
    HICON icon = place == no_icon ? nullptr : ImageList_GetIcon(g_bitmaps.icon_list, place, ILD_NORMAL);
    render_icon(picture->image, icon);
    if (icon)
        DestroyIcon(icon);  // the picture lives on in the bitmap
    g_bitmaps.picture_of_icon.emplace(place, picture);
    return picture;
}

}  // namespace

namespace item_bitmaps_seams {
void (*asked)(const std::string& path) = nullptr;
}

entry_picture::~entry_picture()
{
    if (image)
        free_image(image);
}

void begin_entry_bitmaps(const programs_roots& roots, pictures_ref before, bool ask_shell)
{
    unbind(&g_bitmaps.user_folder);
    unbind(&g_bitmaps.common_folder);
    g_bitmaps.roots = roots;
    g_bitmaps.before = before && same_roots(before->roots, roots) ? std::move(before) : nullptr;
    g_bitmaps.ask_shell = ask_shell;
    g_bitmaps.made = std::make_shared<entry_pictures>();
    g_bitmaps.made->roots = roots;
    g_bitmaps.picture_of_icon.clear();
    g_bitmaps.shown.clear();
    g_bitmaps.icon_list = nullptr;
}

int32_t entries_to_ask(const programs_tree& tree, const programs_roots& roots, const entry_pictures* before)
{
    if (before && !same_roots(before->roots, roots))
        before = nullptr;
    int32_t asking = 0;
    for (std::size_t i = 0; i < tree.tree.size(); ++i)
        asking += i < tree.sources.size() && tree.sources[i] != 0 &&
                  !kept_picture(before, tree.tree[i], tree.sources[i], i < tree.stamps.size() ? tree.stamps[i] : 0);
    return asking;
}

int32_t entry_bitmap(const std::string& entry_path, uint8_t sources, uint64_t stamp)
{
    if (const picture_ref* kept = kept_picture(g_bitmaps.before.get(), entry_path, sources, stamp)) {
        if (!show(*kept))
            return 0;
        g_bitmaps.made->by_entry.emplace(entry_path, entry_pictures::kept{sources, stamp, *kept});
        return (*kept)->image;
    }
    if (!g_bitmaps.ask_shell) {
        const picture_ref plain = picture_of_place(no_icon);
        return plain && show(plain) ? plain->image : 0;
    }
    fetch_entry_icon(entry_path, sources);
    const picture_ref picture = picture_of_place(fetched_place());
    if (!picture || !show(picture))
        return 0;
    g_bitmaps.made->by_entry.emplace(entry_path, entry_pictures::kept{sources, stamp, picture});
    return picture->image;
}

void fetch_entry_icon(const std::string& entry_path, uint8_t sources)
{
    SHFILEINFOW& record = g_bitmaps.entry_icon;
    g_bitmaps.icon_list = nullptr;
    for (const icon_candidate& candidate : candidates_backwards) {
        if (!(sources & candidate.source))
            continue;
        const std::string& root = candidate.common ? g_bitmaps.roots.common : g_bitmaps.roots.user;
        if (root.empty())
            continue;  // an unknown root must not turn into a path relative to the current folder
        const std::size_t name = entry_path.rfind('\\') + 1;  // entry paths begin with "Programs\"
        bound_folder& folder = candidate.common ? g_bitmaps.common_folder : g_bitmaps.user_folder;
        if (!bind(&folder, root + entry_path.substr(0, name)))
            continue;
        if (item_bitmaps_seams::asked)
            item_bitmaps_seams::asked(folder.path + entry_path.substr(name) + candidate.extension);
        // Only a success counts: on failure the record may hold anything.
        if (DWORD_PTR list = small_icon_place(folder, entry_path.substr(name) + candidate.extension, &record)) {
            g_bitmaps.icon_list = reinterpret_cast<HIMAGELIST>(list);
            return;
        }
    }
}

int32_t make_entry_bitmap()
{
    const picture_ref picture = picture_of_place(fetched_place());
    return picture && show(picture) ? picture->image : 0;
}

pictures_ref take_entry_bitmaps()
{
    unbind(&g_bitmaps.user_folder);
    unbind(&g_bitmaps.common_folder);
    g_bitmaps.before = nullptr;
    g_bitmaps.picture_of_icon.clear();
    g_bitmaps.shown.clear();
    return std::exchange(g_bitmaps.made, nullptr);
}

void abandon_entry_bitmaps()
{
    take_entry_bitmaps();
}

int32_t make_folder_bitmap()
{
    HICON small_icon = nullptr;
    if (ExtractIconExA("shell32.dll", 3, nullptr, &small_icon, 1) && small_icon) {
        if (g_bitmaps.folder_icon)
            DestroyIcon(g_bitmaps.folder_icon);
        g_bitmaps.folder_icon = small_icon;
    }
    const picture_size size = menu_picture_size();
    const intptr_t number = create_image(dynamic_number, size.width, size.height, entry_bitmap_depth);
    if (!number)
        return 0;
    render_icon(static_cast<int32_t>(number), g_bitmaps.folder_icon);
    return static_cast<int32_t>(number);
}
