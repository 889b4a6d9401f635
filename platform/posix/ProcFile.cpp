#include "platform/posix/ProcFile.h"

#include "platform/posix/ReadAll.h"

#include <fcntl.h>
#include <unistd.h>

namespace quillan::posix {

std::string readAllOrEmpty(int fd) {
    std::string out;
    readAll(fd, out); // cleared when a read fails
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
