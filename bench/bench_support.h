#pragma once
// What every benchmark needs: a millisecond clock, a median, and the result line that
// scripts/bench.sh gathers ("BENCH<TAB>name<TAB>value<TAB>unit").

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace bench {

inline double now_ms()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// 0 for no values.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Flushed at once: a benchmark that fails later keeps the figures it has printed.
inline void report(const char* name, double value, const char* unit, int decimals = 1)
{
    std::printf("BENCH\t%s\t%.*f\t%s\n", name, decimals, value, unit);
    std::fflush(stdout);
}

// Under Wine: the path of one file ("stat", "status"...) in the /proc folder of the Linux process of
// this prefix whose command line holds name; "" when there is none. Wine answers several questions
// about another process with zeros; Linux has the figures.
inline std::string linux_process_file(const char* name, const char* file)
{
    char prefix[MAX_PATH * 2] = {};
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix))
        return "";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return "";
    std::string result;
    do {
        std::string pid = found.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string folder = "Z:\\proc\\" + pid + "\\";
        if (test::read_file(folder + "cmdline").find(name) == std::string::npos)
            continue;
        if (test::read_file(folder + "environ").find(std::string("WINEPREFIX=") + prefix + '\0') ==
            std::string::npos)
            continue;
        result = folder + file;
        break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return result;
}

}  // namespace bench
