// Opened non-blocking, so that opening a FIFO returns at once, then checked with fstat.
#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillan {

RegularFileRead readRegularFile(const std::filesystem::path& file) {
    RegularFileRead r;
    // Look before opening too: opening some devices does something by itself.
    struct stat named {};
    if (::stat(file.c_str(), &named) != 0) {
        r.status =
            errno == ENOENT || errno == ENOTDIR ? RegularFileStatus::Missing : RegularFileStatus::Failed;
        return r;
    }
    if (!S_ISREG(named.st_mode)) {
        r.status = RegularFileStatus::NotRegular;
        return r;
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        r.status =
            errno == ENOENT || errno == ENOTDIR ? RegularFileStatus::Missing : RegularFileStatus::Failed;
        return r;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        r.status = S_ISREG(st.st_mode) ? RegularFileStatus::Failed : RegularFileStatus::NotRegular;
        ::close(fd);
        return r;
    }
    r.bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            r.bytes.clear();
            r.status = RegularFileStatus::Failed;
            return r;
        }
        r.bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    r.status = RegularFileStatus::Read;
    return r;
}

} // namespace quillan
