// flock(2) on a descriptor of its own: the lock belongs to that open file, so a second open of the
// same file, even in this process, is refused, and the lock goes with the last descriptor. The
// descriptor is closed on exec, so a program the run starts cannot keep the lock alive after it.
#include "platform/RunLock.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace quillan {
namespace {

class FlockRunLock : public RunLock {
public:
    explicit FlockRunLock(int fd) : fd_(fd) {}
    ~FlockRunLock() override { ::close(fd_); } // closing the last descriptor releases the lock
    FlockRunLock(const FlockRunLock&) = delete;
    FlockRunLock& operator=(const FlockRunLock&) = delete;

private:
    int fd_;
};

} // namespace

std::unique_ptr<RunLock> tryLockRun(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "cannot open the run lock " + file.string());
    int rc = 0;
    for (int attempt = 0; attempt < 100; ++attempt) { // a signal may interrupt the call
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
        if (rc == 0 || errno != EINTR)
            break;
    }
    if (rc != 0) {
        const int e = errno;
        ::close(fd);
        if (e == EWOULDBLOCK)
            return nullptr;
        throw std::system_error(e, std::generic_category(), "cannot lock " + file.string());
    }
    return std::make_unique<FlockRunLock>(fd);
}

} // namespace quillan
