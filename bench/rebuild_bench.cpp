// The presentation's share of a menu rebuild, on Programs trees of 1,000 and 10,000 entries backed
// by real shortcut files in a temporary folder: the shell's icons, the menu items, the entry
// bitmaps, the folder bitmap and its walk, the menu build alone, and the whole rebuild as the
// change watcher runs it: the catalogue's scan of both roots followed by the menu build.
// Prints "BENCH<TAB>name<TAB>value<TAB>unit" lines; a ratio near 10 means a linear rebuild.

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "catalogue/menu_publication.h"
#include "catalogue/start_menu_fs.h"
#include "presentation/item_bitmaps.h"
#include "presentation/menu_assembly.h"
#include "presentation/menu_plan.h"
#include "tests/support/test_support.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"

namespace {

constexpr int entries_per_folder = 50;

// A figure of one tree size: "<name>_<entries>".
void report(const char* name, int entries, double value, const char* unit)
{
    char full_name[64];
    std::snprintf(full_name, sizeof full_name, "%s_%d", name, entries);
    bench::report(full_name, value, unit, 3);
}

// Folders of 50 shortcuts each below the user's Programs folder, every file a copy of one real
// shortcut; the tree as the catalogue would hand it over.
programs_tree make_tree(const programs_roots& roots, int entries, const std::string& shortcut)
{
    programs_tree tree;
    tree.tree.push_back("Programs\\");
    tree.sources.push_back(0);
    char name[64];
    for (int i = 0; i < entries; ++i) {
        if (i % entries_per_folder == 0) {
            std::snprintf(name, sizeof name, "Programs\\Gruppe %04d\\", i / entries_per_folder);
            test::make_folders(roots.user + name);
            tree.tree.push_back(name);
            tree.sources.push_back(0);
        }
        std::snprintf(name, sizeof name, "Programs\\Gruppe %04d\\Programm %05d", i / entries_per_folder, i);
        test::write_file(roots.user + name + ".lnk", shortcut);
        tree.tree.push_back(name);
        tree.sources.push_back(source_user_lnk);
        tree.launch.push_back(name);
    }
    return tree;
}

void carry_out_items(const menu_plan& plan)
{
    for (const plan_step& step : plan.steps) {
        switch (step.action) {
        case plan_action::open_submenu:
            open_submenu(step.caption.c_str());
            break;
        case plan_action::close_submenus:
            for (int32_t i = 0; i < step.count; ++i)
                close_submenu();
            break;
        case plan_action::add_entry:
        case plan_action::add_command:
            add_menu_item(step.id, step.caption.c_str());
            break;
        case plan_action::add_separator:
            add_menu_separator();
            break;
        }
    }
}

double full_rebuild(const programs_tree& tree, const programs_roots& roots)
{
    double start = bench::now_ms();
    release_old_menu(0);
    create_popup_menu(0);
    build_start_menu(tree, roots);
    make_folder_bitmap();
    attach_folder_bitmaps();
    return bench::now_ms() - start;
}

struct totals {
    double menu_build = 0;
    double whole = 0;
};

totals run(const std::string& base, int entries, const std::string& shortcut)
{
    programs_roots roots = {base + "user" + std::to_string(entries) + "\\",
                            base + "common" + std::to_string(entries) + "\\"};
    test::make_folders(roots.user + "Programs");
    test::make_folders(roots.common + "Programs");
    programs_tree tree = make_tree(roots, entries, shortcut);
    use_programs_roots(roots);

    double start = bench::now_ms();
    for (std::size_t i = 0; i < tree.tree.size(); ++i)
        if (tree.sources[i])
            fetch_entry_icon(tree.tree[i], tree.sources[i]);  // each call lets the last icon go
    fetch_entry_icon("", 0);
    double icons = bench::now_ms() - start;

    release_old_menu(0);
    create_popup_menu(0);
    start = bench::now_ms();
    carry_out_items(plan_start_menu(tree.tree));
    double items = bench::now_ms() - start;

    start = bench::now_ms();
    for (int i = 0; i < entries; ++i)
        make_entry_bitmap();
    release_entry_bitmaps();
    double bitmaps = bench::now_ms() - start;

    // Icons rendered into their bitmaps, as the build does it, without the menu.
    start = bench::now_ms();
    for (std::size_t i = 0; i < tree.tree.size(); ++i) {
        if (tree.sources[i]) {
            fetch_entry_icon(tree.tree[i], tree.sources[i]);
            make_entry_bitmap();
        }
    }
    release_entry_bitmaps();
    double rendered = bench::now_ms() - start;

    start = bench::now_ms();
    make_folder_bitmap();
    attach_folder_bitmaps();
    double folders = bench::now_ms() - start;

    double total = full_rebuild(tree, roots);

    start = bench::now_ms();
    programs_tree scanned = build_programs_tree(platform_file_system(), roots);
    double scan = bench::now_ms() - start;
    double whole = scan + full_rebuild(scanned, roots);
    if (scanned.launch != tree.launch)
        std::fprintf(stderr, "rebuild_bench: the scan of %d entries found %zu\n", entries,
                     scanned.launch.size());

    report("icons", entries, icons, "ms");
    report("icon_per_entry", entries, icons * 1000.0 / entries, "us");
    report("menu_items", entries, items, "ms");
    report("entry_bitmaps", entries, bitmaps, "ms");
    report("icons_into_bitmaps", entries, rendered, "ms");
    report("folder_bitmaps", entries, folders, "ms");
    report("menu_build_total", entries, total, "ms");
    report("menu_build_per_entry", entries, total * 1000.0 / entries, "us");
    report("catalogue_scan", entries, scan, "ms");
    report("rebuild_whole", entries, whole, "ms");
    report("live_images", entries, live_image_count(), "images");
    return {total, whole};
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    init_menu_library();
    init_image_library();
    reset_menu_publication();

    std::string base = test::make_temp_folder("rebuild_bench");
    std::string template_path = base + "template.lnk";
    if (base.empty() ||
        !test::create_shortcut(template_path, test::fixture_path("record_launch.exe"), "", "")) {
        std::fprintf(stderr, "cannot make the shortcut files\n");
        return 1;
    }
    std::string shortcut = test::read_file(template_path);

    totals small = run(base, 1000, shortcut);
    totals large = run(base, 10000, shortcut);
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    bench::report("menu_build_ratio_10000_to_1000", ratio(large.menu_build, small.menu_build), "ratio", 2);
    bench::report("rebuild_whole_ratio_10000_to_1000", ratio(large.whole, small.whole), "ratio", 2);

    release_entry_bitmaps();
    free_menu(0);
    free_all_images();
    test::remove_tree(base);
    CoUninitialize();
    return 0;
}
