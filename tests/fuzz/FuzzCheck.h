#pragma once

#include <cstdio>
#include <cstdlib>

/// A property that must hold for every input. A broken one aborts, which libFuzzer reports as
/// a crash together with the input, and which fails the corpus replay.
inline void fuzzCheck(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}
