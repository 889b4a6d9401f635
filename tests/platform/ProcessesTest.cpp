#include "platform/Processes.h"

#include "ChildPrograms.h"
#include "platform/Text.h"

#ifndef _WIN32
#include "platform/posix/ProcFile.h"

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

TEST(Processes, ListedByFileNameFoundByWholeNameIgnoringCaseAndKilledByNameEnding) {
    ChildPrograms children;
    const std::string longer = children.name("MY", "APP.EXE");
    const auto longPid = children.start(longer);
    const auto all = listProcesses();
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const ProcessEntry& e) { return e.pid == longPid; });
    ASSERT_NE(it, all.end());
    EXPECT_EQ(it->exeName, longer);
    EXPECT_TRUE(IsProcessRunning(lowerCase(longer)));
    const std::string app = children.name("", "app.exe");
    EXPECT_FALSE(IsProcessRunning(app)); // the end of a name is not the whole name
    EXPECT_FALSE(IsProcessRunning(""));
    EXPECT_FALSE(KillProcess(""));
    EXPECT_TRUE(children.stillRunning(longPid)); // asking ends nothing

    const auto first = children.start(app);
    const auto second = children.start(app);
    const auto other = children.start(children.name("", "other.exe"));
    EXPECT_TRUE(KillProcess(app));
    // Not yet reaped, the ended children are zombies: they must no longer count as running.
    EXPECT_FALSE(IsProcessRunning(app));
    EXPECT_FALSE(KillProcess(app)); // nothing left to match
    for (const auto pid : {first, second, longPid})
        EXPECT_TRUE(children.ended(pid)) << pid;
    EXPECT_TRUE(children.stillRunning(other));
}

TEST(KillProcessById, RefusesItselfAndProcessGroupsEndsOneAndAnswersFalseOnceItIsGone) {
    EXPECT_FALSE(KillProcessById(thisProcessId(), 0));
    EXPECT_FALSE(KillProcessById(0, 0));           // would signal our own process group
    EXPECT_FALSE(KillProcessById(0xFFFFFFFFu, 0)); // would be -1: every process we may signal
    ChildPrograms children;
    const auto pid = children.start(children.name("", "one.exe"));
    EXPECT_TRUE(KillProcessById(pid, 0));
    EXPECT_TRUE(children.ended(pid));
    EXPECT_FALSE(KillProcessById(pid, 0));
}

TEST(EndProgramAndWait, EndsEveryProgramOfExactlyThatNameButNotOneThatOnlyEndsWithIt) {
    ChildPrograms children;
    const std::string exact = children.name("", "Tervik.EXE");
    const std::string longer = children.name("My", "Tervik.exe"); // ends with the exact name
    const auto first = children.start(exact);
    const auto second = children.start(exact);
    const auto suffix = children.start(longer);
    ASSERT_TRUE(IsProcessRunning(exact));

    const std::string asked = lowerCase(exact); // case does not matter
    EXPECT_TRUE(endProgramAndWait(asked, std::chrono::seconds(5)));
    EXPECT_FALSE(IsProcessRunning(exact)); // gone on return, not only asked to go
    EXPECT_TRUE(children.ended(first));
    EXPECT_TRUE(children.ended(second));
    EXPECT_TRUE(children.stillRunning(suffix));
    EXPECT_TRUE(IsProcessRunning(longer));

    EXPECT_TRUE(endProgramAndWait(asked, std::chrono::milliseconds(0))); // nothing left: at once
    EXPECT_TRUE(endProgramAndWait("", std::chrono::milliseconds(0)));    // and nothing has no name
    EXPECT_TRUE(children.stillRunning(suffix));
}

#ifndef _WIN32
// A process reaped between the open and the read of its /proc file: read(2) fails with ESRCH,
// which a stream turns into an exception. The process list must read it as gone.
TEST(ProcFile, AProcessReapedBetweenOpenAndReadReadsAsEmpty) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(pid, 0);
    const std::string stat = "/proc/" + std::to_string(pid) + "/stat";
    EXPECT_NE(posix::readProcFile(stat), ""); // alive: its state can be read
    const int fd = ::open(stat.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(posix::readAllOrEmpty(fd), "");
    ::close(fd);
    EXPECT_EQ(posix::readProcFile(stat), ""); // gone: no file to open
}
#endif
