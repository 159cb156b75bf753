// From starting the program to its first start menu on offer, with no entries (what start-up costs
// by itself), 200 and 1,000 entries of 20 different icons: the time from creating the process to the recording build's first "rebuild end"
// (medians of 3 starts). Beside it what starting any program costs under Wine here: a small
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

// Milliseconds from the start to the first menu on offer, or 0 when it did not come.
double start_to_first_menu(test::velmora_session& session)
{
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        const double start = bench::now_ms();
        if (!test::start_velmora(session, "velmora_recording.exe") ||
            !test::wait_until([&] { return test::count_lines(session.record_log, "rebuild end") > 0; }, 120000, 5))
            return 0;
        times.push_back(bench::now_ms() - start);
        test::close_velmora(session);
    }
    return bench::median(times);
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
    for (int entries : {0, 200, 1000}) {
        bench::fill_programs(entries, templates);
        const double first_menu = start_to_first_menu(session);
        const std::string size = std::to_string(entries);
        bench::report(("start_to_first_menu_" + size).c_str(), first_menu, "ms");
        bench::report(("start_to_first_menu_beyond_process_start_" + size).c_str(), first_menu - wine, "ms");
    }
    test::end_session(session);
    test::clear_programs_folders();
    test::remove_tree(folder);
    return 0;
}
