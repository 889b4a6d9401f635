// The timer event with the phases as built so far, on the embedded engine: the pending check's
// statements run on a real database and decide how the process ends.
#include "console/RunDriver.h"
#include "console/RunPhases.h"
#include "tests/support/SetupDetailsEngine.h"
#include "tests/support/TestConsole.h"

#include <gtest/gtest.h>

namespace quillan {
namespace {

const std::string P = "[Tervik]";

struct RunOnEngine : ::testing::Test {
    test::TempDir dir;
    test::RecordingOperator op; // refuses every question, as TestConsole's does
    Console c{dir.path(), op};

    RunOnEngine() {
        op.answer = false;
        c.conn = test::openSetupDetailsEngine(dir.path() / "Data");
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
    EXPECT_TRUE(c.state.run.closed());
    EXPECT_TRUE(c.state.run.runFailed);
    EXPECT_NE(c.log.readAll().find(">>-Path corrections: not built yet in this version"), std::string::npos);
}

} // namespace
} // namespace quillan
