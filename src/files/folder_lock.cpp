#include "files/folder_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace ts {

FolderLock::FolderLock(FolderLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), folder_(std::move(other.folder_)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        folder_ = std::move(other.folder_);
    }
    return *this;
}

FolderLock::~FolderLock() { release(); }

void FolderLock::release() {
    if (fd_ >= 0) ::close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
}

Outcome FolderLock::acquire(const std::filesystem::path& folder) {
    release();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return Outcome::failed(Failure::FolderUnavailable,
                               "the folder " + folder.string() + " cannot be opened: " + std::strerror(errno), folder);
    }
    int status = 0;
    do {
        status = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (status != 0 && errno == EINTR);
    if (status != 0) {
        const int error = errno;
        ::close(fd);
        const std::string why = error == EWOULDBLOCK ? std::string(" is in use by another batch")
                                                     : std::string(" cannot be locked: ") + std::strerror(error);
        return Outcome::failed(Failure::FolderUnavailable, "the folder " + folder.string() + why, folder);
    }
    fd_ = fd;
    folder_ = folder;
    return Outcome::ok(folder);
}

}  // namespace ts
