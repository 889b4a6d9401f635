// The finishing operation on the engine: the cleanup of backup copies, the outcome it writes, the
// pruning of old hotfix scripts, the operator's stop, and the completion records before it.
#include "install/Finishing.h"
#include "install/CompletionRecords.h"
#include "install/RemovingFiles.h"
#include "tests/install/FinishingFixture.h"

namespace quillan {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

struct Finishing : test::FinishingFixture {};

TEST_F(Finishing, FailureBeforeTheInstallationClosesWithErrorAndMarksTheRows) {
    addExtension("tmp", 1);
    addFile("a.exe", 1);
    writeFile(update / "old.tmp", "x");
    writeFile(backup / "copy.TMP", "x");
    writeFile(backup / "keep.bak", "db");
    c->state.run.runFailed = true; // the script download failed; the run went on to its end
    c->state.run.completedPhase = 12;
    c->model.setBusy(true);
    EXPECT_TRUE(RollBack(*c));
    EXPECT_FALSE(fs::exists(update / "old.tmp"));
    EXPECT_FALSE(fs::exists(backup / "copy.TMP"));
    EXPECT_TRUE(fs::exists(backup / "keep.bak"));
    EXPECT_EQ(statuses(), std::vector<std::string>{"3"});
    EXPECT_EQ(c->model.label(Label::LblStatus), "Completed Successfuly");
    EXPECT_EQ(c->model.label(Label::lblPrs), "Error");
    EXPECT_EQ(c->model.labelColour(Label::lblPrs), kRed);
    EXPECT_EQ(c->model.labelColour(Label::LblStatus), kRed) << "the sentence is coloured as the outcome";
    EXPECT_FALSE(c->model.busy()) << "the busy notice goes once the outcome is written";
    EXPECT_EQ(c->model.label(Label::lblDl), "Downloading      :");
    EXPECT_EQ(op.informed, std::vector<std::string>{"Completed with Error, Check Error Log for Errors"});
    EXPECT_EQ(c->state.run.outcome, RunOutcome::CompletedWithErrors);
    EXPECT_EQ(c->model.checklist(Row::RemovingFiles).status, RowStatus::Completed);
    EXPECT_TRUE(c->model.buttonEnabled(Button::CmdExit));
    EXPECT_TRUE(c->model.buttonEnabled(Button::CmdViewLog));
}

TEST_F(Finishing, SuccessPrunesTheHotfixScriptsOfLowerNumbers) {
    addExtension("sql", 2);
    addFile("25 fix.sql", 1, 25, 0, 1, 1, "sql");
    addFile("24 fix.sql", 1, 24, 0, 1, 1, "sql");
    for (const char* name : {"25 fix.sql", "24 fix.sql", "fix.sql", "24 notes.txt"})
        writeFile(update / name, "x");
    fs::create_directories(update / "24 dir.sql");
    c->state.run.completedPhase = 12;
    EXPECT_TRUE(RollBack(*c));
    EXPECT_EQ(test::fileNamesIn(update),
              (std::vector<std::string>{"24 dir.sql", "24 notes.txt", "25 fix.sql"}));
    EXPECT_EQ(op.informed, std::vector<std::string>{"Completed Successfully"});
    EXPECT_EQ(c->model.label(Label::lblPrs), "Completed");
    EXPECT_EQ(c->model.labelColour(Label::lblPrs), kGreen);
    EXPECT_EQ(c->model.labelColour(Label::LblStatus), kGreen);
    EXPECT_EQ(c->state.run.outcome, RunOutcome::Completed);
    EXPECT_EQ(c->state.run.completedPhase, 12);
}

TEST_F(Finishing, OperatorStopsArePendingWithTheirOwnMessage) {
    for (const bool refusedToClose : {true, false}) {
        op.informed.clear();
        c->state.run = RunState{};
        c->state.run.operatorStopped = refusedToClose;
        c->state.run.completedPhase = refusedToClose ? 6 : 4;
        c->model.setOverall(true, 40);
        ChecklistRow r;
        r.barVisible = r.percentVisible = true;
        r.barValue = 3;
        c->model.setChecklist(Row::FileBackup, r);
        EXPECT_TRUE(RollBack1(*c));
        EXPECT_EQ(op.informed, std::vector<std::string>{refusedToClose ? "Quillan Pending"
                                                                       : "File downloaded successfully"});
        EXPECT_EQ(c->model.label(Label::lblPrs), "Pending");
        EXPECT_EQ(c->model.overallValue(), 100);
        EXPECT_EQ(c->model.overallPercent(), "100 %");
        EXPECT_FALSE(c->model.checklist(Row::FileBackup).barVisible);
        EXPECT_FALSE(c->model.checklist(Row::FileBackup).percentVisible);
        EXPECT_EQ(c->model.checklist(Row::FileBackup).barValue, 0);
        EXPECT_EQ(c->state.run.outcome, RunOutcome::Stopped);
        EXPECT_EQ(c->model.checklist(Row::RollBackForError).status, RowStatus::New) << "a stop is not undone";
    }
}

TEST_F(Finishing, LockedBackupCopyStillEndsTheRunVisibly) {
    addExtension("tmp", 1);
    addFile("a.exe", 1);
    writeFile(update / "locked.tmp", "x");
    machine.lockedNames = {"locked.tmp"};
    c->state.run.completedPhase = 12;
    EXPECT_FALSE(RollBack(*c));
    EXPECT_TRUE(has(log(), "file is locked"));
    EXPECT_TRUE(has(log(), " in Removing Files \r\n"));
    EXPECT_TRUE(c->model.buttonEnabled(Button::CmdExit));
    EXPECT_TRUE(c->model.buttonEnabled(Button::CmdViewLog));
    EXPECT_TRUE(c->state.run.runFailed);
    EXPECT_EQ(c->state.run.outcome, RunOutcome::CompletedWithErrors);
    EXPECT_EQ(op.informed, std::vector<std::string>{"Completed with Error, Check Error Log for Errors"});
    EXPECT_EQ(c->model.checklist(Row::RemovingFiles).status, RowStatus::Failed);
    EXPECT_EQ(c->model.grid().at(4).status, RowStatus::Failed);
    EXPECT_EQ(statuses(), std::vector<std::string>{"1"}) << "the outcome rows are not written";
}

TEST_F(Finishing, FolderNamedLikeABackupCopyIsLeftAndTheRunCloses) {
    addExtension("tmp", 1);
    fs::create_directories(update / "cache.tmp");
    writeFile(update / "cache.tmp" / "inside.tmp", "x");
    c->state.run.completedPhase = 12;
    EXPECT_TRUE(RollBack(*c));
    EXPECT_TRUE(fs::exists(update / "cache.tmp" / "inside.tmp"));
    EXPECT_EQ(c->state.run.outcome, RunOutcome::Completed);
}

TEST_F(Finishing, HostileExtensionsRemoveNothingOutsideTheirFiles) {
    for (const char* e : {"*", "", "..\\x", "bak", "Zip", "a b", "t?p", "tmp"})
        addExtension(e, 1);
    for (const char* name : {"db.bak", "db.BAK", "db.zip", "plain", "x", "copy.tmp", "copy.TMP"})
        writeFile(backup / name, "x");
    writeFile(dir / "x", "outside");
    writeFile(dir / "outside.tmp", "outside");
    EXPECT_TRUE(RemovingFiles(*c, c->state.backupFolder));
    EXPECT_EQ(test::fileNamesIn(backup),
              (std::vector<std::string>{"db.BAK", "db.bak", "db.zip", "plain", "x"}));
    EXPECT_TRUE(fs::exists(dir / "x"));
    EXPECT_TRUE(fs::exists(dir / "outside.tmp"));
    EXPECT_TRUE(has(log(), ">>-Extension '*' of FileExtension skipped"));
    EXPECT_TRUE(has(log(), ">>-Extension '..\\x' of FileExtension skipped"));

    struct Case {
        const char* extension;
        bool removable;
    };
    for (const Case& k : {Case{"tmp", true}, Case{"Dll2", true}, Case{"BAK", false}, Case{"zIp", false},
                          Case{"", false}, Case{"*", false}, Case{"..\\x", false}, Case{"a/b", false}})
        EXPECT_EQ(isRemovableBackupExtension(k.extension), k.removable) << k.extension;
}

TEST_F(Finishing, EmptyOrMissingFolderHoldsNothingToRemove) {
    addExtension("log", 1);
    EXPECT_TRUE(RemovingFiles(*c, ""));
    EXPECT_TRUE(RemovingFiles(*c, c->paths.toWindows(dir / "missing")));
}

// ---- completion records ---------------------------------------------------------------------

TEST_F(Finishing, CompletionRecordsOfTwoHostsKeepTheLastOne) {
    addMandatoryReleases();
    conn->execute("UPDATE [Tervik].dbo.MandatoryDeployment SET FileDownloaded = 1");
    addHotfixScripts();
    for (const char* host : {"HOST1", "HOST2"}) {
        c->state.run = RunState{};
        c->state.computerName = host;
        c->state.run.completedPhase = 11;
        EXPECT_TRUE(UpdateDeploymentStatus(*c));
        EXPECT_EQ(c->state.run.completedPhase, 12);
        EXPECT_EQ(c->state.run.outcome, RunOutcome::Completed);
    }
    EXPECT_EQ(column("SELECT HostName FROM [Tervik].dbo.DeploymentVesrion", "HostName"),
              std::vector<std::string>{"HOST2"});
    EXPECT_EQ(column("SELECT ProcessexeName + '|' + VersionId AS v FROM [Tervik].dbo.DeploymentVesrion", "v"),
              std::vector<std::string>{"Quillan.exe|QL.0.0.1"});
    EXPECT_EQ(
        column(
            "SELECT DeploymentSatus FROM [Tervik].dbo.MandatoryDeployment ORDER BY HFixID, MantatoryStatus",
            "DeploymentSatus"),
        (std::vector<std::string>{"0", "0", "1"}));

    conn->execute("DROP TABLE [Tervik].dbo.DeploymentVesrion"); // an installation without the table
    c->state.run = RunState{};
    EXPECT_TRUE(UpdateDeploymentStatus(*c));
    EXPECT_EQ(c->state.run.outcome, RunOutcome::Completed);
}

TEST_F(Finishing, FailingCompletionRecordIsLoggedAndTheRunStillClosed) {
    conn->execute("DROP TABLE [Tervik].dbo.MandatoryDeployment");
    c->state.computerName = "HOST1";
    EXPECT_FALSE(UpdateDeploymentStatus(*c));
    EXPECT_TRUE(has(log(), " in UpdateDeploymentStatus\r\n"));
    EXPECT_TRUE(c->state.run.runFailed);
    EXPECT_EQ(c->state.run.outcome, RunOutcome::CompletedWithErrors);
    EXPECT_TRUE(c->model.buttonEnabled(Button::CmdExit));
    EXPECT_EQ(column("SELECT HostName FROM [Tervik].dbo.DeploymentVesrion", "HostName"),
              std::vector<std::string>{"HOST1"})
        << "the version row is written all the same";
}

} // namespace
} // namespace quillan
