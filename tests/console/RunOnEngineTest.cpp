// The timer event with the phases as built so far, on the embedded engine: the pending check's
// statements run on a real database and decide how the process ends.
#include "console/RunDriver.h"
#include "console/RunPhases.h"
#include "install/FinishingStatements.h"
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
    db->execute(finishReleaseRowsStatement(kPrefix)); // the run that applied it closed
    auto phases = makeRunPhases();
    Timer1_Timer(c, *phases);
    EXPECT_EQ(c.ending(), Ending::AlreadyUpToDate);
    EXPECT_EQ(op.informed, std::vector<std::string>{"Updates Completed successfully"});
    EXPECT_NE(log().find(">>-Deployment Process Completed\r\n"), std::string::npos);
}

// The phases as wired, on a LAN client with a pending release: nothing to download or unpack, no
// database backup and no hotfix on this machine; every later phase runs, none is a stand-in, a
// skipped step is never shown as failed, and the run closes visibly as completed. The hotfix stays
// pending until the server machine records it.
TEST_F(RunOnEngine, PendingReleaseOnALanClientRunsEveryPhaseAndCompletes) {
    addHotfix(4);
    db->execute("CREATE TABLE [Tervik].dbo.FN_SetupDetails (Arg INT, Answer INT)");
    db->execute("CREATE TABLE [Tervik].dbo.MandatoryDeployment (FileDownloaded INT, DeploymentSatus INT, "
                "MantatoryStatus INT, HFixID INT)");
    test::createInstallationTables(*db);
    c.model.setBusy(true); // as the session sets it
    auto phases = makeRunPhases();
    Timer1_Timer(c, *phases);
    EXPECT_FALSE(c.programEnded());
    EXPECT_TRUE(c.state.run.closed());
    EXPECT_FALSE(c.state.run.runFailed) << log();
    EXPECT_EQ(c.state.run.completedPhase, 12);
    EXPECT_EQ(c.state.run.outcome, RunOutcome::Completed);
    EXPECT_EQ(op.informed, std::vector<std::string>{"Completed Successfully"});
    EXPECT_EQ(log().find("not built"), std::string::npos);
    EXPECT_EQ(log().find("Deploy-script"), std::string::npos) << "a LAN client fetches no deploy script";
    for (int i = 0; i < kChecklistRows; ++i)
        EXPECT_NE(c.model.checklist(static_cast<Row>(i)).status, RowStatus::Failed) << "row " << i;
    EXPECT_EQ(c.model.checklist(Row::DatabaseBackup).status, RowStatus::New) << "skipped on a LAN client";
    EXPECT_EQ(c.model.checklist(Row::RemovingFiles).status, RowStatus::Completed);
    EXPECT_NE(c.model.checklist(Row::RollBackForError).status, RowStatus::Completed) << "nothing to undo";
    EXPECT_TRUE(c.model.buttonEnabled(Button::CmdExit));
    EXPECT_EQ(c.model.statusBox(), log()) << "the log is shown at the end";
    EXPECT_EQ(db->query("SELECT Status FROM [Tervik].dbo.SetupDetails").field("Status").asInt(), 3);
    EXPECT_EQ(db->query("SELECT COUNT(*) AS N FROM [Tervik].dbo.DeploymentVesrion").field("N").asInt(), 1);
    // What the window shows at the end agrees with the outcome.
    EXPECT_EQ(c.model.panel(true, 1), "1") << "the panels show the release the run installed";
    EXPECT_EQ(c.model.label(Label::lblPrs), "Completed");
    EXPECT_EQ(c.model.labelColour(Label::LblStatus), kGreen);
    EXPECT_FALSE(c.model.busy());
}

} // namespace
} // namespace quillan
