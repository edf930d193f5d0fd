#pragma once

#include <cstdio>
#include <exception>
#include <new>

namespace ts {

// Runs a program's main body and turns what would otherwise end it with an
// abort (an allocation that fails, another exception nobody caught) into
// one line on `err` and exit status 1. `program` names the program in that
// line. Nothing is allocated on the way out.
template <typename Body>
int runGuarded(const char* program, Body&& body, std::FILE* err = stderr) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "%s: out of memory\n", program);
    } catch (const std::exception& e) {
        std::fprintf(err, "%s: %s\n", program, e.what());
    } catch (...) {
        std::fprintf(err, "%s: stopped by an unexpected error\n", program);
    }
    std::fflush(err);
    return 1;
}

}  // namespace ts
