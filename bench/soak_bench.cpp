// Velmora over time. Two figures of growth:
//   - the long run: Velmora.exe idle beside the fake taskbar for 10 minutes, its private memory
//     and open handles at the start and at the end (a sample every minute is printed on the way);
//     under Wine the memory is the resident anonymous memory of the Linux process;
//   - 200 rebuilds: the recording build, whose watcher looks every 20 ms, while a shortcut comes
//     and goes below the Programs folder; the live images (entry pictures among them), GDI objects
//     and start menus it logs after an early rebuild and after the last one, on the same tree, its
//     memory and handles before and after, and its questions to the shell: only the shortcut that
//     comes is asked about, the others keep their pictures.
// Environment: VELMORA_LONG_RUN_SECONDS sets the length of the long run (default 600);
// VELMORA_SKIP_LONG_RUN=1 leaves it out, for quick runs (the figures then say so).

#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace {

// What a process holds: its private memory and its open handles; -1 where they cannot be read.
// Wine answers GetProcessMemoryInfo and GetProcessHandleCount for another process with zeros, so
// the memory is the resident anonymous memory of the Linux process that runs it (found through
// Wine's Z: drive by program_name in its command line), and the handles are counted by
// duplicating each possible handle value of the process.
struct process_load {
    double private_kib = -1;
    long handles = -1;
};


double resident_anonymous_kib(const std::string& status_path)
{
    for (const std::string& line : test::read_lines(status_path)) {
        unsigned long kib = 0;
        if (std::sscanf(line.c_str(), "RssAnon: %lu kB", &kib) == 1)
            return static_cast<double>(kib);
    }
    return -1;
}

long count_handles(HANDLE process)
{
    constexpr uintptr_t highest_probed = 0x20000;
    long count = 0;
    for (uintptr_t value = 4; value <= highest_probed; value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0,
                            FALSE, DUPLICATE_SAME_ACCESS)) {
            CloseHandle(copy);
            ++count;
        }
    }
    return count;
}

process_load measure_process(HANDLE process, const char* program_name)
{
    process_load load;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory) &&
        memory.PrivateUsage)
        load.private_kib = static_cast<double>(memory.PrivateUsage) / 1024.0;
    else
        load.private_kib = resident_anonymous_kib(bench::linux_process_file(program_name, "status"));
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles) && handles)
        load.handles = static_cast<long>(handles);
    else
        load.handles = count_handles(process);
    return load;
}

constexpr int rebuilds = 200;
constexpr DWORD default_long_run_s = 600;
constexpr DWORD sample_every_s = 60;

void report_text(const char* name, const char* text)
{
    std::printf("BENCH\t%s\t%s\t-\n", name, text);
    std::fflush(stdout);
}

DWORD environment_number(const char* name, DWORD fallback)
{
    char value[32] = {};
    if (!GetEnvironmentVariableA(name, value, sizeof value))
        return fallback;
    return static_cast<DWORD>(std::strtoul(value, nullptr, 10));
}

void report_growth(const char* what, const process_load& start, const process_load& end)
{
    std::string prefix = what;
    bench::report((prefix + ": private memory at start").c_str(), start.private_kib, "KiB");
    bench::report((prefix + ": private memory at end").c_str(), end.private_kib, "KiB");
    bench::report((prefix + ": private memory growth").c_str(), end.private_kib - start.private_kib, "KiB");
    bench::report((prefix + ": handles at start").c_str(), start.handles, "handles");
    bench::report((prefix + ": handles at end").c_str(), end.handles, "handles");
    bench::report((prefix + ": handle growth").c_str(), end.handles - start.handles, "handles");
}

bool long_run(DWORD seconds)
{
    test::velmora_session session;
    if (!test::start_fake_shell(session) || !test::start_velmora(session, "Velmora.exe")) {
        std::fprintf(stderr, "soak_bench: could not start Velmora\n");
        test::end_session(session);
        return false;
    }
    Sleep(10000);  // past start-up and the first menu build
    process_load start = measure_process(session.velmora.process, "Velmora.exe");
    std::printf("long run: %lu s idle; t=0 s private=%.0f KiB handles=%ld\n",
                static_cast<unsigned long>(seconds), start.private_kib, start.handles);
    for (DWORD elapsed = 0; elapsed < seconds;) {
        DWORD step = seconds - elapsed < sample_every_s ? seconds - elapsed : sample_every_s;
        Sleep(step * 1000);
        elapsed += step;
        process_load now = measure_process(session.velmora.process, "Velmora.exe");
        std::printf("long run: t=%lu s private=%.0f KiB handles=%ld\n",
                    static_cast<unsigned long>(elapsed), now.private_kib, now.handles);
        std::fflush(stdout);
    }
    process_load end = measure_process(session.velmora.process, "Velmora.exe");
    bool alive = WaitForSingleObject(session.velmora.process, 0) == WAIT_TIMEOUT;
    long code = test::close_velmora(session);
    test::end_session(session);

    bench::report("long run: duration", seconds, "s");
    report_growth("long run", start, end);
    if (!alive || code != 0) {
        std::fprintf(stderr, "soak_bench: Velmora %s during the long run (exit code %ld)\n",
                     alive ? "did not end cleanly" : "ended", code);
        return false;
    }
    return true;
}

bool two_hundred_rebuilds()
{
    std::string parking = test::make_temp_folder("velmora_soak");
    test::clear_programs_folders();
    const std::string user = test::programs_folder(CSIDL_STARTMENU);
    const std::string target = test::fixture_path("record_launch.exe");
    bool made = true;
    for (const char* name : {"Birne", "Dattel", "Kirsche"})
        made = made && test::create_shortcut(user + name + ".lnk", target, "", "");
    bench::coming_and_going coming;
    made = made && bench::prepare_coming_and_going(&coming, parking, user + "Apfel.lnk", target, "");

    test::velmora_session session;
    test::start_options quick;
    quick.watch_interval_ms = 20;
    bool started = made && test::start_fake_shell(session) &&
                   test::start_velmora(session, "velmora_recording.exe", quick);
    const std::string& log = session.record_log;
    bool ok = started && test::wait_for_lines(log, "rebuild end", 1, 30000);

    // Rebuild 2 shows the coming shortcut, as does rebuild 200: the early figure to compare with.
    process_load before;
    double start_ms = 0;
    if (ok) {
        ok = bench::drive_rebuilds(coming, log, 1, 30000);
        before = measure_process(session.velmora.process, "velmora_recording.exe");
        start_ms = GetTickCount();
        ok = ok && bench::drive_rebuilds(coming, log, rebuilds - 2, 30000);
    }
    double spent_ms = GetTickCount() - start_ms;
    process_load after = measure_process(session.velmora.process, "velmora_recording.exe");
    std::vector<test::live_resources> resources = test::logged_resources(log);
    ok = ok && resources.size() == static_cast<size_t>(rebuilds);
    const int questions = test::count_lines(log, "shell asked");
    long code = started ? test::close_velmora(session) : -1;
    test::end_session(session);
    test::clear_programs_folders();
    test::remove_tree(parking);
    if (!ok || code != 0) {
        std::fprintf(stderr, "soak_bench: the 200 rebuilds did not run through (%zu logged, exit code %ld)\n",
                     resources.size(), code);
        return false;
    }

    const test::live_resources& early = resources[1];
    const test::live_resources& last = resources[rebuilds - 1];
    bench::report("200 rebuilds: live images after rebuild 2", early.images, "images");
    bench::report("200 rebuilds: live images after rebuild 200", last.images, "images");
    bench::report("200 rebuilds: live GDI objects after rebuild 2", early.gdi, "objects");
    bench::report("200 rebuilds: live GDI objects after rebuild 200", last.gdi, "objects");
    bench::report("200 rebuilds: start menus alive after rebuild 2", early.menus, "menus");
    bench::report("200 rebuilds: start menus alive after rebuild 200", last.menus, "menus");
    bench::report("200 rebuilds: mean time per rebuild cycle", spent_ms / (rebuilds - 2), "ms");
    bench::report("200 rebuilds: questions to the shell per rebuild", static_cast<double>(questions) / rebuilds,
                  "questions", 2);
    report_growth("200 rebuilds", before, after);
    return true;
}

}  // namespace

int main()
{
    CoInitialize(nullptr);
    bool ok = two_hundred_rebuilds();
    if (environment_number("VELMORA_SKIP_LONG_RUN", 0)) {
        std::printf("long run skipped (VELMORA_SKIP_LONG_RUN is set)\n");
        report_text("long run: duration", "skipped");
    } else {
        ok = long_run(environment_number("VELMORA_LONG_RUN_SECONDS", default_long_run_s)) && ok;
    }
    CoUninitialize();
    return ok ? 0 : 1;
}
