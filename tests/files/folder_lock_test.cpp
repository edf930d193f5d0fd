#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "files/folder_lock.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

// Whether another process can take the lock on `folder` right now.
bool lockableFromAnotherProcess(const std::filesystem::path& folder) {
    const pid_t child = ::fork();
    if (child == 0) {
        FolderLock lock;
        ::_exit(lock.acquire(folder) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FolderLock, KeepsOutEveryOtherHolderByAnyPathUntilReleased) {
    const std::filesystem::path folder = testing::freshFolder();
    std::filesystem::create_directories(folder / "out");
    std::filesystem::create_directory_symlink(folder / "out", folder / "link");

    FolderLock first;
    ASSERT_TRUE(first.acquire(folder / "out"));
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(lockableFromAnotherProcess(folder / "out"));
    for (const std::filesystem::path& path : {folder / "out", folder / "link", folder / "out" / "."}) {
        FolderLock second;
        const Outcome refused = second.acquire(path);
        EXPECT_FALSE(refused) << path;
        EXPECT_EQ(refused.failure, Failure::FolderUnavailable);
        EXPECT_NE(refused.message.find(path.string() + " is in use by another batch"), std::string::npos)
            << refused.message;
        EXPECT_FALSE(second.held());
    }
    // Another folder is free; no lock file is left in either.
    FolderLock other;
    EXPECT_TRUE(other.acquire(folder));

    FolderLock moved = std::move(first);
    EXPECT_FALSE(lockableFromAnotherProcess(folder / "out"));
    moved.release();
    EXPECT_TRUE(lockableFromAnotherProcess(folder / "out"));
    EXPECT_TRUE(testing::namesIn(folder / "out").empty());
}

TEST(FolderLock, AFolderThatCannotBeOpenedIsRefused) {
    const std::filesystem::path folder = testing::freshFolder();
    testing::writeText(folder / "file", "x");
    for (const std::filesystem::path& path : {folder / "missing", folder / "file"}) {
        FolderLock lock;
        const Outcome refused = lock.acquire(path);
        EXPECT_FALSE(refused) << path;
        EXPECT_NE(refused.message.find(path.string() + " cannot be opened"), std::string::npos) << refused.message;
    }
}

TEST(FolderLock, AProcessThatEndsLetsGo) {
    const std::filesystem::path folder = testing::freshFolder();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        FolderLock lock;
        const bool held = static_cast<bool>(lock.acquire(folder));
        (void)!::write(ready[1], held ? "y" : "n", 1);
        ::pause();  // killed below, lock still held
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    EXPECT_EQ(answer, 'y');
    FolderLock mine;
    EXPECT_FALSE(mine.acquire(folder));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(mine.acquire(folder));
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace ts
