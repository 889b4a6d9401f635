#include "platform/ProgramRunner.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const fs::path helper = QUILLAN_TEST_HELPER;

std::vector<std::string> wordsIn(const std::string& bytes) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find('\0', at);
        words.push_back(bytes.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

} // namespace

TEST(RunProgram, AnswersTheExitCodeAndSearchesTheSystemPathForABareName) {
    const ProgramRun run = runProgram(helper, {"exit", "3"}, 10s);
    EXPECT_EQ(run.outcome, ProgramRun::Outcome::Exited);
    EXPECT_EQ(run.exitCode, 3);
#ifdef _WIN32
    const ProgramRun shell = runProgram("cmd", {"/c", "exit 7"}, 10s);
#else
    const ProgramRun shell = runProgram("sh", {"-c", "exit 7"}, 10s);
#endif
    EXPECT_EQ(shell.outcome, ProgramRun::Outcome::Exited);
    EXPECT_EQ(shell.exitCode, 7);
}

TEST(RunProgram, AProgramPathWithBlanksAndArgumentsWithBlanksAndQuotesArriveIntact) {
    TempDir dir;
#ifdef _WIN32
    const fs::path program = dir / "Program Files" / "run me.exe"; // found without its ending too
#else
    const fs::path program = dir / "Program Files" / "run me";
#endif
    fs::create_directories(program.parent_path());
    fs::copy_file(helper, program);
    const fs::path out = dir / "out put.bin";
    const std::vector<std::string> words = {"a b",           "say \"hi\"",       "",
                                            "back\\slash\\", "semi;colon $HOME", "'q'"};
    std::vector<std::string> args = {"args", out.string()};
    args.insert(args.end(), words.begin(), words.end());
    const ProgramRun run = runProgram(program, args, 10s);
    ASSERT_EQ(run.outcome, ProgramRun::Outcome::Exited) << run.error;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(wordsIn(readFile(out)), words);
}

#ifndef _WIN32
TEST(RunProgram, TheChildGetsNoDescriptorOfOursBeyondTheStandardOnes) {
    TempDir dir;
    // Opened the way a library might: without close-on-exec.
    const int inherited = ::open((dir / "held").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(inherited, 0);
    const ProgramRun run = runProgram(helper, {"fds", (dir / "fds").string()}, 10s);
    ::close(inherited);
    ASSERT_EQ(run.outcome, ProgramRun::Outcome::Exited);
    EXPECT_EQ(readFile(dir / "fds"), "");
}
#endif

TEST(RunProgram, AProgramThatDoesNotEndIsEndedAtTheTimeOutAndTheWindowRepaintsMeanwhile) {
    int repaints = 0;
    const auto started = std::chrono::steady_clock::now();
    const ProgramRun run = runProgram(helper, {"sleep", "30"}, 300ms, [&] { ++repaints; });
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(run.outcome, ProgramRun::Outcome::TimedOut);
    EXPECT_FALSE(run.error.empty());
    EXPECT_LT(took, 5s);
    EXPECT_GE(took, 300ms);
    EXPECT_GE(repaints, 3); // polled with a short sleep, not once at the end
}

TEST(RunProgram, AProgramThatCannotBeStartedSaysWhy) {
    TempDir dir;
    writeFile(dir / "not-executable", "#!/bin/sh\n");
    for (const fs::path& p : {dir / "missing", dir / "not-executable", fs::path("quillan-no-such-program")}) {
        SCOPED_TRACE(p.string());
        const ProgramRun run = runProgram(p, {}, 10s);
        EXPECT_EQ(run.outcome, ProgramRun::Outcome::NotStarted);
        EXPECT_NE(run.error.find(p.string()), std::string::npos) << run.error;
    }
}

TEST(WindowsCommandLine, QuotesEachWordSoThatTheRuntimeParserGivesItBack) {
    struct Case {
        std::vector<std::string> words; // the program first
        std::string line;
    };
    const Case cases[] = {
        {{"regsvr32", "/u", "C:\\Tervik\\Bin\\Comp.dll"}, "regsvr32 /u C:\\Tervik\\Bin\\Comp.dll"},
        {{"C:\\Program Files\\x.exe", "a b"}, "\"C:\\Program Files\\x.exe\" \"a b\""},
        {{"p", ""}, "p \"\""},
        {{"p", "say \"hi\""}, "p \"say \\\"hi\\\"\""},
        {{"p", "back\\slash\\"}, "p back\\slash\\"},     // no quote near: backslashes stay
        {{"p", "C:\\My Dir\\"}, "p \"C:\\My Dir\\\\\""}, // doubled before the closing quote
        {{"p", "a\\\"b"}, "p \"a\\\\\\\"b\""},           // a\"b: 2n+1 backslashes before \"
        {{"p", "tab\there"}, "p \"tab\there\""},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.line);
        const std::vector<std::string> args(k.words.begin() + 1, k.words.end());
        EXPECT_EQ(windowsCommandLine(k.words[0], args), k.line);
    }
}
