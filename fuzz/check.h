#pragma once

// The fuzz targets' assertion. A broken rule aborts, and libFuzzer keeps the
// input that broke it. Not assert(): the build defines NDEBUG.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (false)
