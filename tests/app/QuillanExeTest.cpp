// The quillan and quillan-sample executables: options, outcomes, exit codes and output; and the
// command line every tool shares.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/platform/TestSupport.h"
#include "tests/support/Command.h"

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Result = quillan::test::CommandResult;

namespace {

const fs::path kBin = fs::path(QUILLAN_BINARY_DIR) / "app";

Result run(const std::string& command) {
    return quillan::test::runCommand(command);
}
std::string quote(const fs::path& p) {
    return quillan::test::shellQuote(p.string());
}

const std::string kQuillan = quote(kBin / "quillan");

// A sample installation made by quillan-sample with the given options, and headless start-up on it.
struct Installed {
    quillan::test::TempDir base;
    fs::path dir = base / "install";
    explicit Installed(const std::string& options) {
        const Result made = run(quote(kBin / "quillan-sample") + " " + quote(dir) + " " + options);
        EXPECT_EQ(made.code, 0) << made.out;
    }
    Result start() const { return run(kQuillan + " --app-dir " + quote(dir) + " --headless"); }
    std::string log() const { return quillan::test::readFile(dir / "Tervik" / "Logs" / "DeployErrlog.log"); }
};

} // namespace

TEST(EveryTool, HelpAndOwnVersionEndWithZeroABadCommandLineWith64) {
    for (const char* tool : {"quillan", "quillan-sample", "quillan-sql", "quillan-office"}) {
        SCOPED_TRACE(tool);
        const Result version = run(quote(kBin / tool) + " --version");
        EXPECT_EQ(version.code, 0);
        EXPECT_EQ(version.out.rfind(std::string(tool) + " ", 0), 0u) << version.out;
        EXPECT_EQ(run(quote(kBin / tool) + " --help").code, 0);
        // quillan passes options it does not know to the window's toolkit, unless headless.
        EXPECT_EQ(run(quote(kBin / tool) + " --headless --bogus x").code, 64);
    }
    for (const char* args :
         {"--answer continue=maybe", "--answer later=yes", "--app-dir /nonexistent/quillan"})
        EXPECT_EQ(run(kQuillan + " --headless " + args).code, 64) << args;
}

// Without a display the window is refused before anything is read (a Qt abort before); on a
// platform nobody sees, it neither waits for a box nor for an operator to close it.
TEST(QuillanExe, TheWindowWithoutADisplayIsRefusedAndOffscreenEndsWithTheRun) {
    Installed t("--notice 'Read me first'");
    const std::string quillan = kQuillan + " --app-dir " + quote(t.dir);
    const Result none = run("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + quillan);
    if (none.out.find("has no window") != std::string::npos)
        GTEST_SKIP() << "built without the window";
    EXPECT_EQ(none.code, 5) << none.out;
    EXPECT_THAT(none.out, HasSubstr("quillan: no display to open the window on"));
    EXPECT_FALSE(fs::exists(t.dir / "Tervik" / "Logs" / "DeployErrlog.log"));

    const Result unseen = run("QT_QPA_PLATFORM=offscreen timeout 120 " + quillan);
    EXPECT_EQ(unseen.code, 2) << "the notice got the safe answer, Cancel\n" << unseen.out;
    EXPECT_THAT(unseen.out, HasSubstr("Read me first -> Cancel"));
    EXPECT_THAT(quillan::test::readFile(t.dir / "Tervik" / "Logs" / "DeployRuns.jsonl"),
                HasSubstr("\"exitCode\":2"));
}

// A setting left out refuses the start (the log says which; each setting's line is in
// SampleStartupTest.cpp); without a log folder the box is all there is.
TEST(QuillanExe, MissingSettingIsRefusedBeforeAnyChange) {
    Installed t("--mode http --without seqno35");
    const Result r = t.start();
    EXPECT_EQ(r.code, 5) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Start-up: stopped without a run"));
    EXPECT_THAT(t.log(), HasSubstr(">>-Update Folder Not Configured\r\n"));
    const Result noLog = Installed("--without seqno37").start();
    EXPECT_EQ(noLog.code, 5) << noLog.out;
    EXPECT_THAT(noLog.out, HasSubstr("[Quillan] Error Log Folder not Configured"));
}

TEST(QuillanExe, UnansweredNoticeIsCancelledAndSaidSo) {
    Installed t("--notice 'Read me first'");
    const Result r = t.start();
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Read me first -> Cancel (no answer given for \"notice\""));
    EXPECT_THAT(t.log(), HasSubstr(">>-No answer given for the question \"notice\""));
}

TEST(QuillanOfficeExe, AFaultWithoutItsByteOrNameIsRefused) {
    quillan::test::TempDir root;
    for (const char* args : {"--drop-after App.zip", "--stall-after App.zip=x", "--missing ''"}) {
        const Result r = run(quote(kBin / "quillan-office") + " " + quote(root.path()) + " " + args);
        EXPECT_EQ(r.code, 64) << args << "\n" << r.out;
        EXPECT_THAT(r.out, HasSubstr("quillan-office: a fault is NAME")) << args;
    }
}
