// The panels and the pending check on the embedded engine: the statements as sent must run on a
// real database and give the answers the console relies on.
#include "install/FinishingStatements.h"
#include "platform/FileTimes.h"
#include "status/StatusPanel.h"
#include "tests/support/EngineConsole.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quillan {
namespace {

struct StatusOnEngine : ::testing::Test, test::EngineConsole {
    void writeProgram(const std::string& name, const std::string& localTime) {
        const auto p = c.programFolder() / name;
        std::ofstream(p) << "x";
        ASSERT_TRUE(SetFileDate(p, *DateTime::parse(localTime)));
    }
    // The close of the run that installed the rows: they leave Status 1 (in progress).
    void closeRun() { db->execute(finishReleaseRowsStatement(kPrefix)); }
};

TEST_F(StatusOnEngine, ServerDateIsTodaysDate) {
    const DateTime d = GetServerDate(c);
    EXPECT_TRUE(op.informed.empty()) << op.informed.front();
    EXPECT_EQ(d.isoDate(), DateTime::now().isoDate());
    EXPECT_EQ(c.state.serverDate, d);
}

TEST_F(StatusOnEngine, PanelsShowTheNewestVersionAndTheOneBelowIt) {
    addFile("A.exe", 2, 0, "EXE");
    addFile("B.exe", 2, 0, "EXE");
    addFile("Sales.rpt", 2, 0, "RPT");
    addFile("Old.exe", 1, 0, "EXE");
    addFile("Old.rtm", 1, 0, "RTM");
    c.state.serverDate = *DateTime::parse("2024-03-05");
    CurrentDeployStatus(c);
    EXPECT_TRUE(op.informed.empty()) << op.informed.front();
    EXPECT_EQ(c.model.panel(true, 0), "05/03/2024");
    EXPECT_EQ(c.model.panel(true, 1), "2");
    EXPECT_EQ(c.model.panel(true, 4), "2");
    EXPECT_EQ(c.model.panel(true, 5), "1");
    EXPECT_EQ(c.model.panel(true, 6), "0");
    EXPECT_EQ(c.model.panel(false, 1), "1");
    EXPECT_EQ(c.model.panel(false, 3), "1");
    EXPECT_EQ(c.model.panel(false, 4), "0");
    EXPECT_EQ(c.model.panel(false, 5), "1");
}

TEST_F(StatusOnEngine, EmptyTableShowsZerosAndOneVersionLeavesTheLastPanelsAtZero) {
    CurrentDeployStatus(c);
    EXPECT_EQ(c.model.panel(true, 1), "0");
    EXPECT_EQ(c.model.panel(true, 4), "0");
    EXPECT_EQ(c.model.panel(false, 1), "0");
    EXPECT_EQ(c.model.panel(false, 3), "0");
    EXPECT_EQ(DeployProcessCheck(c), PendingCheck::NothingRecorded);
    EXPECT_FALSE(c.state.setupDetailsFound);

    addFile("A.exe", 3, 0, "EXE"); // only one version: the last deployment's panels stay at zero
    addFile("Sales.rpt", 3, 0, "RPT");
    CurrentDeployStatus(c);
    EXPECT_EQ(c.model.panel(true, 1), "3");
    for (int i : {1, 3, 4, 5})
        EXPECT_EQ(c.model.panel(false, i), "0") << i;
    EXPECT_TRUE(op.informed.empty()) << op.informed.front();
}

TEST_F(StatusOnEngine, PendingUntilTheProgramIsUnpackedAndTheHotfixLogged) {
    addFile("App.exe", 3, 0, "EXE", "'2024-03-01 12:00:00'");
    addFile("5 fix.sql", 3, 5, "sql");
    EXPECT_EQ(DeployProcessCheck(c), PendingCheck::Pending) << "program missing";

    writeProgram("App.exe", "2024-03-01 12:00:30");
    EXPECT_EQ(DeployProcessCheck(c), PendingCheck::Pending) << "hotfix 5 not logged";

    recordHotfixApplied(5);
    closeRun();
    EXPECT_EQ(DeployProcessCheck(c), PendingCheck::Applied);
    EXPECT_TRUE(c.state.setupDetailsFound);
    EXPECT_TRUE(op.informed.empty()) << op.informed.front();
}

TEST_F(StatusOnEngine, ProgramNeverUnpackedComparesAgainstItsPublishedTime) {
    addFile("App.exe", 3, 0, "EXE"); // File_UnZipDate NULL: the published time stands in
    closeRun();
    writeProgram("App.exe", "2024-03-01 10:00:50");
    EXPECT_EQ(DeployProcessCheck(c), PendingCheck::Applied);
    writeProgram("App.exe", "2024-03-01 10:05:00");
    EXPECT_EQ(DeployProcessCheck(c), PendingCheck::Pending);
}

// A run cut after its hotfix was recorded, before its reports, other files, registration or
// completion records: the programs are in place and the hotfix logged, but the rows are still in
// progress, so the release is pending until a run closes them, finished (3) or undone (2).
TEST_F(StatusOnEngine, ARunCutBeforeItsCloseLeavesTheReleasePendingUntilARunClosesIt) {
    addFile("App.exe", 3, 0, "EXE", "'2024-03-01 12:00:00'");
    addFile("Sales.rpt", 3, 0, "RPT");
    addFile("5 fix.sql", 3, 5, "sql");
    writeProgram("App.exe", "2024-03-01 12:00:30");
    recordHotfixApplied(5);
    EXPECT_EQ(DeployProcessCheck(c), PendingCheck::Pending);
    EXPECT_TRUE(DeployProcessStatus(c));

    for (const auto& close : {finishReleaseRowsStatement(kPrefix), undoneReleaseRowsStatement(kPrefix)}) {
        SCOPED_TRACE(close);
        db->execute("UPDATE [Tervik].dbo.SetupDetails SET Status = 1");
        db->execute(close);
        EXPECT_EQ(DeployProcessCheck(c), PendingCheck::Applied);
    }
    EXPECT_TRUE(op.informed.empty()) << op.informed.front();
}

} // namespace
} // namespace quillan
