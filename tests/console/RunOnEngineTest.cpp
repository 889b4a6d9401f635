// The timer event with the phases as built so far, on the embedded engine: the pending check's
// statements run on a real database and decide how the process ends.
#include "console/RunDriver.h"
#include "console/RunPhases.h"
#include "platform/db/embedded/EmbeddedEngine.h"
#include "tests/status/ScriptedConnection.h"

#include <gtest/gtest.h>

namespace quillan {
namespace {

const std::string P = "[Tervik]";

struct RunOnEngine : ::testing::Test {
    test::TempDir dir;
    test::RecordingOperator op;
    Console c{dir.path(), op};

    RunOnEngine() {
        db::EmbeddedOptions o;
        o.dataFolder = dir.path() / "Data";
        c.conn = db::openEmbeddedConnection(o);
        c.conn->execute("CREATE DATABASE [Tervik]");
        c.conn->execute(
            "CREATE TABLE " + P +
            ".dbo.SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), File_CrDate DATETIME, "
            "File_UnZipDate DATETIME, Status INT, RegRequired INT, HotfixNo INT, VersionNo INT, "
            "UploadFileSize BIGINT, DownloadFileSize BIGINT, FileExtension VARCHAR(10), "
            "FileSplitStatus INT)");
        c.conn->execute("CREATE TABLE " + P + ".dbo.HotFixLog (FixId INT)");
        c.state.dbPrefix = P;
        c.state.isLocalServer = false;
        c.state.timerEnabled = true;
        c.log.open(dir.path() / "DeployErrlog.log");
    }
    void addHotfix(int n) {
        c.conn->execute("INSERT INTO " + P + ".dbo.SetupDetails VALUES ('" + std::to_string(n) +
                        " fix.sql','App.Path','2024-03-01 10:00:00',NULL,1,0," + std::to_string(n) +
                        ",1,100,100,'sql',0)");
    }
};

TEST_F(RunOnEngine, AppliedReleaseEndsTheProgramAfterThePendingCheck) {
    addHotfix(4);
    c.conn->execute("INSERT INTO " + P + ".dbo.HotFixLog VALUES (4)");
    auto phases = makeRunPhases();
    Timer1_Timer(c, *phases);
    EXPECT_EQ(c.ending(), Ending::AlreadyUpToDate);
    EXPECT_EQ(op.informed, std::vector<std::string>{"Updates Completed successfully"});
    EXPECT_NE(c.log.readAll().find(">>-Deployment Process Completed\r\n"), std::string::npos);
}

TEST_F(RunOnEngine, PendingReleaseGoesOnAndStopsAtTheFirstMissingPhase) {
    addHotfix(4);
    auto phases = makeRunPhases();
    Timer1_Timer(c, *phases);
    EXPECT_FALSE(c.programEnded());
    EXPECT_TRUE(c.state.runFinished);
    EXPECT_TRUE(c.state.runFailed);
    EXPECT_NE(c.log.readAll().find(">>-Path corrections: not built yet in this version"), std::string::npos);
}

} // namespace
} // namespace quillan
