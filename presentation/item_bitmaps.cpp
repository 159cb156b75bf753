// The pictures beside the start menu's items. Start-up loads the "Grafiken" files on the main
// thread; every rebuild, on the watcher thread, renders the shell's small icons into fresh 16x16
// entry bitmaps and the folder bitmap. A build's bitmaps may still be on screen in the menu that
// is being replaced, so they are given up only through release_old_image.

#include "presentation/item_bitmaps.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "catalogue/menu_publication.h"
#include "catalogue/start_menu_fs.h"
#include "toolkit/image.h"
#include "toolkit/numbered_table.h"

const graphics_file graphics_files[13] = {
    {10, "Grafiken\\Abmelden.bmp"},
    {11, "Grafiken\\Ausfuehren.bmp"},
    {12, "Grafiken\\Herunterfahren.bmp"},
    {13, "Grafiken\\Neustarten.bmp"},
    {14, "Grafiken\\Ruhezustand.bmp"},
    {15, "Grafiken\\Standby.bmp"},
    {16, "Grafiken\\Suchen.bmp"},
    {17, "Grafiken\\Wechseln.bmp"},
    {18, "Grafiken\\Informationen.bmp"},
    {19, "Grafiken\\Beenden.bmp"},
    {20, "Grafiken\\Banner.bmp"},
    {21, "Grafiken\\Quarnet-Logo.ico"},
    {22, "Grafiken\\Velmora.ico"},
};

namespace {

constexpr int entry_bitmap_size = 16;
constexpr int entry_bitmap_depth = 32;

// Watcher-thread state of the rebuild.
struct bitmap_state {
    SHFILEINFOA entry_icon;           // hIcon: the icon of the entry being processed, or nullptr
    HICON folder_icon;                // the last folder icon the shell gave
    std::vector<int32_t> build_images;  // entry bitmaps of the current build
    programs_roots roots;             // where the shortcut files of the entries live
    bool roots_set;
};
bitmap_state g_bitmaps;

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

// A white square with the icon drawn over it through its mask.
void render_icon(int32_t image, HICON icon)
{
    drawing_target target = image_output(image);
    if (!start_drawing(target))
        return;
    draw_box(0, 0, entry_bitmap_size, entry_bitmap_size, rgb(255, 255, 255));
    draw_image(icon, 0, 0, entry_bitmap_size, entry_bitmap_size);
    stop_drawing();
    make_image_opaque(image);
}

}  // namespace

void load_graphics()
{
    for (const graphics_file& file : graphics_files)
        load_image(file.image, file.path, 0);
}

void compose_banner()
{
    if (!start_drawing(image_output(banner_image)))
        return;
    draw_image(image_handle(banner_left_icon_image), 9, 9, 32, 32);
    draw_image(image_handle(banner_right_icon_image), 259, 9, 32, 32);
    stop_drawing();
}

void use_programs_roots(const programs_roots& roots)
{
    g_bitmaps.roots = roots;
    g_bitmaps.roots_set = true;
}

void fetch_entry_icon(const std::string& entry_path, uint8_t sources)
{
    SHFILEINFOA& record = g_bitmaps.entry_icon;
    if (record.hIcon)
        DestroyIcon(record.hIcon);  // one that make_entry_bitmap never took
    record.hIcon = nullptr;
    if (!g_bitmaps.roots_set)
        use_programs_roots(current_programs_roots());
    for (const icon_candidate& candidate : candidates_backwards) {
        if (!(sources & candidate.source))
            continue;
        const std::string& root = candidate.common ? g_bitmaps.roots.common : g_bitmaps.roots.user;
        if (root.empty())
            continue;  // an unknown root must not turn into a path relative to the current folder
        std::string path = root + entry_path + candidate.extension;
        // On failure the shell may leave garbage in hIcon (Wine leaves 1): only a success counts.
        DWORD_PTR found = SHGetFileInfoA(path.c_str(), 0, &record, sizeof record,
                                         SHGFI_ICON | SHGFI_SMALLICON);
        if (found && record.hIcon)
            return;
        record.hIcon = nullptr;
    }
}

int32_t make_entry_bitmap()
{
    HICON icon = g_bitmaps.entry_icon.hIcon;
    g_bitmaps.entry_icon.hIcon = nullptr;
    int32_t image = 0;
    intptr_t number = create_image(dynamic_number, entry_bitmap_size, entry_bitmap_size,
                                   entry_bitmap_depth);
    if (number) {
        image = static_cast<int32_t>(number);
        g_bitmaps.build_images.push_back(image);
        render_icon(image, icon);
    }
    if (icon)
        DestroyIcon(icon);  // the picture lives on in the bitmap
    return image;
}

void make_folder_bitmap()
{
    HICON small_icon = nullptr;
    if (ExtractIconExA("shell32.dll", 3, nullptr, &small_icon, 1) && small_icon) {
        if (g_bitmaps.folder_icon)
            DestroyIcon(g_bitmaps.folder_icon);
        g_bitmaps.folder_icon = small_icon;
    }
    // The previous folder bitmap may still show in the menu on screen.
    release_old_image(folder_bitmap_image);
    if (!create_image(folder_bitmap_image, entry_bitmap_size, entry_bitmap_size, entry_bitmap_depth))
        return;
    render_icon(folder_bitmap_image, g_bitmaps.folder_icon);
}

void release_entry_bitmaps()
{
    for (int32_t image : g_bitmaps.build_images)
        release_old_image(image);
    g_bitmaps.build_images.clear();
}

int32_t entry_bitmap_count()
{
    return static_cast<int32_t>(g_bitmaps.build_images.size());
}
