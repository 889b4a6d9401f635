// Opened non-blocking, so that opening a FIFO returns at once, then checked with fstat.
#include "platform/RegularFile.h"

#include "platform/posix/ReadAll.h"

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
    const bool read = posix::readAll(fd, r.bytes);
    ::close(fd);
    r.status = read ? RegularFileStatus::Read : RegularFileStatus::Failed;
    return r;
}

} // namespace quillan
