// The catalogue's cost on a generated start menu: one watcher pass at 1,000, 10,000 and 50,000
// files, one tree build at 1,000 and 10,000 shortcuts (the most a menu takes), and how both grow
// (a ratio of about 10 from 1,000 to 10,000, and of 5 from 10,000 to 50,000, means linear).
//
// The tree lies in a temporary folder with a user root and an all-users root; every folder exists
// under both, 20 shortcuts each (half per root), grouped 20 folders to a group folder.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "catalogue/programs_tree.h"
#include "catalogue/start_menu_fs.h"
#include "tests/support/test_support.h"

namespace {

constexpr int shortcuts_per_folder = 20;
constexpr int folders_per_group = 20;
constexpr int repetitions = 7;

bool make_empty_file(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool generate(const programs_roots& roots, int shortcuts)
{
    char relative[128];
    for (int folder = 0; folder < shortcuts / shortcuts_per_folder; ++folder) {
        std::snprintf(relative, sizeof relative, "Programs\\Group %02d\\Application %03d\\",
                      folder / folders_per_group, folder);
        if (!test::make_folders(roots.user + relative) || !test::make_folders(roots.common + relative))
            return false;
        for (int i = 0; i < shortcuts_per_folder; ++i) {
            const std::string& root = i % 2 ? roots.user : roots.common;
            char name[64];
            std::snprintf(name, sizeof name, "Tool %02d.%s", i, i % 4 < 2 ? "lnk" : "url");
            if (!make_empty_file(root + relative + name))
                return false;
        }
    }
    return true;
}

template <typename Work>
double median_ms(Work work)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        double start = bench::now_ms();
        work();
        times.push_back(bench::now_ms() - start);
    }
    return bench::median(times);
}

struct figures {
    double pass_ms = 0;
    double build_ms = 0;
};

// The tree build is timed only where every shortcut fits into the menu.
bool measure(int shortcuts, figures* result)
{
    std::string folder = test::make_temp_folder("velmora_bench");
    if (folder.empty())
        return false;
    const programs_roots roots = {folder + "user\\", folder + "common\\"};
    bool made = generate(roots, shortcuts);
    const file_system_ops& fs = platform_file_system();
    bool right = false;
    const bool with_build = shortcuts <= max_menu_entries;
    if (made) {
        right = watcher_pass(fs, roots).file_count == shortcuts &&
                (!with_build ||
                 build_programs_tree(fs, roots).launch.size() == static_cast<std::size_t>(shortcuts));
        result->pass_ms = median_ms([&] { watcher_pass(fs, roots); });
        if (with_build)
            result->build_ms = median_ms([&] { build_programs_tree(fs, roots); });
    }
    test::remove_tree(folder);
    if (!made || !right)
        std::fprintf(stderr, "catalogue_bench: the generated tree of %d shortcuts %s\n", shortcuts,
                     made ? "was not read back whole" : "could not be made");
    return made && right;
}

}  // namespace

int main()
{
    figures small, large, largest;
    if (!measure(1000, &small) || !measure(10000, &large) || !measure(50000, &largest))
        return 1;
    bench::report("catalogue_watcher_pass_1000", small.pass_ms, "ms", 2);
    bench::report("catalogue_watcher_pass_10000", large.pass_ms, "ms", 2);
    bench::report("catalogue_watcher_pass_50000", largest.pass_ms, "ms", 2);
    bench::report("catalogue_tree_build_1000", small.build_ms, "ms", 2);
    bench::report("catalogue_tree_build_10000", large.build_ms, "ms", 2);
    bench::report("catalogue_watcher_pass_growth", large.pass_ms / small.pass_ms, "ratio", 2);
    bench::report("catalogue_watcher_pass_growth_10000_to_50000", largest.pass_ms / large.pass_ms, "ratio",
                  2);
    bench::report("catalogue_tree_build_growth", large.build_ms / small.build_ms, "ratio", 2);
    return 0;
}
