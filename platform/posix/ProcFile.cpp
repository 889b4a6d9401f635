#include "platform/posix/ProcFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillan::posix {

std::string readAllOrEmpty(int fd) {
    std::string out;
    char buf[4096];
    constexpr std::size_t limit = 1 << 20; // a process's /proc files are small; bounds the loop
    while (out.size() < limit) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {};
        if (n == 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

std::string readProcFile(const std::filesystem::path& p) {
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string out = readAllOrEmpty(fd);
    ::close(fd);
    return out;
}

} // namespace quillan::posix
