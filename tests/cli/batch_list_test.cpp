#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "cli/batch_list.hpp"

namespace ts {
namespace {

// A stream of `size` bytes that repeat `pattern`, made as it is read, that
// counts how much was taken from it.
class EndlessInput final : public std::streambuf {
public:
    EndlessInput(std::string pattern, std::size_t size) : pattern_(std::move(pattern)), left_(size) {}
    std::size_t taken() const { return taken_; }

protected:
    int_type underflow() override {
        if (left_ == 0) return traits_type::eof();
        const std::size_t n = std::min(buffer_.size(), left_);
        for (std::size_t k = 0; k < n; ++k) buffer_[k] = pattern_[(taken_ + k) % pattern_.size()];
        taken_ += n;
        left_ -= n;
        setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
        return traits_type::to_int_type(buffer_[0]);
    }

private:
    std::string pattern_;
    std::size_t left_;
    std::size_t taken_ = 0;
    std::array<char, 4096> buffer_{};
};

struct Line {
    std::string text;
    std::string problem;  // part of the refusal; empty when taken
};

std::vector<Line> linesOf(const std::string& list) {
    std::istringstream in(list);
    const BatchList read = readBatchList(in);
    EXPECT_FALSE(read.tooManyLines);
    EXPECT_FALSE(read.readFailed);
    std::vector<Line> lines;
    for (const BatchLine& line : read.lines) lines.push_back({line.text, line.checked ? "" : line.checked.message});
    return lines;
}

TEST(ReadBatchList, SplitsLinesKeepingBlankOnesAndDroppingCrAndTheMark) {
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        std::string list;
        std::vector<std::string> texts;
    } const cases[] = {
        {"", {}},
        {"\n", {""}},
        {"one", {"one"}},
        {"one\n", {"one"}},
        {"one\ntwo", {"one", "two"}},
        {"one\n\nthree\n\n", {"one", "", "three", ""}},
        {"crlf\r\nlf\n", {"crlf", "lf"}},
        {bom + "marked\n" + bom + "kept on line 2\n", {"marked", bom + "kept on line 2"}},
        {bom, {""}},
        {bom + "\r\n", {""}},
        {"Zażółć gęślą jaźń\n  spaces kept  \n", {"Zażółć gęślą jaźń", "  spaces kept  "}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> texts;
        for (const Line& line : linesOf(c.list)) {
            EXPECT_EQ(line.problem, "") << line.text;
            texts.push_back(line.text);
        }
        EXPECT_EQ(texts, c.texts) << ::testing::PrintToString(c.list);
    }
    // A carriage return not before a line feed stays in its line's text,
    // which is then refused as holding a control character.
    const std::vector<Line> bare = linesOf("crlf\r\nbare cr\r\rstays\r\n");
    ASSERT_EQ(bare.size(), 2u);
    EXPECT_EQ(bare[1].text, "bare cr\r\rstays");
    EXPECT_EQ(bare[1].problem, "the text has a control character (U+000D) at position 8");
}

TEST(ReadBatchList, RefusesBadLinesOneByOne) {
    const std::string longLine(1 << 20, 'x');  // a mebibyte in one line
    const std::vector<Line> lines = linesOf("good\n" + std::string(101, 'a') + "\n\xff\xfe\n" + longLine + "\r\n" +
                                            std::string(100, 'b') + "\n" + std::string(kMaxTextBytes + 10, 'c'));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].problem, "");
    EXPECT_NE(lines[1].problem.find("the text has 101 characters"), std::string::npos) << lines[1].problem;
    EXPECT_NE(lines[2].problem.find("not valid UTF-8"), std::string::npos) << lines[2].problem;
    EXPECT_NE(lines[3].problem.find("the text has more than 100 characters"), std::string::npos) << lines[3].problem;
    EXPECT_EQ(lines[3].text, "") << "the long line is not kept";
    EXPECT_EQ(lines[4].problem, "") << "the line after a long one is whole";
    EXPECT_EQ(lines[4].text, std::string(100, 'b'));
    EXPECT_NE(lines[5].problem.find("more than 100 characters"), std::string::npos) << lines[5].problem;
}

TEST(ReadBatchList, ReadsALongLinePastItsCapWithoutKeepingIt) {
    EndlessInput source("y", std::size_t{64} << 20);  // 64 MiB with no line break
    std::istream in(&source);
    const BatchList list = readBatchList(in);
    EXPECT_EQ(source.taken(), std::size_t{64} << 20);
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_FALSE(list.lines[0].checked);
    EXPECT_LE(list.lines[0].text.capacity(), 1024u);
}

TEST(ReadBatchList, StopsAtTheLineLimit) {
    EndlessInput exact("a\n", 2 * kMaxBatchLines);
    std::istream exactIn(&exact);
    const BatchList full = readBatchList(exactIn);
    EXPECT_FALSE(full.tooManyLines);
    EXPECT_EQ(full.lines.size(), kMaxBatchLines);

    for (const std::size_t extra : {std::size_t{1}, std::size_t{2}, std::size_t{2} << 20}) {
        EndlessInput more("a\n", 2 * kMaxBatchLines + extra);
        std::istream in(&more);
        const BatchList list = readBatchList(in);
        EXPECT_TRUE(list.tooManyLines) << extra;
        EXPECT_LE(list.lines.size(), kMaxBatchLines);
        EXPECT_LE(more.taken(), 2 * kMaxBatchLines + 8192) << "reading stops at the limit";
    }
}

// A stream that gives some lines, then fails as a file's buffer does on a
// read error (a folder opened as a file, an I/O error): it throws, with the
// errno `error` when that is not 0.
class FailingInput final : public std::streambuf {
public:
    explicit FailingInput(std::string start, int error = 0) : start_(std::move(start)), error_(error) {
        setg(start_.data(), start_.data(), start_.data() + start_.size());
    }

protected:
    int_type underflow() override {
        if (error_ != 0) throw std::system_error(error_, std::system_category());
        throw std::ios_base::failure("read error");
    }

private:
    std::string start_;
    int error_;
};

TEST(ReadBatchList, ReportsAStreamThatFailsAndWhy) {
    struct Case {
        int error;
        std::string why;
    } const cases[] = {{0, "a read error"}, {EISDIR, std::strerror(EISDIR)}, {EIO, std::strerror(EIO)}};
    for (const Case& c : cases) {
        FailingInput source("one\ntwo\n", c.error);
        std::istream failing(&source);
        const BatchList list = readBatchList(failing);
        EXPECT_TRUE(list.readFailed) << c.why;
        EXPECT_EQ(list.readError, c.why);
        EXPECT_TRUE(failing.bad());
    }

    std::istringstream alreadyBad("one\ntwo\n");
    alreadyBad.setstate(std::ios::badbit);
    EXPECT_TRUE(readBatchList(alreadyBad).readFailed);

    std::istringstream fine("one\ntwo\n");
    EXPECT_FALSE(readBatchList(fine).readFailed);
}

TEST(ReadTextInput, AStreamThatFailsIsAFailureThatSaysWhy) {
    struct Case {
        int error;
        std::string why;
    } const cases[] = {{0, "a read error"}, {EISDIR, std::strerror(EISDIR)}, {EBADF, std::strerror(EBADF)}};
    for (const Case& c : cases) {
        FailingInput source("hello", c.error);
        std::istream failing(&source);
        std::string text = "untouched";
        const Outcome read = readTextInput(failing, text);
        EXPECT_EQ(read.failure, Failure::Refused);
        EXPECT_EQ(read.message, "Could not read standard input: " + c.why);
        EXPECT_EQ(text, "untouched");
    }
    std::istringstream alreadyBad("hello");
    alreadyBad.setstate(std::ios::badbit);
    std::string text;
    EXPECT_EQ(readTextInput(alreadyBad, text).message, "Could not read standard input: a read error");
}

// Standard input as the program reads it: a folder (`< folder`) and a
// descriptor not open for reading (as `<&-` leaves it) are failures with
// their reason; a pipe, one that does not block too, is read to its end.
TEST(DescriptorInput, AFailedReadIsAFailureAndAPipeIsReadWhole) {
    const int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int writeOnly = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    ASSERT_GE(writeOnly, 0);
    for (const auto& [fd, why] : {std::pair{folder, std::strerror(EISDIR)}, {writeOnly, std::strerror(EBADF)}}) {
        DescriptorInput text(fd), list(fd);
        std::istream textIn(&text), listIn(&list);
        std::string read;
        EXPECT_EQ(readTextInput(textIn, read).message, std::string("Could not read standard input: ") + why);
        const BatchList lines = readBatchList(listIn);
        EXPECT_TRUE(lines.readFailed);
        EXPECT_EQ(lines.readError, why);
    }
    ::close(folder);
    ::close(writeOnly);

    for (const bool blocking : {true, false}) {
        int ends[2];
        ASSERT_EQ(::pipe2(ends, O_CLOEXEC | (blocking ? 0 : O_NONBLOCK)), 0);
        std::thread writer([&] {
            for (const char* part : {"one\n", "two\n", "three"}) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                EXPECT_GT(::write(ends[1], part, std::strlen(part)), 0);
            }
            ::close(ends[1]);
        });
        DescriptorInput input(ends[0]);
        std::istream in(&input);
        const BatchList list = readBatchList(in);
        writer.join();
        ::close(ends[0]);
        EXPECT_FALSE(list.readFailed) << list.readError;
        ASSERT_EQ(list.lines.size(), 3u) << (blocking ? "blocking" : "not blocking");
        EXPECT_EQ(list.lines[2].text, "three");
    }
}

TEST(ReadTextInput, DropsTheMarkAndOneLineBreakAndChecksTheText) {
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        std::string input, text;
    } const cases[] = {
        {"héllo\n", "héllo"},
        {"crlf\r\n", "crlf"},
        {"bare", "bare"},
        {"\n", ""},
        {"", ""},
        {bom + "Hello, Textscape\n", "Hello, Textscape"},
        {bom + bom + "x", bom + "x"},
        {bom + std::string(100, 'z') + "\r\n", std::string(100, 'z')},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.input);
        std::string text = "untouched";
        const Outcome read = readTextInput(in, text);
        ASSERT_TRUE(read) << ::testing::PrintToString(c.input) << ": " << read.message;
        EXPECT_EQ(text, c.text) << ::testing::PrintToString(c.input);
    }
    // Only one line break is dropped: a second is a control character.
    std::istringstream two("two\n\n");
    std::string second = "untouched";
    EXPECT_EQ(readTextInput(two, second).message, "the text has a control character (U+000A) at position 4");
    EXPECT_EQ(second, "untouched");
    // A text that is refused leaves `text` alone.
    std::istringstream bad("\xC4\xC4\n");
    std::string kept = "untouched";
    const Outcome refused = readTextInput(bad, kept);
    EXPECT_NE(refused.message.find("not valid UTF-8"), std::string::npos) << refused.message;
    EXPECT_EQ(kept, "untouched");

    // The longest text in four-byte characters, with every extra allowed.
    std::string widest;
    for (int k = 0; k < 100; ++k) widest += "\xF0\x9F\x8C\x8A";  // U+1F30A
    std::istringstream in(bom + widest + "\r\n");
    std::string text;
    ASSERT_TRUE(readTextInput(in, text));
    EXPECT_EQ(text, widest);
}

TEST(ReadTextInput, StopsReadingOnceTheTextIsKnownTooLong) {
    struct Case {
        std::string pattern;
        std::size_t size;
        const char* inMessage;
    } const cases[] = {
        {"y\n", std::size_t{100} << 20, "more than 100 characters"},  // `yes`, 100 MiB of it
        {"\xF0\x9F\x8C\x8A", std::size_t{401} * 4, "more than 100 characters"},
        {"x", 101, "the text has 101 characters"},
        {"x", 102, "the text has 102 characters"},
    };
    for (const Case& c : cases) {
        EndlessInput source(c.pattern, c.size);
        std::istream in(&source);
        std::string text;
        const Outcome read = readTextInput(in, text);
        EXPECT_FALSE(read);
        EXPECT_EQ(read.failure, Failure::Refused);
        EXPECT_NE(read.message.find(c.inMessage), std::string::npos) << read.message;
        EXPECT_LE(source.taken(), std::size_t{8192}) << "read no more than it needs";
    }
}

}  // namespace
}  // namespace ts
