#pragma once
// A property that every input must keep; a broken one aborts, so libFuzzer saves the input.

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void fuzz_property_failed(const char* property, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, property);
    std::abort();
}

#define FUZZ_CHECK(property) \
    ((property) ? static_cast<void>(0) : fuzz_property_failed(#property, __FILE__, __LINE__))
