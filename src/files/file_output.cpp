#include "files/file_output.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "numeric/check.hpp"

#include "files/file_input.hpp"

namespace ts {
namespace {

std::string reason(int error) { return std::strerror(error); }

Outcome writeFailure(Failure kind, const std::filesystem::path& file, const std::string& why) {
    return Outcome::failed(kind, "Could not write " + file.string() + ": " + why, file);
}

Outcome nameTaken(const std::filesystem::path& file) {
    return writeFailure(Failure::NameTaken, file, "a file of that name exists");
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// A file's own name within its folder; "." for a path that ends in a
// folder's name ("out/"), which is then refused as a folder.
std::string leafOf(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    return name.empty() ? std::string(".") : name;
}

// A file descriptor, closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

// Opens a folder for the *at calls that write into it and for flushing it;
// a folder that may be written but not read is opened for the calls alone.
Descriptor openFolder(int at, const std::filesystem::path& folder) {
    int fd = ::openat(at, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) fd = ::openat(at, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return Descriptor(fd);
}

constexpr std::string_view kTemporaryPrefix = ".textscape-";
constexpr std::string_view kTemporarySuffix = ".tmp";

std::atomic<unsigned> temporaryCounter{0};

// The process that made a temporary name, read back from the name; 0 when
// the name is not one of ours.
pid_t makerOf(std::string_view name) {
    if (name.size() <= kTemporaryPrefix.size() + kTemporarySuffix.size() || !name.starts_with(kTemporaryPrefix) ||
        !name.ends_with(kTemporarySuffix))
        return 0;
    name.remove_prefix(kTemporaryPrefix.size());
    name.remove_suffix(kTemporarySuffix.size());
    const auto dash = name.find('-');
    if (dash == std::string_view::npos || dash == 0) return 0;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
    if (error != std::errc() || end != name.data() + dash || pid <= 0) return 0;
    unsigned number = 0;
    const auto [last, numberError] = std::from_chars(name.data() + dash + 1, name.data() + name.size(), number);
    if (numberError != std::errc() || last != name.data() + name.size()) return 0;
    return pid;
}

// Removes the temporary files that processes now gone left in the folder
// (a write killed at the wrong moment), once per folder in each process,
// whoever made them: only our own names, only regular files, and only
// where this user may remove them.
void removeLeftTemporaries(int folder) {
    struct stat self {};
    if (::fstat(folder, &self) != 0) return;
    static std::mutex lock;
    static std::set<std::pair<dev_t, ino_t>> cleaned;
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (!cleaned.insert({self.st_dev, self.st_ino}).second) return;
    }
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0) return;
    DIR* dir = ::fdopendir(listed);
    if (!dir) {
        ::close(listed);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t maker = makerOf(entry->d_name);
        if (maker == 0 || maker == ::getpid()) continue;
        if (::kill(maker, 0) == 0 || errno != ESRCH) continue;  // still running, or not ours to know
        struct stat st {};
        if (::fstatat(listed, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        (void)::unlinkat(listed, entry->d_name, 0);
    }
    ::closedir(dir);
}

// Renames without replacing an existing file; falls back to a hard link
// where the file system does not offer that kind of rename.
int renameNoReplace(int folder, const std::string& from, const std::string& to) {
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0) return -1;
    ::unlinkat(folder, from.c_str(), 0);
    return 0;
}

// Flushes the folder's entries to disk, so that a file's new name lasts;
// 0, or the errno of what failed. A file system that cannot flush folders
// (EINVAL), and a folder this user may write but not read (opened without
// the right to flush it, EBADF), are taken as they are.
int syncFolder(int folder) {
    if (::fsync(folder) == 0 || errno == EINVAL || errno == EBADF) return 0;
    return errno;
}

Outcome unsynced(const std::filesystem::path& file, int error) {
    return writeFailure(Failure::WriteFailed, file,
                        "it is written, but its folder could not be flushed to disk: " + reason(error));
}

// The bytes of a file to be, written and flushed to disk in its folder
// before the file gets its name. Where the file system allows, the file has
// no name at all until then (O_TMPFILE), so that a process killed meanwhile
// leaves nothing behind; elsewhere, and for the moment of replacing a file,
// it has a short temporary name, which a later write into the same folder
// removes once its process is gone. A
// staged file not placed is given up. Every name is taken within the folder
// opened as `folder`, wherever that folder is moved meanwhile.
class StagedFile {
public:
    explicit StagedFile(int folder) : folder_(folder) {}
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!temporary_.empty()) ::unlinkat(folder_, temporary_.c_str(), 0);
    }

    // 0, or the errno of what failed. `keep`: the owner and permission bits
    // of the file this one replaces.
    int write(std::span<const std::uint8_t> bytes, const struct stat* keep) {
        removeLeftTemporaries(folder_);
        fd_ = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
            if (const int error = openNamed(); error != 0) return error;
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return n < 0 ? errno : ENOSPC;
            done += static_cast<std::size_t>(n);
        }
        if (keep) {
            // The owner first: changing it clears the set-id bits.
            (void)::fchown(fd_, keep->st_uid, keep->st_gid);
            if (::fchmod(fd_, keep->st_mode & 07777) != 0) return errno;
        }
        if (::fsync(fd_) != 0) return errno;
        return 0;
    }

    // Gives the written file the name `name` in the folder; 0, or the errno
    // of what failed (EEXIST: the name is taken and Replace::Never was
    // asked).
    int place(const std::string& name, Replace replace) {
        if (temporary_.empty()) {
            // A name that is free gets the file at once, which is never
            // seen under another name.
            const int linked = linkTo(name);
            if (replace == Replace::Never || linked != EEXIST) return linked;
            // A file without a name cannot replace another: it gets a
            // temporary name for the moment of the rename, the only moment
            // a process killed leaves a file behind.
            for (int attempt = 0; temporary_.empty(); ++attempt) {
                const std::string candidate = nextTemporaryName();
                if (const int error = linkTo(candidate); error == 0)
                    temporary_ = candidate;
                else if (error != EEXIST || attempt > 100)
                    return error;
            }
        }
        const int renamed = replace == Replace::Allowed ? ::renameat(folder_, temporary_.c_str(), folder_, name.c_str())
                                                        : renameNoReplace(folder_, temporary_, name);
        if (renamed != 0) return errno;
        temporary_.clear();
        return 0;
    }

private:
    // ".textscape-PID-N.tmp", with N drawn at random: names planted ahead
    // cannot keep a write from finding a free one.
    static std::string nextTemporaryName() {
        unsigned number = 0;
        if (::getrandom(&number, sizeof number, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof number))
            number = temporaryCounter++;
        std::string name(kTemporaryPrefix);
        name.append(std::to_string(::getpid())).append("-").append(std::to_string(number));
        name.append(kTemporarySuffix);
        return name;
    }

    int openNamed() {
        for (int attempt = 0;; ++attempt) {
            const std::string name = nextTemporaryName();
            fd_ = ::openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                temporary_ = name;
                return 0;
            }
            if (errno != EEXIST || attempt > 100) return errno;
        }
    }

    // Links the unnamed file under `name`, never replacing a file.
    int linkTo(const std::string& name) const {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        if (::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
        if (errno != ENOENT) return errno;
        // Without /proc: the file descriptor itself, which needs privileges.
        if (::linkat(fd_, "", folder_, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
        return errno;
    }

    const int folder_;
    std::string temporary_;  // the file's name while it has a temporary one
    int fd_ = -1;
};

// Whether a symbolic link may be followed: not when it lies in a folder
// that everyone may write and that keeps its files to their owners (sticky,
// as /tmp is), and belongs to neither this user nor the folder's owner. The
// kernel's fs.protected_symlinks draws the same line; links are followed
// here by hand, so the kernel never gets to. Otherwise anyone could plant a
// link there that makes a program run by another user, root included,
// replace a file of theirs.
bool mayFollow(int folder, const struct stat& link) {
    struct stat shared {};
    if (::fstat(folder, &shared) != 0) return false;
    if ((shared.st_mode & S_ISVTX) == 0 || (shared.st_mode & S_IWOTH) == 0) return true;
    return link.st_uid == ::geteuid() || link.st_uid == shared.st_uid;
}

// Writes the file `name` in the folder opened as `start`; `file` is the path
// messages give for it.
Outcome writeIn(int start, std::string name, const std::filesystem::path& file, std::span<const std::uint8_t> bytes,
                Replace replace) {
    // Where the bytes go: the file, or the file a symbolic link leads to,
    // by the folder it is in and its name there; `target` is its path.
    int folder = start;
    Descriptor linkedFolder;
    std::filesystem::path target = file;
    struct stat st {};
    bool exists = false;
    constexpr int kMaxLinks = 40;
    for (int links = 0;; ++links) {
        if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) return writeFailure(Failure::WriteFailed, file, reason(errno));
            break;
        }
        if (replace == Replace::Never) return nameTaken(file);
        if (!S_ISLNK(st.st_mode)) {
            exists = true;
            break;
        }
        if (links == kMaxLinks) return writeFailure(Failure::WriteFailed, file, reason(ELOOP));
        if (!mayFollow(folder, st)) {
            const std::string named = target == file ? "it" : target.string();
            return writeFailure(Failure::WriteFailed, file,
                                named +
                                    " is another user's symbolic link in a folder everyone may write; "
                                    "it is not followed, and nothing is written");
        }
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0) + 256, '\0');
        const ssize_t length = ::readlinkat(folder, name.c_str(), link.data(), link.size());
        if (length < 0) return writeFailure(Failure::WriteFailed, file, reason(errno));
        if (static_cast<std::size_t>(length) == link.size())
            return writeFailure(Failure::WriteFailed, file, reason(ENAMETOOLONG));
        link.resize(static_cast<std::size_t>(length));
        const std::filesystem::path leadsTo(link);
        if (leadsTo.has_parent_path()) {
            Descriptor next = openFolder(leadsTo.is_absolute() ? AT_FDCWD : folder, leadsTo.parent_path());
            if (!next) return writeFailure(Failure::WriteFailed, file, reason(errno));
            linkedFolder = std::move(next);
            folder = linkedFolder.get();
        }
        name = leafOf(leadsTo);
        target = leadsTo.is_absolute() ? leadsTo : folderOf(target) / leadsTo;
    }
    // A link whose text names nothing, though the kernel follows it to
    // something: one of /proc's, such as /dev/stdout's into a pipe.
    struct stat reached {};
    if (!exists && target != file && ::fstatat(start, leafOf(file).c_str(), &reached, 0) == 0) {
        const char* what = S_ISREG(reached.st_mode)    ? "a file that its link does not name"
                           : S_ISFIFO(reached.st_mode) ? "a pipe, not a regular file"
                                                       : kindOfFile(reached.st_mode);
        return writeFailure(Failure::WriteFailed, file, std::string("it leads to ") + what + "; it is left as it is");
    }
    if (exists && !S_ISREG(st.st_mode)) {
        const std::string named = target == file ? "it" : target.string();
        return writeFailure(Failure::WriteFailed, file,
                            named + " is " + kindOfFile(st.st_mode) + ", not a regular file; it is left as it is");
    }

    StagedFile staged(folder);
    if (const int error = staged.write(bytes, exists ? &st : nullptr); error != 0)
        return writeFailure(Failure::WriteFailed, file, reason(error));
    if (const int error = staged.place(name, replace); error != 0) {
        if (error == EEXIST) return nameTaken(file);
        return writeFailure(Failure::WriteFailed, file, reason(error));
    }
    if (const int error = syncFolder(folder); error != 0) return unsynced(file, error);
    return Outcome::ok(file);
}

}  // namespace

std::string numberedName(std::string_view stem, int number, std::string_view extension) {
    std::string name(stem);
    if (number != 1) name.append("-").append(std::to_string(number));
    name.append(extension);
    return name;
}

Outcome ensureFolder(const std::filesystem::path& folder) {
    const auto cannot = [&](const std::string& why) {
        return Outcome::failed(Failure::FolderUnavailable, "the folder " + folder.string() + " cannot be made: " + why,
                               folder);
    };
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return Outcome::ok(folder);
    // The folders along the path that are missing, the innermost first.
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path p = folder; !p.empty(); p = p.parent_path()) {
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0 || p == p.parent_path()) break;
        missing.push_back(p);
    }
    // Made from the outside in; when one cannot be, those made before it
    // go again, and nothing is left of the attempt.
    std::vector<std::filesystem::path> made;
    for (auto p = missing.rbegin(); p != missing.rend(); ++p) {
        if (::mkdir(p->c_str(), 0777) == 0) {
            made.push_back(*p);
            continue;
        }
        const int error = errno;
        if (error == EEXIST && std::filesystem::is_directory(*p, ec)) continue;  // made meanwhile by another
        for (auto back = made.rbegin(); back != made.rend(); ++back) ::rmdir(back->c_str());
        return cannot(reason(error == EEXIST ? ENOTDIR : error));
    }
    if (!std::filesystem::is_directory(folder, ec)) return cannot("it is not a folder");
    return Outcome::ok(folder);
}

Outcome writeFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes, Replace replace) {
    const Descriptor folder = openFolder(AT_FDCWD, folderOf(file));
    if (!folder) return writeFailure(Failure::WriteFailed, file, reason(errno));
    return writeIn(folder.get(), leafOf(file), file, bytes, replace);
}

Outcome writeFileAtomically(const FolderLock& folder, std::string_view name, std::span<const std::uint8_t> bytes,
                            Replace replace) {
    TS_CHECK(folder.held(), "a locked folder to write into");
    const std::filesystem::path file = folder.folder() / name;
    TS_CHECK(!name.empty() && file.filename() == name, "a file's name without a folder");
    return writeIn(folder.descriptor(), std::string(name), file, bytes, replace);
}

namespace {

Outcome nameFreeIn(int folder, const std::string& name, const std::filesystem::path& file) {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return nameTaken(file);
    return Outcome::ok(file);
}

}  // namespace

Outcome checkNameFree(const std::filesystem::path& file) { return nameFreeIn(AT_FDCWD, file.string(), file); }

Outcome checkNameFree(const FolderLock& folder, std::string_view name) {
    TS_CHECK(folder.held(), "a locked folder to look into");
    return nameFreeIn(folder.descriptor(), std::string(name), folder.folder() / name);
}

void removeIfThere(const FolderLock& folder, std::string_view name) {
    TS_CHECK(folder.held(), "a locked folder to remove from");
    ::unlinkat(folder.descriptor(), std::string(name).c_str(), 0);
}

Outcome writeNumberedFile(const std::filesystem::path& folder, std::string_view stem, std::string_view extension,
                          std::span<const std::uint8_t> bytes,
                          const std::function<bool(const std::filesystem::path&)>& skip) {
    // Enough suffixes for any number of pictures a person makes in one second.
    constexpr int kMaxNumber = 10000;
    const std::filesystem::path first = folder / numberedName(stem, 1, extension);
    const Descriptor opened = openFolder(AT_FDCWD, folder.empty() ? std::filesystem::path(".") : folder);
    if (!opened) return writeFailure(Failure::WriteFailed, first, reason(errno));
    StagedFile staged(opened.get());
    if (const int error = staged.write(bytes, nullptr); error != 0)
        return writeFailure(Failure::WriteFailed, first, reason(error));
    for (int number = 1; number <= kMaxNumber; ++number) {
        const std::string name = numberedName(stem, number, extension);
        const std::filesystem::path file = folder / name;
        if (skip && skip(file)) continue;
        const int error = staged.place(name, Replace::Never);
        if (error == EEXIST) continue;
        if (error != 0) return writeFailure(Failure::WriteFailed, file, reason(error));
        if (const int sync = syncFolder(opened.get()); sync != 0) return unsynced(file, sync);
        return Outcome::ok(file);
    }
    return Outcome::failed(Failure::NameTaken, "Could not write " + first.string() + ": every numbered name is taken",
                           first);
}

}  // namespace ts
