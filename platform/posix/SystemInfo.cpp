// Drives come from the drive map; free space from statvfs; the desktop opener is xdg-open.
#include "platform/SystemInfo.h"

#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quillan {

std::vector<FixedDrive> scanFixedDrives(const PathMap& map) {
    std::vector<FixedDrive> drives;
    for (const auto& [letter, root] : map.drives()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(root, ec)) {
            continue; // a drive that is not there is not ready
        }
        struct statvfs fs {};
        if (::statvfs(root.c_str(), &fs) != 0) {
            continue;
        }
        drives.push_back(
            {letter, static_cast<std::uint64_t>(fs.f_bavail) * static_cast<std::uint64_t>(fs.f_frsize)});
    }
    return drives;
}

std::string computerName() {
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0) {
        return {};
    }
    std::string name(buffer);
    return name.substr(0, name.find('.'));
}

std::filesystem::path systemToolFolder() {
    return {};
}

std::string systemDriveText() {
    const char* configured = std::getenv("QUILLAN_SYSTEM_DRIVE");
    if (configured != nullptr && *configured != '\0') {
        return std::string(configured).substr(0, 2);
    }
    return "C:";
}

bool openWithAssociatedProgram(const std::filesystem::path& file) {
    std::string program = "xdg-open";
    std::string argument = file.string();
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    // Not waited for by the caller; a detached reaper keeps it from lingering as a zombie.
    std::thread([pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }).detach();
    return true;
}

std::filesystem::path executableFolder(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self.parent_path();
    const auto fromArg = std::filesystem::absolute(argv0 ? argv0 : ".", ec);
    return ec ? std::filesystem::current_path() : fromArg.parent_path();
}

bool standardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) != 0;
}

bool graphicalDisplayNamed() {
#ifdef __APPLE__
    return true; // the window server is always there for a logged-in user
#else
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
            return true;
    return false;
#endif
}

} // namespace quillan
