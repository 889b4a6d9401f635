// Processes through /proc. POSIX cannot choose another process's exit code, so ending a process
// means SIGKILL, which, like TerminateProcess, gives the program no chance to object.
#include "platform/Processes.h"

#include "platform/OsHooks.h"
#include "platform/posix/ProcFile.h"

#include <charconv>
#include <chrono>
#include <climits>
#include <csignal>
#include <filesystem>
#include <sys/types.h>
#include <thread>
#include <unistd.h>

namespace quillan {
namespace fs = std::filesystem;

namespace {

// The state letter of /proc/<pid>/stat ('Z' for a zombie); 0 when the process is gone.
char processState(std::uint32_t pid) {
    const std::string stat = posix::readProcFile(fs::path("/proc") / std::to_string(pid) / "stat");
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
    const std::string cmdline = posix::readProcFile(procDir / "cmdline");
    const std::string first = cmdline.substr(0, cmdline.find('\0'));
    if (!first.empty()) {
        const std::string word = first.substr(0, first.find(' '));
        return fs::path(word).filename().string();
    }
    std::string comm = posix::readProcFile(procDir / "comm");
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
