#include "platform/Processes.h"

#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

namespace {

// Runs copies of /bin/sleep under chosen file names and reaps them at the end. Names carry this
// test process's id so that tests running in parallel never see each other's programs.
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

    // Starts the program and waits until the exec has happened, so that it shows up in the list.
    pid_t start(const std::string& fileName) {
        const fs::path exe = dir_ / fileName;
        if (!fs::exists(exe)) {
            fs::copy_file("/bin/sleep", exe);
            fs::permissions(exe, fs::perms::owner_all);
        }
        std::string program = exe.string(), seconds = "60";
        char* argv[] = {program.data(), seconds.data(), nullptr};
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

} // namespace

TEST(Processes, ListedByFileNameFoundByWholeNameIgnoringCaseAndKilledByNameEnding) {
    ChildPrograms children;
    const std::string longer = children.name("MY", "APP.EXE");
    const pid_t longPid = children.start(longer);
    const auto all = listProcesses();
    const auto it = std::find_if(all.begin(), all.end(), [&](const ProcessEntry& e) {
        return e.pid == static_cast<std::uint32_t>(longPid);
    });
    ASSERT_NE(it, all.end());
    EXPECT_EQ(it->exeName, longer);
    std::string lower = longer;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_TRUE(IsProcessRunning(lower));
    const std::string app = children.name("", "app.exe");
    EXPECT_FALSE(IsProcessRunning(app)); // the end of a name is not the whole name
    EXPECT_FALSE(IsProcessRunning(""));
    EXPECT_FALSE(KillProcess(""));
    EXPECT_TRUE(children.stillRunning(longPid)); // asking ends nothing

    const pid_t first = children.start(app);
    const pid_t second = children.start(app);
    const pid_t other = children.start(children.name("", "other.exe"));
    EXPECT_TRUE(KillProcess(app));
    // Not yet reaped, the ended children are zombies: they must no longer count as running.
    EXPECT_FALSE(IsProcessRunning(app));
    EXPECT_FALSE(KillProcess(app)); // nothing left to match
    for (pid_t pid : {first, second, longPid})
        EXPECT_TRUE(children.ended(pid)) << pid;
    EXPECT_TRUE(children.stillRunning(other));
}

TEST(KillProcessById, RefusesItselfAndProcessGroupsEndsOneAndAnswersFalseOnceItIsGone) {
    EXPECT_FALSE(KillProcessById(static_cast<std::uint32_t>(::getpid()), 0));
    EXPECT_FALSE(KillProcessById(0, 0));           // would signal our own process group
    EXPECT_FALSE(KillProcessById(0xFFFFFFFFu, 0)); // would be -1: every process we may signal
    ChildPrograms children;
    const pid_t pid = children.start(children.name("", "one.exe"));
    EXPECT_TRUE(KillProcessById(static_cast<std::uint32_t>(pid), 0));
    EXPECT_TRUE(children.ended(pid));
    EXPECT_FALSE(KillProcessById(static_cast<std::uint32_t>(pid), 0));
}
