#pragma once

#include <cstdio>
#include <cstdlib>

// A finding: says what broke and aborts, and libFuzzer keeps the input that
// did it.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}
