#pragma once

#include <cstdio>
#include <cstdlib>

// A programming error: a condition that no input can break unless the code
// itself is wrong. It stops the program loudly in every build, with the
// place and what was expected, rather than going on with a wrong picture.
#define TS_CHECK(condition, what)                                                                       \
    do {                                                                                                \
        if (!(condition)) [[unlikely]] {                                                                \
            std::fprintf(stderr, "textscape: internal error at %s:%d: %s\n", __FILE__, __LINE__, what); \
            std::abort();                                                                               \
        }                                                                                               \
    } while (false)
