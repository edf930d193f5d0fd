#include "files/file_output.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "files/folder_lock.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

using testing::namesIn;
using testing::readBytes;

const std::vector<std::uint8_t> kNew = {'n', 'e', 'w'};
const std::vector<std::uint8_t> kOld = {'o', 'l', 'd'};

mode_t permissionsOf(const std::filesystem::path& file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
    return st.st_mode & 07777;
}

class FileOutput : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::freshFolder();
        savedMask = ::umask(022);
    }
    void TearDown() override { ::umask(savedMask); }
    void writeOld(const std::filesystem::path& file) { testing::writeText(file, "old"); }
    std::filesystem::path folder;
    mode_t savedMask = 0;
};

// Whether a name is free is asked as Replace::Never would answer, by a path
// or in a locked folder: anything there, a dangling symbolic link included,
// takes it, with the write's own message.
TEST_F(FileOutput, ANameIsFreeOnlyWhenNothingIsThere) {
    testing::writeText(folder / "file", "x");
    std::filesystem::create_directory(folder / "folder");
    std::filesystem::create_symlink(folder / "nowhere", folder / "dangling");
    FolderLock lock;
    ASSERT_TRUE(lock.acquire(folder));
    const struct {
        const char* name;
        bool free;
    } cases[] = {{"free", true}, {"file", false}, {"folder", false}, {"dangling", false}};
    for (const auto& c : cases) {
        const Outcome byPath = checkNameFree(folder / c.name), inLock = checkNameFree(lock, c.name);
        EXPECT_EQ(static_cast<bool>(byPath), c.free) << c.name;
        EXPECT_EQ(static_cast<bool>(inLock), c.free) << c.name;
        if (c.free) continue;
        EXPECT_EQ(byPath.failure, Failure::NameTaken) << c.name;
        EXPECT_EQ(byPath.message, writeFileAtomically(folder / c.name, {}, Replace::Never).message) << c.name;
        EXPECT_EQ(inLock.message, byPath.message) << c.name;
    }
    removeIfThere(lock, "file");
    removeIfThere(lock, "free");  // nothing there: nothing said
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"folder", "dangling"}));
}

TEST_F(FileOutput, ReplacingARegularFileKeepsItsPermissionBits) {
    for (const mode_t mode : {0600, 0640, 0755, 0444}) {
        const std::filesystem::path file = folder / ("p" + std::to_string(mode) + ".png");
        writeOld(file);
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        const Outcome written = writeFileAtomically(file, kNew);
        ASSERT_TRUE(written) << written.message;
        EXPECT_EQ(readBytes(file), kNew);
        EXPECT_EQ(permissionsOf(file), mode) << std::oct << mode;
    }
    // A new file gets the usual bits under the umask.
    ASSERT_TRUE(writeFileAtomically(folder / "fresh.png", kNew));
    EXPECT_EQ(permissionsOf(folder / "fresh.png"), 0644u);
}

TEST_F(FileOutput, AHardLinkedFileIsReplacedAndItsOtherNameKeepsTheOldBytes) {
    writeOld(folder / "a.png");
    ASSERT_EQ(::link((folder / "a.png").c_str(), (folder / "b.png").c_str()), 0);
    ASSERT_TRUE(writeFileAtomically(folder / "a.png", kNew));
    EXPECT_EQ(readBytes(folder / "a.png"), kNew);
    EXPECT_EQ(readBytes(folder / "b.png"), kOld);
}

// A symbolic link stays a link; the file it leads to, through any number of
// links, relative or absolute, gets the bytes, and is made when missing.
TEST_F(FileOutput, ASymbolicLinkIsWrittenThroughToItsTarget) {
    std::filesystem::create_directories(folder / "real");
    writeOld(folder / "real" / "target.png");
    std::filesystem::create_symlink("real/target.png", folder / "relative.png");
    std::filesystem::create_symlink(folder / "relative.png", folder / "absolute.png");
    std::filesystem::create_symlink("real/missing.png", folder / "dangling.png");

    for (const char* name : {"relative.png", "absolute.png", "dangling.png"}) {
        const Outcome written = writeFileAtomically(folder / name, kNew);
        ASSERT_TRUE(written) << name << ": " << written.message;
        EXPECT_EQ(written.file, folder / name);
        EXPECT_TRUE(std::filesystem::is_symlink(folder / name)) << name;
        EXPECT_EQ(readBytes(folder / name), kNew) << name;
    }
    EXPECT_EQ(readBytes(folder / "real" / "target.png"), kNew);
    EXPECT_EQ(readBytes(folder / "real" / "missing.png"), kNew);
    EXPECT_EQ(namesIn(folder / "real"), (std::set<std::string>{"target.png", "missing.png"}));
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"real", "relative.png", "absolute.png", "dangling.png"}));
}

// As the kernel's fs.protected_symlinks has it: in a folder everyone may
// write that keeps files to their owners (sticky, as /tmp), a link is
// followed only when it is the writer's own or the folder owner's. Giving a
// link to another user needs root; elsewhere the test is skipped.
TEST_F(FileOutput, AnotherUsersLinkInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
    constexpr uid_t kOther = 65534;  // nobody
    const auto makeFolder = [&](const std::string& name, mode_t mode, uid_t owner) {
        const std::filesystem::path made = folder / name;
        std::filesystem::create_directories(made);
        EXPECT_EQ(::chmod(made.c_str(), mode), 0);
        EXPECT_EQ(::chown(made.c_str(), owner, owner), 0);
        return made;
    };
    const auto makeLink = [](const std::filesystem::path& to, const std::filesystem::path& link, uid_t owner) {
        std::filesystem::create_symlink(to, link);
        EXPECT_EQ(::lchown(link.c_str(), owner, owner), 0) << link;
    };
    const std::filesystem::path shared = makeFolder("shared", 01777, 0);
    const std::filesystem::path othersShared = makeFolder("others-shared", 01777, kOther);
    const std::filesystem::path open = makeFolder("open", 0777, 0);
    writeOld(folder / "victim");

    makeLink(folder / "victim", shared / "planted.png", kOther);
    makeLink(folder / "made-there", shared / "dangling.png", kOther);
    makeLink(shared / "planted.png", folder / "to-planted.png", 0);
    makeLink(folder / "mine", shared / "mine.png", 0);
    makeLink(folder / "theirs", othersShared / "theirs.png", kOther);
    makeLink(folder / "unshared", open / "open.png", kOther);

    struct Case {
        std::filesystem::path link;
        std::string refusedAs;  // empty: followed
        std::filesystem::path writes;
    } const cases[] = {
        {shared / "planted.png", "it", folder / "victim"},
        {shared / "dangling.png", "it", folder / "made-there"},
        {folder / "to-planted.png", (shared / "planted.png").string(), folder / "victim"},
        {shared / "mine.png", "", folder / "mine"},            // the writer's own link
        {othersShared / "theirs.png", "", folder / "theirs"},  // the folder owner's link
        {open / "open.png", "", folder / "unshared"},          // a folder that is not sticky
    };
    for (const Case& c : cases) {
        const Outcome written = writeFileAtomically(c.link, kNew);
        EXPECT_TRUE(std::filesystem::is_symlink(c.link)) << c.link;
        if (c.refusedAs.empty()) {
            EXPECT_TRUE(written) << c.link << ": " << written.message;
            EXPECT_EQ(readBytes(c.writes), kNew) << c.link;
            continue;
        }
        EXPECT_EQ(written.failure, Failure::WriteFailed) << c.link;
        EXPECT_EQ(written.message, "Could not write " + c.link.string() + ": " + c.refusedAs +
                                       " is another user's symbolic link in a folder everyone may write; it is "
                                       "not followed, and nothing is written");
    }
    EXPECT_EQ(readBytes(folder / "victim"), kOld);
    EXPECT_FALSE(std::filesystem::exists(folder / "made-there"));
    EXPECT_EQ(namesIn(shared), (std::set<std::string>{"planted.png", "dangling.png", "mine.png"}));
}

TEST_F(FileOutput, ALoopOfLinksIsReported) {
    std::filesystem::create_symlink("b.png", folder / "a.png");
    std::filesystem::create_symlink("a.png", folder / "b.png");
    const Outcome written = writeFileAtomically(folder / "a.png", kNew);
    EXPECT_EQ(written.failure, Failure::WriteFailed);
    EXPECT_EQ(written.message, "Could not write " + (folder / "a.png").string() + ": " + std::strerror(ELOOP));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "a.png"));
}

// What is not a regular file is refused with one line and left as it is.
// A link of /proc names something no file could be made as ("pipe:[1234]",
// "/x/gone.png (deleted)"), though the kernel follows it: refused with what
// it leads to, and nothing made under the name it gives.
TEST_F(FileOutput, WhatALinkOfProcLeadsToWithoutNamingItIsRefused) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const int gone = ::open((folder / "gone.png").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(gone, 0);
    ASSERT_EQ(::unlink((folder / "gone.png").c_str()), 0);
    struct Case {
        int fd;
        std::string leadsTo;
    } const cases[] = {{ends[1], "a pipe, not a regular file"}, {gone, "a file that its link does not name"}};
    for (const Case& c : cases) {
        const std::filesystem::path link = "/proc/self/fd/" + std::to_string(c.fd);
        const Outcome written = writeFileAtomically(link, kNew);
        EXPECT_EQ(written.failure, Failure::WriteFailed);
        EXPECT_EQ(written.message,
                  "Could not write " + link.string() + ": it leads to " + c.leadsTo + "; it is left as it is");
    }
    EXPECT_TRUE(namesIn(folder).empty());
    ::close(gone);
    ::close(ends[0]);
    ::close(ends[1]);
}

// A folder made with its parents; one that cannot be made leaves none of
// the parents made for it, and those that were there stay.
TEST_F(FileOutput, AFolderThatCannotBeMadeLeavesNoneOfTheFoldersMadeForIt) {
    ASSERT_TRUE(ensureFolder(folder / "a" / "b" / "c"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a" / "b" / "c"));
    EXPECT_TRUE(ensureFolder(folder / "a" / "b"));
    writeOld(folder / "file");
    struct Case {
        std::filesystem::path wanted;
        std::string why;
    } const cases[] = {
        {folder / "new" / "sub" / std::string(300, 'x'), std::strerror(ENAMETOOLONG)},
        {folder / "a" / "new" / std::string(300, 'x'), std::strerror(ENAMETOOLONG)},
        {folder / "file" / "sub", std::strerror(ENOTDIR)},
        {folder / "file", "it is not a folder"},
    };
    for (const Case& c : cases) {
        const Outcome made = ensureFolder(c.wanted);
        EXPECT_EQ(made.failure, Failure::FolderUnavailable) << c.wanted;
        EXPECT_EQ(made.message, "the folder " + c.wanted.string() + " cannot be made: " + c.why);
    }
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"a", "file"}));
    EXPECT_EQ(namesIn(folder / "a"), std::set<std::string>{"b"});
}

TEST_F(FileOutput, AnythingButARegularFileIsRefusedAndLeftAlone) {
    struct Special {
        std::string name;
        const char* kind;
        std::filesystem::file_type type;
    };
    std::vector<Special> specials = {{"pipe.png", "a named pipe", std::filesystem::file_type::fifo},
                                     {"socket.png", "a socket", std::filesystem::file_type::socket},
                                     {"folder.png", "a folder", std::filesystem::file_type::directory}};
    ASSERT_EQ(::mkfifo((folder / "pipe.png").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A socket's name holds at most 107 bytes; the folder's own path may be
    // longer (a deep build folder), its descriptor's is not.
    const int folderFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folderFd, 0);
    const std::string socketPath = "/proc/self/fd/" + std::to_string(folderFd) + "/socket.png";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(folderFd);
    std::filesystem::create_directories(folder / "folder.png");
    // A device node like /dev/null's can only be made with privileges.
    if (::mknod((folder / "device.png").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        specials.push_back({"device.png", "a character device", std::filesystem::file_type::character});
    std::filesystem::create_symlink("pipe.png", folder / "to-pipe.png");

    for (const Special& s : specials) {
        const Outcome written = writeFileAtomically(folder / s.name, kNew);
        EXPECT_EQ(written.failure, Failure::WriteFailed) << s.name;
        EXPECT_EQ(written.message, "Could not write " + (folder / s.name).string() + ": it is " + s.kind +
                                       ", not a regular file; it is left as it is");
        EXPECT_EQ(std::filesystem::symlink_status(folder / s.name).type(), s.type) << s.name;
    }
    const Outcome throughLink = writeFileAtomically(folder / "to-pipe.png", kNew);
    EXPECT_EQ(throughLink.message, "Could not write " + (folder / "to-pipe.png").string() + ": " +
                                       (folder / "pipe.png").string() +
                                       " is a named pipe, not a regular file; it is left as it is");
    EXPECT_EQ(std::filesystem::symlink_status(folder / "pipe.png").type(), std::filesystem::file_type::fifo);
    ::close(sock);

    std::set<std::string> expected = {"to-pipe.png"};
    for (const Special& s : specials) expected.insert(s.name);
    EXPECT_EQ(namesIn(folder), expected) << "no temporary file is left";
}

TEST_F(FileOutput, NeverReplacingKeepsEveryKindOfExistingName) {
    writeOld(folder / "file.png");
    writeOld(folder / "target.png");
    std::filesystem::create_symlink("target.png", folder / "link.png");
    std::filesystem::create_symlink("missing.png", folder / "dangling.png");
    ASSERT_EQ(::mkfifo((folder / "pipe.png").c_str(), 0644), 0);
    for (const char* name : {"file.png", "link.png", "dangling.png", "pipe.png"}) {
        const Outcome written = writeFileAtomically(folder / name, kNew, Replace::Never);
        EXPECT_EQ(written.failure, Failure::NameTaken) << name;
        EXPECT_EQ(written.message, "Could not write " + (folder / name).string() + ": a file of that name exists");
    }
    EXPECT_EQ(readBytes(folder / "file.png"), kOld);
    EXPECT_EQ(readBytes(folder / "target.png"), kOld);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "dangling.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "missing.png"));
    EXPECT_EQ(namesIn(folder),
              (std::set<std::string>{"file.png", "target.png", "link.png", "dangling.png", "pipe.png"}));
    ASSERT_TRUE(writeFileAtomically(folder / "free.png", kNew, Replace::Never));
    EXPECT_EQ(readBytes(folder / "free.png"), kNew);
}

// The name's length is the file system's limit (255 bytes), with nothing
// added for a temporary file.
TEST_F(FileOutput, ANameOfTheLongestLengthIsWritten) {
    const std::string longest = std::string(251, 'x') + ".png";
    for (const Replace replace : {Replace::Allowed, Replace::Never}) {
        std::filesystem::remove(folder / longest);
        const Outcome written = writeFileAtomically(folder / longest, kNew, replace);
        ASSERT_TRUE(written) << written.message;
        EXPECT_EQ(readBytes(folder / longest), kNew);
    }
    ASSERT_TRUE(writeFileAtomically(folder / longest, kOld));  // replacing it
    EXPECT_EQ(readBytes(folder / longest), kOld);
    const Outcome numbered = writeNumberedFile(folder, std::string(249, 'y'), ".png", kNew);
    ASSERT_TRUE(numbered) << numbered.message;
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{longest, std::string(249, 'y') + ".png"}));
}

// A process killed in the middle of a write (here by going over its file
// size limit) leaves no file behind, or one that the next write into the
// folder removes.
TEST_F(FileOutput, AWriteKilledHalfwayLeavesNothingOnceTheFolderIsWrittenAgain) {
    const std::vector<std::uint8_t> big(1 << 20, 7);
    for (const Replace replace : {Replace::Allowed, Replace::Never}) {
        const std::filesystem::path inner = folder / (replace == Replace::Allowed ? "replace" : "never");
        std::filesystem::create_directories(inner);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_DFL);
            const rlimit limited{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limited);
            (void)writeFileAtomically(inner / "big.png", big, replace);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;

        ASSERT_TRUE(writeFileAtomically(inner / "next.png", kNew, replace));
        EXPECT_EQ(namesIn(inner), std::set<std::string>{"next.png"});
    }
}

// Makes this process die the moment it renames a file, as
// `strace -e inject=rename:signal=KILL` does: by a seccomp filter, which
// kills it with SIGSYS before the call does anything. False where the
// filter cannot be set up.
bool dieAtRename() {
#if defined(__x86_64__)
    constexpr std::uint32_t kArchitecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    constexpr std::uint32_t kArchitecture = AUDIT_ARCH_AARCH64;
#else
    return false;
#endif
    std::vector<sock_filter> filter = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
    };
    std::vector<long> renames = {SYS_renameat, SYS_renameat2};
#ifdef SYS_rename
    renames.push_back(SYS_rename);
#endif
    for (const long call : renames) {
        filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(call), 0, 1));
        filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
    }
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Runs `body` in a child process and returns its wait status.
template <typename Body>
int inChild(Body&& body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = -1;
    ::waitpid(child, &status, 0);
    return status;
}

// A process killed at the moment a write renames: a new file never had
// another name, so nothing is left; a file being replaced leaves the new
// bytes under a temporary name, which the next write into the folder
// removes, whoever makes it (another user, when the test runs as root).
TEST_F(FileOutput, AWriteKilledAtItsRenameLeavesNothingOnceTheFolderIsWrittenAgain) {
    const int fresh = inChild([&] {
        if (!dieAtRename()) return 2;
        return writeFileAtomically(folder / "fresh.png", kNew) && writeNumberedFile(folder, "T1", ".png", kNew) ? 0 : 1;
    });
    if (WIFEXITED(fresh) && WEXITSTATUS(fresh) == 2) GTEST_SKIP() << "no seccomp filter on this machine";
    EXPECT_TRUE(WIFEXITED(fresh) && WEXITSTATUS(fresh) == 0) << "a new file was renamed into place: " << fresh;
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"fresh.png", "T1.png"}));

    writeOld(folder / "old.png");
    const int replacing = inChild([&] {
        if (!dieAtRename()) return 2;
        return writeFileAtomically(folder / "old.png", kNew) ? 0 : 1;
    });
    ASSERT_TRUE(WIFSIGNALED(replacing) && WTERMSIG(replacing) == SIGSYS) << replacing;
    EXPECT_EQ(readBytes(folder / "old.png"), kOld);
    EXPECT_EQ(namesIn(folder).size(), 4u) << "the new bytes under a temporary name";

    const bool asAnotherUser = ::geteuid() == 0;
    if (asAnotherUser) ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    const int next = inChild([&] {
        if (asAnotherUser && ::setuid(65534) != 0) return 2;
        return writeFileAtomically(folder / "next.png", kNew) ? 0 : 1;
    });
    EXPECT_TRUE(WIFEXITED(next) && WEXITSTATUS(next) == 0) << next;
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"fresh.png", "T1.png", "old.png", "next.png"}));
}

// What a process that is gone left is removed; a running process's
// temporary file and other hidden files are kept.
TEST_F(FileOutput, TemporaryFilesOfProcessesGoneAreRemovedByTheNextWrite) {
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const pid_t running = ::getppid();

    const std::string left = ".textscape-" + std::to_string(gone) + "-3.tmp";
    const std::string living = ".textscape-" + std::to_string(running) + "-0.tmp";
    const std::set<std::string> kept = {living, ".textscape-x-1.tmp", ".textscape-12.tmp", ".hidden.tmp", "a.png"};
    for (const std::string& name : kept) writeOld(folder / name);
    writeOld(folder / left);

    ASSERT_TRUE(writeNumberedFile(folder, "T1", ".bmp", kNew));
    std::set<std::string> expected = kept;
    expected.insert("T1.bmp");
    EXPECT_EQ(namesIn(folder), expected);
}

// A folder moved away after it was locked still gets the files; what now
// has its old path does not. Messages keep the path it was locked under.
TEST_F(FileOutput, AFileWrittenInALockedFolderGoesIntoThatFolderWhereverItIsMoved) {
    std::filesystem::create_directories(folder / "out");
    FolderLock lock;
    ASSERT_TRUE(lock.acquire(folder / "out"));
    ASSERT_TRUE(writeFileAtomically(lock, "1.png", kOld));
    std::filesystem::rename(folder / "out", folder / "moved");
    std::filesystem::create_directories(folder / "out");

    for (const Replace replace : {Replace::Allowed, Replace::Never}) {
        const std::string name = replace == Replace::Allowed ? "2.png" : "3.png";
        const Outcome written = writeFileAtomically(lock, name, kNew, replace);
        ASSERT_TRUE(written) << written.message;
        EXPECT_EQ(written.file, folder / "out" / name);
    }
    ASSERT_TRUE(writeFileAtomically(lock, "1.png", kNew));  // replacing
    const Outcome taken = writeFileAtomically(lock, "1.png", kOld, Replace::Never);
    EXPECT_EQ(taken.message, "Could not write " + (folder / "out" / "1.png").string() + ": a file of that name exists");
    EXPECT_EQ(namesIn(folder / "moved"), (std::set<std::string>{"1.png", "2.png", "3.png"}));
    EXPECT_EQ(readBytes(folder / "moved" / "1.png"), kNew);
    EXPECT_TRUE(namesIn(folder / "out").empty());
}

TEST_F(FileOutput, NumberedNamesPassOverEveryExistingName) {
    writeOld(folder / "T1.bmp");
    std::filesystem::create_symlink("missing", folder / "T1-2.bmp");
    ASSERT_EQ(::mkfifo((folder / "T1-3.bmp").c_str(), 0644), 0);
    const Outcome written = writeNumberedFile(folder, "T1", ".bmp", kNew);
    ASSERT_TRUE(written) << written.message;
    EXPECT_EQ(written.file, folder / "T1-4.bmp");
    EXPECT_EQ(readBytes(folder / "T1-4.bmp"), kNew);
    EXPECT_EQ(readBytes(folder / "T1.bmp"), kOld);
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"T1.bmp", "T1-2.bmp", "T1-3.bmp", "T1-4.bmp"}));
}

}  // namespace
}  // namespace ts
