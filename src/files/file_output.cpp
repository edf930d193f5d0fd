#include "files/file_output.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace ts {
namespace {

std::string reason(int error) { return std::strerror(error); }

Outcome writeFailure(Failure kind, const std::filesystem::path& file, const std::string& why) {
    return Outcome::failed(kind, "Could not write " + file.string() + ": " + why, file);
}

// Gives up a temporary file on any path out of the write.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
    }
    int fd_ = -1;
    bool kept_ = false;
    const std::filesystem::path path_;
};

std::filesystem::path temporaryName(const std::filesystem::path& file) {
    static std::atomic<unsigned> counter{0};
    std::string name = ".";
    name.append(file.filename().string());
    name.append(".").append(std::to_string(::getpid()));
    name.append(".").append(std::to_string(counter++));
    name.append(".tmp");
    std::filesystem::path tmp = file;
    tmp.replace_filename(name);
    return tmp;
}

// Renames without replacing an existing file; falls back to a hard link
// where the file system does not offer that kind of rename.
int renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
    if (::link(from.c_str(), to.c_str()) != 0) return -1;
    ::unlink(from.c_str());
    return 0;
}

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string numberedName(std::string_view stem, int number, std::string_view extension) {
    std::string name(stem);
    if (number != 1) name.append("-").append(std::to_string(number));
    name.append(extension);
    return name;
}

Outcome ensureFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return Outcome::ok(folder);
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder)) {
        const std::string why = ec ? ec.message() : std::string("it is not a folder");
        return Outcome::failed(Failure::FolderUnavailable, "the folder " + folder.string() + " cannot be made: " + why,
                               folder);
    }
    return Outcome::ok(folder);
}

Outcome writeFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes, Replace replace) {
    if (replace == Replace::Never) {
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(file, ec)))
            return writeFailure(Failure::NameTaken, file, "a file of that name exists");
    }

    TemporaryFile tmp(temporaryName(file));
    tmp.fd_ = ::open(tmp.path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (tmp.fd_ < 0) {
        tmp.kept_ = true;  // nothing was made
        return writeFailure(Failure::WriteFailed, file, reason(errno));
    }

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(tmp.fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return writeFailure(Failure::WriteFailed, file, reason(n < 0 ? errno : ENOSPC));
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(tmp.fd_) != 0) return writeFailure(Failure::WriteFailed, file, reason(errno));
    const int fd = tmp.fd_;
    tmp.fd_ = -1;
    if (::close(fd) != 0) return writeFailure(Failure::WriteFailed, file, reason(errno));

    if (replace == Replace::Allowed) {
        if (::rename(tmp.path_.c_str(), file.c_str()) != 0)
            return writeFailure(Failure::WriteFailed, file, reason(errno));
    } else if (renameNoReplace(tmp.path_, file) != 0) {
        const int error = errno;
        if (error == EEXIST) return writeFailure(Failure::NameTaken, file, "a file of that name exists");
        return writeFailure(Failure::WriteFailed, file, reason(error));
    }
    tmp.kept_ = true;
    syncFolder(file.parent_path());
    return Outcome::ok(file);
}

Outcome writeNumberedFile(const std::filesystem::path& folder, std::string_view stem, std::string_view extension,
                          std::span<const std::uint8_t> bytes,
                          const std::function<bool(const std::filesystem::path&)>& skip) {
    // Enough suffixes for any number of pictures a person makes in one second.
    constexpr int kMaxNumber = 10000;
    for (int number = 1; number <= kMaxNumber; ++number) {
        const std::filesystem::path file = folder / numberedName(stem, number, extension);
        if (skip && skip(file)) continue;
        Outcome written = writeFileAtomically(file, bytes, Replace::Never);
        if (written.failure == Failure::NameTaken) continue;
        return written;
    }
    const std::filesystem::path first = folder / numberedName(stem, 1, extension);
    return Outcome::failed(Failure::NameTaken, "Could not write " + first.string() + ": every numbered name is taken",
                           first);
}

}  // namespace ts
