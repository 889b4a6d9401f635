// Processes through /proc. POSIX cannot choose another process's exit code, so ending a process
// means SIGKILL, which, like TerminateProcess, gives the program no chance to object.
#include "platform/Processes.h"

#include "platform/OsHooks.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/types.h>
#include <thread>
#include <unistd.h>

namespace quillan {
namespace fs = std::filesystem;

namespace {

// Read with read(2), not a stream: a process that exits while its /proc files are read makes
// read fail with ESRCH, which the stream library turns into an exception. A vanished process
// reads as empty, i.e. as gone.
std::string readFile(const fs::path& p) {
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::string out;
    char buf[4096];
    constexpr std::size_t limit = 1 << 20; // /proc files of one process are small; bound the loop
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            out.clear();
            break;
        }
        if (n == 0 || out.size() >= limit) {
            break;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

// The state letter of /proc/<pid>/stat ('Z' for a zombie); 0 when the process is gone.
char processState(std::uint32_t pid) {
    const std::string stat = readFile(fs::path("/proc") / std::to_string(pid) / "stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() ? '\0' : stat[close + 2];
}

bool alive(std::uint32_t pid) {
    const char state = processState(pid);
    return state != '\0' && state != 'Z' && state != 'X';
}

std::string exeNameOf(const fs::path& procDir) {
    std::error_code ec;
    const fs::path exe = fs::read_symlink(procDir / "exe", ec);
    if (!ec && !exe.empty()) {
        std::string name = exe.filename().string();
        constexpr std::string_view deleted = " (deleted)"; // the file was replaced while running
        if (name.size() > deleted.size() && name.ends_with(deleted)) {
            name.resize(name.size() - deleted.size());
        }
        return name;
    }
    const std::string cmdline = readFile(procDir / "cmdline");
    const std::string first = cmdline.substr(0, cmdline.find('\0'));
    if (!first.empty()) {
        const std::string word = first.substr(0, first.find(' '));
        return fs::path(word).filename().string();
    }
    std::string comm = readFile(procDir / "comm");
    while (!comm.empty() && comm.back() == '\n') {
        comm.pop_back();
    }
    return comm;
}

} // namespace

namespace os {
std::uint32_t currentProcessId() {
    return static_cast<std::uint32_t>(::getpid());
}
} // namespace os

std::vector<ProcessEntry> listProcesses() {
    std::vector<ProcessEntry> out;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::uint32_t pid = 0;
        if (std::from_chars(name.data(), name.data() + name.size(), pid).ec != std::errc{}) {
            continue;
        }
        // A killed child stays listed as a zombie until its parent reaps it; it no longer runs.
        if (!alive(pid)) {
            continue;
        }
        out.push_back({pid, exeNameOf(it->path())});
    }
    return out;
}

bool KillProcessById(std::uint32_t pid, std::uint32_t /*exitCode: not settable on POSIX*/) {
    // pid 0 and values that turn negative would signal whole process groups.
    if (pid == 0 || pid > static_cast<std::uint32_t>(INT_MAX) || pid == os::currentProcessId()) {
        return false;
    }
    if (::kill(static_cast<pid_t>(pid), SIGKILL) != 0) {
        return false;
    }
    // SIGKILL is asynchronous; wait briefly so that a following IsProcessRunning sees it gone.
    for (int i = 0; i < 200 && alive(pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace quillan
