#pragma once
// The real executables as child processes to watch and kill: quillan-office serving a release folder,
// quillan-sample making an installation, and quillan --headless, which can be killed (SIGKILL) the moment its
// run log shows a line, optionally once a file has grown to a size.
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quillan::test {

inline std::filesystem::path executable(const std::string& name) {
    return std::filesystem::path(QUILLAN_BINARY_DIR) / "app" / name;
}

// A child process with its output in a file; ended (SIGKILL) and reaped when it goes.
class Child {
public:
    Child(const std::vector<std::string>& args, const std::filesystem::path& output) {
        std::vector<char*> argv;
        std::vector<std::string> copy = args;
        for (auto& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0)
            throw std::runtime_error("cannot start " + args.front());
    }
    ~Child() { kill(SIGKILL); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Sends the signal and reaps the child; answers its wait status.
    int kill(int signal) {
        if (pid_ > 0) {
            ::kill(pid_, signal);
            ::waitpid(pid_, &status_, 0);
            pid_ = 0;
        }
        return status_;
    }
    // The exit code once it has ended by itself, polled; nullopt while it runs.
    std::optional<int> exited() {
        if (pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_)
            pid_ = 0;
        if (pid_ > 0)
            return std::nullopt;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

private:
    pid_t pid_ = 0;
    int status_ = 0;
};

// Polls every few milliseconds until `done` answers true or the time runs out; false then.
inline bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace quillan::test
