#include "platform/SafeReplace.h"

#include "ChildPrograms.h"
#include "platform/FileCopy.h"
#include "platform/FolderListing.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

namespace {

// Whole seconds: the C runtime's setter on Windows keeps no fraction.
const auto anOldTime =
    std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));

} // namespace

TEST(ReplaceFileSafely, ReplacesAReadOnlyTargetKeepsTheSourceTimeAndLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path source = dir / "update" / "Report.rpt";
    const fs::path target = dir / "bin" / "Report.rpt";
    writeFile(source, "new bytes");
    fs::last_write_time(source, anOldTime);
    writeFile(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);

    replaceFileSafely(source, target);
    EXPECT_EQ(readFile(target), "new bytes");
    EXPECT_EQ(fs::last_write_time(target), anOldTime);
    EXPECT_NE(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(fileNamesIn(dir / "bin"), std::vector<std::string>{"Report.rpt"});
    EXPECT_EQ(readFile(source), "new bytes"); // the source stays

    replaceFileSafely(source, dir / "bin" / "New.rpt"); // a target that did not exist
    EXPECT_EQ(readFile(dir / "bin" / "New.rpt"), "new bytes");
}

TEST(ReplaceFileSafely, ReplacesTheFileOfARunningProgramWhichGoesOnRunning) {
    ChildPrograms children;
    const std::string name = children.name("", "Tervik.exe");
    const auto pid = children.start(name);
    const fs::path target = children.dir() / name;
    TempDir update;
    writeFile(update / name, "the new release");
    // Writing into a running program's file is refused: the replacement must not try that.
    EXPECT_THROW(copyFileInChunks(update / name, target), std::system_error);

    replaceFileSafely(update / name, target);
    EXPECT_EQ(readFile(target), "the new release");
    EXPECT_TRUE(children.stillRunning(pid));
    // Whatever copy the running program still uses is no file of the release.
    EXPECT_EQ(listPlainFiles(children.dir()), std::vector<fs::path>{target});
}

TEST(ReplaceFileSafely, AFailureLeavesTheTargetAsItWasAndNoTemporaryFile) {
    TempDir dir;
    writeFile(dir / "source", "new");
    // A folder in the target's place: the copy succeeds, the rename cannot.
    writeFile(dir / "target" / "inside", "kept");
    EXPECT_ANY_THROW(replaceFileSafely(dir / "source", dir / "target"));
    EXPECT_EQ(readFile(dir / "target" / "inside"), "kept");
    EXPECT_EQ(fileNamesIn(dir.path()), (std::vector<std::string>{"source", "target"}));

    // A missing source: nothing is created at all.
    writeFile(dir / "kept", "old");
    EXPECT_ANY_THROW(replaceFileSafely(dir / "missing", dir / "kept"));
    EXPECT_EQ(readFile(dir / "kept"), "old");
    EXPECT_EQ(fileNamesIn(dir.path()), (std::vector<std::string>{"kept", "source", "target"}));
}

// Windows: a locked file stands in for the folder that cannot be written (win32/Win32FileTest.cpp).
#ifndef _WIN32
TEST(ReplaceFileSafely, AFolderThatCannotBeWrittenIsReportedAndTheTargetKept) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    TempDir dir;
    writeFile(dir / "source", "new");
    writeFile(dir / "locked" / "target", "old");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_ANY_THROW(replaceFileSafely(dir / "source", dir / "locked" / "target"));
    EXPECT_EQ(readFile(dir / "locked" / "target"), "old");
    EXPECT_EQ(fileNamesIn(dir / "locked"), std::vector<std::string>{"target"});
    fs::permissions(dir / "locked", fs::perms::owner_all);
}
#endif

// A process killed in the middle of the copy: the target keeps its old bytes, and the temporary
// it leaves (hidden, so no listing shows it) goes with the next replacement into that folder. The
// copy is held half-way by a pipe as its source, so the kill lands there every time.
#ifndef _WIN32
TEST(ReplaceFileSafely, ATemporaryLeftByAKilledCopyGoesWithTheNextReplacementIntoItsFolder) {
    TempDir dir;
    const fs::path target = dir / "bin" / "Tervik.exe";
    writeFile(target, "the old program");
    writeFile(dir / "bin" / ".profile.part", "a file of the user's, not a temporary");
    const fs::path pipe = dir / "source.pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    const pid_t copier = ::fork();
    ASSERT_GE(copier, 0);
    if (copier == 0) {
        try {
            replaceFileSafely(pipe, target);
        } catch (...) {
        }
        ::_exit(0);
    }
    const int writer = ::open(pipe.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    const std::string half(64 * 1024, 'n');
    ASSERT_EQ(::write(writer, half.data(), half.size()), static_cast<ssize_t>(half.size()));
    const auto temporaries = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir / "bin"))
            if (e.path().filename().string().starts_with(".Tervik.exe."))
                names.push_back(e.path().filename().string());
        return names;
    };
    for (int i = 0; i < 5000; ++i) {
        const auto t = temporaries();
        std::error_code ec;
        if (t.size() == 1 && fs::file_size(dir / "bin" / t.front(), ec) == half.size())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(copier, SIGKILL);
    ::waitpid(copier, nullptr, 0);
    ::close(writer);
    ASSERT_EQ(temporaries().size(), 1u) << "the copy was killed half-way";
    EXPECT_EQ(readFile(target), "the old program");

    // One of a process that still runs (this one stands in for it) is another copy under way.
    const fs::path running = dir / "bin" / (".Report.rpt." + std::to_string(::getpid()) + "-7.part");
    writeFile(running, "under way");
    writeFile(dir / "update" / "Tervik.exe", "the new program");
    replaceFileSafely(dir / "update" / "Tervik.exe", dir / "bin" / "Other.exe");
    EXPECT_TRUE(temporaries().empty());
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(dir / "bin" / ".profile.part"));
    EXPECT_EQ(readFile(target), "the old program");
}
#endif
