#pragma once
// A property that every input must keep; a broken one aborts, so libFuzzer saves the input.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(property)                                                                            \
    ((property) ? static_cast<void>(0)                                                                  \
                : (std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #property), \
                   std::abort()))
