// From starting the program to its first start menu on offer, with no entries (what start-up costs
// by itself), 200, 1,000 and 10,000 entries of 20 different icons: the time from creating the
// process to the recording build's first menu handed over, the plain one where one comes first,
// and to its first "rebuild end", the pictured one, and within each start the first over the
// second (medians of 3 starts). Beside it what starting any program costs under Wine here: a small
// program that writes one line and ends (median of 5), so that the program's own share shows.

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace {

double wine_process_start(const std::string& folder)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        const double start = bench::now_ms();
        test::child_process child =
            test::start_process("\"" + test::fixture_path("record_launch.exe") + "\" \"" + folder + "started.log\"");
        test::wait_exit(child, 30000);
        times.push_back(bench::now_ms() - start);
        test::end_process(child);
    }
    return bench::median(times);
}

// Milliseconds from the start to the first menu on offer and to the pictured one, and the first
// over the second; zeros when they did not come.
struct first_menus {
    double first = 0, pictured = 0, ratio = 0;
};
first_menus start_to_first_menus(test::velmora_session& session)
{
    std::vector<double> first, pictured, ratio;
    for (int i = 0; i < 3; ++i) {
        const double start = bench::now_ms();
        double first_at = 0;
        if (!test::start_velmora(session, "velmora_recording.exe") || !test::wait_until([&] {
                const bool plain = test::count_lines(session.record_log, "plain menu handed over") > 0;
                const bool whole = test::count_lines(session.record_log, "rebuild end") > 0;
                if ((plain || whole) && first_at == 0)
                    first_at = bench::now_ms();
                return whole;
            }, 600000, 5))
            return {};
        pictured.push_back(bench::now_ms() - start);
        first.push_back(first_at - start);
        ratio.push_back(first.back() / pictured.back());
        test::close_velmora(session);
    }
    return {bench::median(first), bench::median(pictured), bench::median(ratio)};
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    const std::string folder = test::make_temp_folder("startup_bench");
    const std::vector<std::string> templates = bench::shortcut_templates(folder);
    test::velmora_session session;
    if (templates.empty() || !test::start_fake_shell(session)) {
        std::fprintf(stderr, "startup_bench: cannot set up\n");
        return 1;
    }
    const double wine = wine_process_start(folder);
    bench::report("wine_process_start", wine, "ms");
    for (int entries : {0, 200, 1000, 10000}) {
        bench::fill_programs(entries, templates);
        const first_menus menus = start_to_first_menus(session);
        const std::string size = std::to_string(entries);
        bench::report(("start_to_first_menu_" + size).c_str(), menus.first, "ms");
        bench::report(("start_to_first_menu_beyond_process_start_" + size).c_str(), menus.first - wine, "ms");
        bench::report(("start_to_pictured_menu_" + size).c_str(), menus.pictured, "ms");
        bench::report(("start_first_to_pictured_menu_" + size).c_str(), menus.ratio, "ratio", 3);
    }
    test::end_session(session);
    test::clear_programs_folders();
    test::remove_tree(folder);
    return 0;
}
