// LockFileEx on a handle of its own: the lock belongs to that handle, so a second handle on the same
// file, even in this process, is refused, and the system releases it when the handle is closed or
// the process ends. The handle is not inheritable, so a program the run starts cannot keep it.
#include "platform/RunLock.h"

#include <string>
#include <system_error>
#include <windows.h>

namespace quillan {
namespace {

class LockFileRunLock : public RunLock {
public:
    explicit LockFileRunLock(HANDLE h) : h_(h) {}
    ~LockFileRunLock() override { CloseHandle(h_); } // closing the handle releases the lock
    LockFileRunLock(const LockFileRunLock&) = delete;
    LockFileRunLock& operator=(const LockFileRunLock&) = delete;

private:
    HANDLE h_;
};

} // namespace

std::unique_ptr<RunLock> tryLockRun(const std::filesystem::path& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "cannot open the run lock " + file.string());
    OVERLAPPED whole{};
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        const DWORD e = GetLastError();
        CloseHandle(h);
        if (e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING)
            return nullptr;
        throw std::system_error(static_cast<int>(e), std::system_category(), "cannot lock " + file.string());
    }
    return std::make_unique<LockFileRunLock>(h);
}

} // namespace quillan
