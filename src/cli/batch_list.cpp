#include "cli/batch_list.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <istream>
#include <streambuf>
#include <string_view>
#include <system_error>

#include "seed/read_text_seed.hpp"

namespace ts {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A mark, the longest text and a line break ("\r\n"); one byte more is too long.
constexpr std::size_t kMaxInputBytes = kByteOrderMark.size() + kMaxTextBytes + 2;

Outcome tooLong() {
    return Outcome::failed(Failure::Refused, "the text has more than " + std::to_string(kMaxTextLength) +
                                                 " characters; at most " + std::to_string(kMaxTextLength) +
                                                 " are allowed");
}

void dropByteOrderMark(std::string& text) {
    if (text.starts_with(kByteOrderMark)) text.erase(0, kByteOrderMark.size());
}

// Why a stream's buffer failed, from what it threw.
std::string readErrorOf(std::exception_ptr thrown) {
    try {
        std::rethrow_exception(thrown);
    } catch (const std::system_error& e) {
        if (e.code().category() == std::system_category() || e.code().category() == std::generic_category())
            return e.code().message();
    } catch (...) {}
    return "a read error";
}

}  // namespace

DescriptorInput::int_type DescriptorInput::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
        if (n > 0) {
            setg(buffer_, buffer_, buffer_ + n);
            return traits_type::to_int_type(*gptr());
        }
        if (n == 0) return traits_type::eof();
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd ready{fd_, POLLIN, 0};
            (void)::poll(&ready, 1, -1);
            continue;
        }
        throw std::system_error(errno, std::system_category());
    }
}

BatchList readBatchList(std::istream& in) {
    BatchList list;
    std::string line;
    bool overflowed = false, any = false;
    const auto finishLine = [&] {
        BatchLine done;
        if (list.lines.empty()) dropByteOrderMark(line);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A line past the cap is refused unread; a shorter one is checked
        // (its characters are counted for the message).
        done.checked = overflowed ? tooLong() : checkText(line);
        // A taken text is kept as it is drawn and recorded, in NFC, so that
        // its file and index row are found again for any spelling of it.
        if (!overflowed) done.text = done.checked ? normaliseText(std::move(line)) : std::move(line);
        list.lines.push_back(std::move(done));
        line.clear();
        overflowed = false;
        any = false;
    };

    // Straight from the stream's buffer: a long line is read past quickly.
    // A buffer that fails throws (as a file's does on a read error) or
    // ends early; either is a failed read.
    std::streambuf* buffer = in.rdbuf();
    if (!in || buffer == nullptr) {
        list.readFailed = true;
        list.readError = "a read error";
        return list;
    }
    using Traits = std::char_traits<char>;
    try {
        for (Traits::int_type c = buffer->sbumpc(); !Traits::eq_int_type(c, Traits::eof()); c = buffer->sbumpc()) {
            if (c == '\n') {
                if (list.lines.size() == kMaxBatchLines) {
                    list.tooManyLines = true;
                    return list;
                }
                finishLine();
                continue;
            }
            any = true;
            if (overflowed) continue;
            if (line.size() == kMaxInputBytes) {
                overflowed = true;
                line.clear();
                line.shrink_to_fit();
                continue;
            }
            line.push_back(Traits::to_char_type(c));
        }
    } catch (...) {
        list.readFailed = true;
        list.readError = readErrorOf(std::current_exception());
        in.setstate(std::ios::badbit);
        return list;
    }
    in.setstate(std::ios::eofbit);
    if (any) {
        if (list.lines.size() == kMaxBatchLines) {
            list.tooManyLines = true;
            return list;
        }
        finishLine();
    }
    return list;
}

Outcome readTextInput(std::istream& in, std::string& text) {
    const auto failed = [](const std::string& why) {
        return Outcome::failed(Failure::Refused, "Could not read standard input: " + why);
    };
    // Straight from the stream's buffer, so that what a failed read throws
    // says why.
    std::streambuf* buffer = in.rdbuf();
    if (!in || buffer == nullptr) return failed("a read error");
    std::string input(kMaxInputBytes + 1, '\0');
    std::streamsize got = 0;
    try {
        got = buffer->sgetn(input.data(), static_cast<std::streamsize>(input.size()));
    } catch (...) {
        in.setstate(std::ios::badbit);
        return failed(readErrorOf(std::current_exception()));
    }
    input.resize(static_cast<std::size_t>(got));
    if (input.size() > kMaxInputBytes) return tooLong();

    dropByteOrderMark(input);
    if (!input.empty() && input.back() == '\n') {
        input.pop_back();
        if (!input.empty() && input.back() == '\r') input.pop_back();
    }
    if (Outcome checked = checkText(input); !checked) return checked;
    text = std::move(input);
    return Outcome::ok();
}

}  // namespace ts
