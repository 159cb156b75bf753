// What Velmora costs while it waits: the CPU time of the program and of the Wine server over 20 s
// of idling beside the fake taskbar, against a process that only sleeps. Wine answers
// GetProcessTimes for another process with zeros, so every figure is read, where it can be, from
// the Linux process behind it (through Wine's Z: drive), in steps of 10 ms.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace {

constexpr DWORD idle_ms = 20000;

double process_cpu_ms(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user))
        return -1;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}


double linux_cpu_ms(const std::string& stat_path)
{
    std::string stat = test::read_file(stat_path);
    size_t close = stat.rfind(')');
    if (stat_path.empty() || close == std::string::npos)
        return -1;
    // After the command name come the fields from 3 (state) on; utime and stime are 14 and 15,
    // in clock ticks of 1/100 s.
    std::vector<unsigned long long> fields;
    const char* p = stat.c_str() + close + 1;
    while (*p) {
        char* end = nullptr;
        while (*p == ' ')
            ++p;
        fields.push_back(std::strtoull(p, &end, 10));
        if (end == p)  // the state letter
            ++end;
        p = end;
    }
    if (fields.size() < 13)
        return -1;
    return static_cast<double>(fields[11] + fields[12]) * 10.0;
}

}  // namespace

int main()
{
    std::string server = bench::linux_process_file("wineserver", "stat");
    if (server.empty())
        std::printf("wineserver not found through Z:\\proc; its figures are left out\n");

    // A process that only sleeps, as the baseline of what waiting costs here.
    std::string folder = test::make_temp_folder("velmora_idle");
    test::child_process sleeper = test::start_process(
        "\"" + test::fixture_path("record_launch.exe") + "\" \"" + folder + "sleeper.log\" sleep=" +
        std::to_string(idle_ms + 5000));
    Sleep(1000);
    const std::string sleeper_stat = bench::linux_process_file("record_launch.exe", "stat");
    auto sleeper_cpu_now = [&] {
        return sleeper_stat.empty() ? process_cpu_ms(sleeper.process) : linux_cpu_ms(sleeper_stat);
    };
    double sleeper_start = sleeper_cpu_now();
    double server_start = linux_cpu_ms(server);
    Sleep(idle_ms);
    double sleeper_cpu = sleeper_cpu_now() - sleeper_start;
    double server_with_sleeper = linux_cpu_ms(server) - server_start;
    test::end_process(sleeper);

    test::velmora_session session;
    if (!test::start_fake_shell(session) || !test::start_velmora(session, "Velmora.exe")) {
        std::printf("could not start Velmora\n");
        return 1;
    }
    Sleep(6000);  // past start-up and the first menu build
    const std::string velmora_stat = bench::linux_process_file("Velmora.exe", "stat");
    auto velmora_cpu_now = [&] {
        return velmora_stat.empty() ? process_cpu_ms(session.velmora.process) : linux_cpu_ms(velmora_stat);
    };
    double velmora_start = velmora_cpu_now();
    server_start = linux_cpu_ms(server);
    Sleep(idle_ms);
    double velmora_cpu = velmora_cpu_now() - velmora_start;
    double server_with_velmora = linux_cpu_ms(server) - server_start;
    test::end_session(session);
    test::remove_tree(folder);

    bench::report("idle 20 s: Velmora CPU", velmora_cpu, "ms");
    bench::report("idle 20 s: sleeping process CPU", sleeper_cpu, "ms");
    bench::report("idle 20 s: Velmora CPU share of one core", velmora_cpu / idle_ms * 100.0, "%");
    if (!server.empty()) {
        bench::report("idle 20 s: wineserver CPU beside Velmora", server_with_velmora, "ms");
        bench::report("idle 20 s: wineserver CPU beside the sleeper", server_with_sleeper, "ms");
    }
    return 0;
}
