#pragma once
// One run per installation: an exclusive lock on a file in the installation, held for the life of
// the process. The operating system releases it when the holder ends, however it ends, so a killed
// run leaves no stale lock behind and no clean-up is needed. The file itself only carries the lock;
// it stays when the lock is released (removing it would let a third process lock a new file while
// a second still waits on the old one).
#include <filesystem>
#include <memory>

namespace quillan {

class RunLock {
public:
    virtual ~RunLock() = default;
};

// Takes the lock on `file` (created empty when missing) without waiting. nullptr when another
// holder has it: another process, or another lock of this process on the same file. Throws
// std::system_error with the system's reason when the file cannot be created or opened.
std::unique_ptr<RunLock> tryLockRun(const std::filesystem::path& file);

} // namespace quillan
