#include "platform/posix/ReadAll.h"

#include <cerrno>
#include <unistd.h>

namespace quillan::posix {

bool readAll(int fd, std::string& out) {
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            out.clear();
            return false;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
}

} // namespace quillan::posix
