#pragma once
// Runs copies of the test helper program under chosen file names and reaps them at the end. Names
// carry this test process's id so that tests running in parallel never see each other's programs.
#include "TestSupport.h"
#include "platform/Processes.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace quillan::test {

class ChildPrograms {
public:
    ChildPrograms() : tag_("q" + std::to_string(::getpid()) + "t" + std::to_string(counter_++)) {}
    ~ChildPrograms() {
        for (pid_t pid : pids_) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    ChildPrograms(const ChildPrograms&) = delete;
    ChildPrograms& operator=(const ChildPrograms&) = delete;

    // "app.exe" becomes e.g. "q123t0app.exe"; a prefix before it keeps the tag in the middle.
    std::string name(const std::string& prefix, const std::string& base) const {
        return prefix + tag_ + base;
    }
    // The folder the programs' files are in.
    const std::filesystem::path& dir() const { return dir_.path(); }

    // Starts the program (sleeping a minute) and waits until the exec has happened, so that it
    // shows up in the list.
    pid_t start(const std::string& fileName) {
        const std::filesystem::path exe = dir() / fileName;
        if (!std::filesystem::exists(exe)) {
            std::filesystem::copy_file(QUILLAN_TEST_HELPER, exe);
            std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
        }
        std::string program = exe.string(), mode = "sleep", seconds = "60";
        char* argv[] = {program.data(), mode.data(), seconds.data(), nullptr};
        pid_t pid = 0;
        EXPECT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
        pids_.push_back(pid);
        for (int i = 0; i < 300 && !IsProcessRunning(fileName); ++i)
            ::usleep(10000);
        return pid;
    }

    // True when the child ended by a signal (reaping it).
    bool ended(pid_t pid) {
        int status = 0;
        for (int i = 0; i < 300; ++i) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pids_.erase(std::remove(pids_.begin(), pids_.end(), pid), pids_.end());
                return WIFSIGNALED(status);
            }
            ::usleep(10000);
        }
        return false;
    }

    bool stillRunning(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) == 0; }

private:
    static inline std::atomic<int> counter_ = 0;
    TempDir dir_;
    std::string tag_;
    std::vector<pid_t> pids_;
};

} // namespace quillan::test
