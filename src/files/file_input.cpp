#include "files/file_input.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

namespace ts {
namespace {

Outcome readFailure(const std::filesystem::path& file, const std::string& why) {
    return Outcome::failed(Failure::Refused, "Could not read " + file.string() + ": " + why, file);
}

constexpr std::size_t kReadStep = std::size_t{64} << 10;

std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::string tooLargeWhy(std::size_t limit) { return "it is larger than " + sizeText(limit); }

// Closes the descriptor however the read ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { reset(-1); }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Opens `file` for reading when it is a regular file of at most `limit`
// bytes; anything else is refused before a byte is read.
Outcome openRegularFile(const std::filesystem::path& file, std::size_t limit, Descriptor& in, std::size_t& size) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer; what was
    // opened is looked at before anything is read from it.
    in.reset(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (in.get() < 0) return readFailure(file, std::strerror(errno));
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return readFailure(file, std::strerror(errno));
    if (S_ISDIR(st.st_mode)) return readFailure(file, "it is a folder");
    if (!S_ISREG(st.st_mode))
        return readFailure(file, std::string("it is ") + kindOfFile(st.st_mode) + ", not a regular file");
    if (static_cast<std::uintmax_t>(st.st_size) > limit) return readFailure(file, tooLargeWhy(limit));
    size = static_cast<std::size_t>(st.st_size);
    return Outcome::ok(file);
}

}  // namespace

const char* kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    return "not a regular file";
}

Outcome readBoundedFile(const std::filesystem::path& file, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    Descriptor in(-1);
    std::size_t size = 0;
    if (Outcome opened = openRegularFile(file, limit, in, size); !opened) return opened;
    const auto tooLarge = [&] { return readFailure(file, tooLargeWhy(limit)); };

    // The file may grow while it is read: one byte past the limit is enough
    // to know.
    bytes.resize(size + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (have > limit) break;
            bytes.resize(std::min(limit + 1, have + kReadStep));
        }
        const ssize_t got = ::read(in.get(), bytes.data() + have, bytes.size() - have);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            bytes.clear();
            return readFailure(file, std::strerror(error));
        }
        if (got == 0) break;
        have += static_cast<std::size_t>(got);
    }
    if (have > limit) {
        bytes.clear();
        return tooLarge();
    }
    bytes.resize(have);
    return Outcome::ok(file);
}

Outcome readPngStream(const std::filesystem::path& name, const ReadSome& readSome, std::size_t limit,
                      std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    int error = 0;
    // Adds up to `count` bytes, fewer only at the end of the input; grows
    // by steps, so that a chunk claiming more than is there costs no more
    // memory than what came. False on a read error.
    const auto fill = [&](std::size_t count) {
        const std::size_t wanted = bytes.size() + count;
        while (bytes.size() < wanted) {
            const std::size_t have = bytes.size();
            bytes.resize(std::min(wanted, have + kReadStep));
            const std::ptrdiff_t got = readSome(bytes.data() + have, bytes.size() - have);
            if (got < 0) {
                if (errno == EINTR) {
                    bytes.resize(have);
                    continue;
                }
                error = errno;
                return false;
            }
            bytes.resize(have + static_cast<std::size_t>(got));
            if (got == 0) break;
        }
        return true;
    };
    const auto failed = [&] {
        bytes.clear();
        return readFailure(name, std::strerror(error));
    };
    const auto get32 = [&](std::size_t at) {
        return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
               (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
    };

    if (!fill(kPngSignature.size())) return failed();
    if (bytes.size() < kPngSignature.size() || !std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin())) {
        // Not a PNG file: only as much more as tells another kind of image
        // by its header (the window names it).
        if (bytes.size() == kPngSignature.size() && !fill(kOtherImageHeaderBytes - bytes.size())) return failed();
        return Outcome::ok(name);
    }
    for (;;) {
        const std::size_t at = bytes.size();
        if (!fill(8)) return failed();  // length and type
        if (bytes.size() < at + 8) return Outcome::ok(name);
        const std::uint32_t length = get32(at);
        if (length > kMaxPngChunkLength) return Outcome::ok(name);  // damaged: the reader says so
        if (bytes.size() + std::size_t{length} + 4 > limit) {
            bytes.clear();
            return readFailure(name, tooLargeWhy(limit));
        }
        if (!fill(std::size_t{length} + 4)) return failed();  // data and CRC
        if (std::string_view(reinterpret_cast<const char*>(bytes.data()) + at + 4, 4) == "IEND")
            return Outcome::ok(name);
        if (bytes.size() < at + 12 + length) return Outcome::ok(name);  // cut short
    }
}

Outcome readBoundedPng(const std::filesystem::path& file, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    Descriptor in(-1);
    std::size_t size = 0;
    if (Outcome opened = openRegularFile(file, limit, in, size); !opened) return opened;
    const int fd = in.get();
    return readPngStream(
        file, [fd](std::uint8_t* into, std::size_t count) -> std::ptrdiff_t { return ::read(fd, into, count); }, limit,
        bytes);
}

}  // namespace ts
