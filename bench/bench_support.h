#pragma once
// What every benchmark needs: a millisecond clock, a median, and the result line that
// scripts/bench.sh gathers ("BENCH<TAB>name<TAB>value<TAB>unit").

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

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

}  // namespace bench
