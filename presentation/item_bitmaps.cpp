// The pictures beside the start menu's entries and folders. Every rebuild, on the watcher thread,
// renders the shell's small icons into fresh bitmaps of the system's small-icon size, and the
// folder bitmap, which then belong to the build (menu_publication.h releases them with it).
//
// The shell answers for a shortcut with the place of its icon in its list of small icons: asking
// for that place costs less than asking for an icon of one's own, and entries with the same place
// show the same picture. So each place is drawn once per build, and its entries share the bitmap.
// The question names the file by its folder, bound once for all the entries in it, and its name:
// given a whole path, the shell parses every folder above the file again, each time, which costs
// more than the rest of the answer.

#include "presentation/item_bitmaps.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <map>
#include <utility>
#include <vector>

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
    std::map<int, int32_t> bitmap_of_icon;  // place in the list (or no_icon): the build's bitmap
    std::vector<int32_t> bitmaps;           // the build's entry bitmaps, in the order made
    bound_folder user_folder;               // the folders last asked about under each root
    bound_folder common_folder;
};
bitmap_state g_bitmaps;

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

// A new white square of the menu pictures' size with the icon drawn over it at that size, through
// its mask, opaque. Its image number, or 0 when it cannot be made.
int32_t render_icon(HICON icon)
{
    const picture_size size = menu_picture_size();
    const auto image = static_cast<int32_t>(create_image(dynamic_number, size.width, size.height, entry_bitmap_depth));
    if (!image || !start_drawing(image_output(image)))
        return image;
    draw_box(0, 0, size.width, size.height, rgb(255, 255, 255));
    draw_image(icon, 0, 0, size.width, size.height);
    stop_drawing();
    make_image_opaque(image);
    return image;
}

}  // namespace

void begin_entry_bitmaps(const programs_roots& roots)
{
    unbind(&g_bitmaps.user_folder);
    unbind(&g_bitmaps.common_folder);
    g_bitmaps.roots = roots;
    g_bitmaps.bitmap_of_icon.clear();
    g_bitmaps.bitmaps.clear();
    g_bitmaps.icon_list = nullptr;
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
        // Only a success counts: on failure the record may hold anything.
        if (DWORD_PTR list = small_icon_place(folder, entry_path.substr(name) + candidate.extension, &record)) {
            g_bitmaps.icon_list = reinterpret_cast<HIMAGELIST>(list);
            return;
        }
    }
}

int32_t make_entry_bitmap()
{
    const int place = g_bitmaps.icon_list ? g_bitmaps.entry_icon.iIcon : no_icon;
    if (auto made = g_bitmaps.bitmap_of_icon.find(place); made != g_bitmaps.bitmap_of_icon.end())
        return made->second;
    if (static_cast<int32_t>(g_bitmaps.bitmaps.size()) >= max_pictures_per_build)
        return 0;
    // Room in both records first: once the image exists, nothing may throw before it is recorded.
    g_bitmaps.bitmaps.reserve(g_bitmaps.bitmaps.size() + 1);
    const auto slot = g_bitmaps.bitmap_of_icon.emplace(place, 0).first;
    HICON icon = place == no_icon ? nullptr : ImageList_GetIcon(g_bitmaps.icon_list, place, ILD_NORMAL);
    const int32_t image = render_icon(icon);
    if (icon)
        DestroyIcon(icon);  // the picture lives on in the bitmap
    if (!image) {
        g_bitmaps.bitmap_of_icon.erase(slot);
        return 0;
    }
    slot->second = image;
    g_bitmaps.bitmaps.push_back(image);
    return image;
}

std::vector<int32_t> take_entry_bitmaps()
{
    unbind(&g_bitmaps.user_folder);
    unbind(&g_bitmaps.common_folder);
    g_bitmaps.bitmap_of_icon.clear();
    return std::exchange(g_bitmaps.bitmaps, {});
}

void abandon_entry_bitmaps()
{
    for (int32_t image : take_entry_bitmaps())
        free_image(image);
}

int32_t make_folder_bitmap()
{
    HICON small_icon = nullptr;
    if (ExtractIconExA("shell32.dll", 3, nullptr, &small_icon, 1) && small_icon) {
        if (g_bitmaps.folder_icon)
            DestroyIcon(g_bitmaps.folder_icon);
        g_bitmaps.folder_icon = small_icon;
    }
    return render_icon(g_bitmaps.folder_icon);
}
