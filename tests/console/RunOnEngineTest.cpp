// The timer event with the phases as built so far, on the embedded engine: the pending check's
// statements run on a real database and decide how the process ends.
#include "console/RunDriver.h"
#include "console/RunPhases.h"
#include "tests/support/EngineConsole.h"

#include <gtest/gtest.h>

namespace quillan {
namespace {

struct RunOnEngine : ::testing::Test, test::EngineConsole {
    RunOnEngine() {
        c.state.isLocalServer = false;
        c.state.timerEnabled = true;
    }
};

TEST_F(RunOnEngine, AppliedReleaseEndsTheProgramAfterThePendingCheck) {
    addHotfix(4);
    recordHotfixApplied(4);
    auto phases = makeRunPhases();
    Timer1_Timer(c, *phases);
    EXPECT_EQ(c.ending(), Ending::AlreadyUpToDate);
    EXPECT_EQ(op.informed, std::vector<std::string>{"Updates Completed successfully"});
    EXPECT_NE(log().find(">>-Deployment Process Completed\r\n"), std::string::npos);
}

TEST_F(RunOnEngine, PendingReleaseGoesOnAndStopsAtTheFirstMissingPhase) {
    addHotfix(4);
    db->execute("CREATE TABLE [Tervik].dbo.FN_SetupDetails (Arg INT, Answer INT)");
    auto phases = makeRunPhases();
    Timer1_Timer(c, *phases);
    EXPECT_FALSE(c.programEnded());
    EXPECT_TRUE(c.state.run.closed());
    EXPECT_TRUE(c.state.run.runFailed);
    // The first missing phase (the file backup) closed the run through the finishing operation,
    // which leaves completedPhase at 12.
    EXPECT_EQ(c.state.run.completedPhase, 12);
    EXPECT_NE(log().find(">>-File backup: not built yet in this version"), std::string::npos);
}

} // namespace
} // namespace quillan
