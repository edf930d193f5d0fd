#pragma once

#include <sys/resource.h>

#include <csignal>

namespace ts::testing {

// Lets this process write files no larger than `bytes`, as a nearly full
// disk would, for as long as it lives. A write past the limit fails with
// EFBIG, since SIGXFSZ is ignored meanwhile. Not for starting a program
// under: it would inherit the ignored signal, and a test would never see
// the death by SIGXFSZ the program meets in a shell under `ulimit -f`; set
// the limit in the child, with SIGXFSZ at its default, instead
// (tests/cli/render_program_test.cpp's startProgram does).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*old_)(int) = nullptr;
};

}  // namespace ts::testing
