#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/main_guard.hpp"

namespace ts {
namespace {

// What runGuarded writes, read back from a temporary file.
std::string written(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
    return text;
}

TEST(RunGuarded, TurnsAFailedAllocationIntoOneLineAndStatusOne) {
    struct Case {
        std::function<int()> body;
        int status;
        std::string message;
    } const cases[] = {
        {[]() -> int { throw std::bad_alloc(); }, 1, "prog: out of memory\n"},
        {[]() -> int { throw std::runtime_error("it broke"); }, 1, "prog: it broke\n"},
        {[]() -> int { throw 42; }, 1, "prog: stopped by an unexpected error\n"},
        {[] { return 0; }, 0, ""},
        {[] { return 2; }, 2, ""},
    };
    for (const Case& c : cases) {
        std::FILE* err = std::tmpfile();
        ASSERT_NE(err, nullptr);
        EXPECT_EQ(runGuarded("prog", c.body, err), c.status) << c.message;
        EXPECT_EQ(written(err), c.message);
        std::fclose(err);
    }
}

}  // namespace
}  // namespace ts
