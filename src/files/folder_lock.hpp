#pragma once

#include <filesystem>

#include "platform/outcome.hpp"

namespace ts {

// An exclusive hold on a folder, so that two batches never write into one
// folder at once. It is an flock(2) lock on the folder itself (opened
// read-only, so no lock file is left behind), held until the FolderLock is
// destroyed or the process ends, however it ends. Every process that takes
// a FolderLock on the same folder, by any path to it, is kept out; other
// programs are not.
class FolderLock {
public:
    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    ~FolderLock();

    // Takes the lock without waiting. A folder that another holder has
    // locked is refused (Failure::FolderUnavailable) with a message naming
    // it, as is a folder that cannot be opened.
    Outcome acquire(const std::filesystem::path& folder);
    void release();
    bool held() const { return fd_ >= 0; }

    // The folder as it was named to acquire(), and the descriptor the lock
    // is held on: files written through it go into the locked folder itself.
    const std::filesystem::path& folder() const { return folder_; }
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
    std::filesystem::path folder_;
};

}  // namespace ts
