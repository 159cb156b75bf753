// What opening a start-menu entry costs: run_program for a program (through CreateProcessW) and
// for a shortcut (CreateProcessW refuses it, then the shell opens it), both until run_program
// returns and until the started program has written its log line. Also the small services the
// about window and start-up use: format_date and os_version.

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tests/support/test_support.h"
#include "toolkit/date.h"
#include "toolkit/process.h"

namespace {

std::size_t log_lines(const std::string& log)
{
    return test::read_lines(log).size();
}

// Opens file rounds times; each round waits until the log has one line more.
struct launch_times {
    double returned_ms;  // median time until run_program came back
    double started_ms;   // median time until the started program had written its line
    int failures;
};

launch_times measure_launches(const std::string& file, const std::string& parameters,
                              const std::string& log, int rounds)
{
    std::vector<double> returned;
    std::vector<double> started;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        const std::size_t before = log_lines(log);
        const double start = bench::now_ms();
        if (run_program(file.c_str(), parameters.c_str(), "", 0) == 0) {
            ++failures;
            continue;
        }
        returned.push_back(bench::now_ms() - start);
        if (!test::wait_until([&] { return log_lines(log) > before; }, 15000, 1)) {
            ++failures;
            continue;
        }
        started.push_back(bench::now_ms() - start);
    }
    return {bench::median(returned), bench::median(started), failures};
}

}  // namespace

int main()
{
    CoInitialize(nullptr);

    const std::string folder = test::make_temp_folder("process_bench");
    const std::string program = folder + "record_launch.exe";
    const std::string log = folder + "launch.log";
    const std::string link = folder + "Protokoll.lnk";
    if (folder.empty() || !CopyFileA(test::fixture_path("record_launch.exe").c_str(), program.c_str(), FALSE) ||
        !test::create_shortcut(link, program, "\"" + log + "\"", "")) {
        std::fprintf(stderr, "process_bench: could not prepare %s\n", folder.c_str());
        return 1;
    }

    constexpr int rounds = 15;
    measure_launches(program, "\"" + log + "\"", log, 1);  // the first start loads more
    const launch_times direct = measure_launches(program, "\"" + log + "\"", log, rounds);
    const launch_times shell = measure_launches(link, "", log, rounds);
    bench::report("run_program program: returned (median)", direct.returned_ms, "ms", 3);
    bench::report("run_program program: started (median)", direct.started_ms, "ms", 3);
    bench::report("run_program shortcut: returned (median)", shell.returned_ms, "ms", 3);
    bench::report("run_program shortcut: started (median)", shell.started_ms, "ms", 3);

    constexpr int date_rounds = 200000;
    std::size_t length = 0;
    double start = bench::now_ms();
    for (int i = 0; i < date_rounds; ++i)
        length += format_date("%hh:%ii:%ss Uhr - %dd.%mm.%yyyy", 1248638603 + i).size();
    const double per_call_ns = (bench::now_ms() - start) * 1e6 / date_rounds;
    bench::report("format_date about-window mask", per_call_ns, "ns/call", 3);

    constexpr int version_rounds = 2000;
    int32_t code = 0;
    start = bench::now_ms();
    for (int i = 0; i < version_rounds; ++i)
        code |= os_version();
    bench::report("os_version", (bench::now_ms() - start) * 1e3 / version_rounds, "us/call", 3);

    test::pump_messages(200);
    test::remove_tree(folder);
    const int failures = direct.failures + shell.failures;
    if (failures || length == 0 || code == 0) {
        std::fprintf(stderr, "process_bench: %d launches failed\n", failures);
        return 1;
    }
    return 0;
}
