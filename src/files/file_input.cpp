#include "files/file_input.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace ts {
namespace {

Outcome readFailure(const std::filesystem::path& file, const std::string& why) {
    return Outcome::failed(Failure::Refused, "Could not read " + file.string() + ": " + why, file);
}

std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

// Closes the descriptor however the read ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

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
    // Without O_NONBLOCK, opening a named pipe waits for a writer; what was
    // opened is looked at before anything is read from it.
    const Descriptor in(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (in.get() < 0) return readFailure(file, std::strerror(errno));
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return readFailure(file, std::strerror(errno));
    if (S_ISDIR(st.st_mode)) return readFailure(file, "it is a folder");
    if (!S_ISREG(st.st_mode))
        return readFailure(file, std::string("it is ") + kindOfFile(st.st_mode) + ", not a regular file");
    const auto tooLarge = [&] { return readFailure(file, "it is larger than " + sizeText(limit)); };
    if (static_cast<std::uintmax_t>(st.st_size) > limit) return tooLarge();

    // The file may grow while it is read: one byte past the limit is enough
    // to know.
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (have > limit) break;
            bytes.resize(std::min(limit + 1, have + (std::size_t{64} << 10)));
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

}  // namespace ts
