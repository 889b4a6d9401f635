// The deployment panels and the pending check against a scripted connection: what the engine
// tests cannot stage (failing statements, hostile rows, exact time limits, no connection).
#include "status/StatusPanel.h"
#include "tests/support/TestConsole.h"

#include "platform/FileTimes.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quillan {
namespace {

using test::TestConsole;
using V = db::Value;

const std::string kServerDate = "Select convert(varchar(20),getDate(),111) as cdt";
const std::string kVersion = "Select ISNULL(Max(VersionNo),0) as Version from   [TervikDb].dbo.SetupDetails";
const std::string kRptCount = "select Count(File_Names) as RtpCount from [TervikDb].dbo.SetupDetails where "
                              "File_Names like '%.Rpt'  and VersionNo in(Select Max(VersionNo) from   "
                              "[TervikDb].dbo.SetupDetails)";
const std::string kRtmCount = "select Count(File_Names) as RtmCount from [TervikDb].dbo.SetupDetails where "
                              "File_Names like '%.Rtm'  and VersionNo in(Select Max(VersionNo) from   "
                              "[TervikDb].dbo.SetupDetails)";
const std::string kAllRows = "select * from [TervikDb].dbo.SetupDetails";
const std::string kExes = "Select File_Path,File_Names,File_CrDate, isnull(File_UnZipDate,File_CrDate) as "
                          "File_UnZipDate  from [TervikDb].dbo.SetupDetails (nolock) where HotfixNo =0 and "
                          "FileExtension like 'EXE' order by VersionNo";
const std::string kFixes =
    "Select * from [TervikDb].dbo.SetupDetails (nolock) where HotfixNo >0 order by VersionNo";

// ---- GetServerDate -------------------------------------------------------------------------

TEST(GetServerDate, NoRowFallsBackToTheMachinesDateAFailureKeepsThePreviousDateAndSaysWhere) {
    TestConsole t;
    const DateTime before = DateTime::now();
    const DateTime d = GetServerDate(t.c);
    EXPECT_EQ(d.isoDate(), before.isoDate()) << "run across midnight?";
    EXPECT_EQ(d.hour + d.minute + d.second, 0);
    EXPECT_EQ(t.c.state.serverDate, d);

    t.c.state.serverDate = *DateTime::parse("2020-01-02");
    t.db->fail(kServerDate, "Server gone");
    EXPECT_EQ(GetServerDate(t.c).isoDate(), "2020-01-02");
    EXPECT_EQ(t.c.state.serverDate.isoDate(), "2020-01-02");
    ASSERT_EQ(t.op.informed.size(), 1u);
    EXPECT_EQ(t.op.informed[0], "Server gonein GetServerDate");
}

// ---- CurrentDeployStatus -------------------------------------------------------------------

TEST(CurrentDeployStatus, AQueryWithoutRowLeavesItsLabelAFailureKeepsWhatWasFilledAndStops) {
    TestConsole t;
    t.c.model.setPanel(true, 4, "before");
    t.db->answer(kVersion, {"Version"}, {{V(1)}});
    CurrentDeployStatus(t.c);
    EXPECT_EQ(t.c.model.panel(true, 1), "1");
    EXPECT_EQ(t.c.model.panel(true, 4), "before");

    t.db->transcript.clear();
    t.db->answer(kVersion, {"Version"}, {{V(7)}});
    t.db->fail(kRptCount, "Invalid column");
    t.db->answer(kRtmCount, {"RtmCount"}, {{V(9)}});
    CurrentDeployStatus(t.c);
    EXPECT_EQ(t.c.model.panel(true, 1), "7");
    EXPECT_EQ(t.c.model.panel(true, 6), "") << "nothing after the failing statement runs";
    EXPECT_EQ(t.db->transcript.size(), 3u);
    ASSERT_EQ(t.op.informed.size(), 1u);
    EXPECT_EQ(t.op.informed[0], "Invalid column In CurrentDeployStatus");
}

// ---- DeployProcessStatus -------------------------------------------------------------------

const std::vector<std::string> kExeColumns = {"File_Path", "File_Names", "File_CrDate", "File_UnZipDate"};

struct PendingCheckTest : ::testing::Test {
    TestConsole t;
    void someRows() { t.db->answer(kAllRows, {"File_Names"}, {{V("App.exe")}}); }
    // An EXE recorded as published at 10:00 and unpacked at 12:00 on 2024-01-01, in App.Path\Bin.
    std::filesystem::path exeRow() {
        t.db->answer(kExes, kExeColumns,
                     {{V("App.Path\\Bin"), V("App.exe"), V(*DateTime::parse("2024-01-01 10:00:00")),
                       V(*DateTime::parse("2024-01-01 12:00:00"))}});
        return t.dir.path() / "Bin" / "App.exe";
    }
    void writeFile(const std::filesystem::path& p, const std::string& localTime) {
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p) << "x";
        ASSERT_TRUE(SetFileDate(p, *DateTime::parse(localTime)));
    }
};

TEST_F(PendingCheckTest, ExeWithin100SecondsOfTheUnpackedTimeIsAppliedFurtherOffIsPending) {
    someRows();
    const auto exe = exeRow();
    for (const auto& [time, expected] : {std::pair{"2024-01-01 12:01:39", PendingCheck::Applied},
                                         std::pair{"2024-01-01 12:01:40", PendingCheck::Pending},
                                         std::pair{"2024-01-01 11:58:20", PendingCheck::Pending}}) {
        SCOPED_TRACE(time);
        writeFile(exe, time);
        EXPECT_EQ(DeployProcessCheck(t.c), expected);
    }
    EXPECT_TRUE(t.c.state.setupDetailsFound);
}

TEST_F(PendingCheckTest, PathsOutsideTheApplicationFolderAreTakenAsWritten) {
    someRows();
    const std::filesystem::path exe = t.dir.path() / "Other" / "Tool.exe";
    writeFile(exe, "2024-01-01 12:00:00");
    t.db->answer(kExes, kExeColumns,
                 {{V(t.c.paths.toWindows(exe.parent_path())), V("Tool.exe"), V("2024-01-01 10:00:00"),
                   V("2024-01-01 12:00:00")}});
    EXPECT_EQ(DeployProcessCheck(t.c), PendingCheck::Applied);
}

TEST_F(PendingCheckTest, DatabaseErrorIsAFailedCheckNotAnAppliedRelease) {
    someRows();
    t.db->fail(kExes, "Deadlock victim");
    EXPECT_EQ(DeployProcessCheck(t.c), PendingCheck::Failed);
    EXPECT_FALSE(DeployProcessStatus(t.c)) << "the boolean answer stays False on failure";
    ASSERT_EQ(t.op.informed.size(), 2u);
    EXPECT_EQ(t.op.informed[0], "Deadlock victim In DeployProcessStatus");
}

TEST_F(PendingCheckTest, HotfixNumberThatIsNotANumberFailsTheCheck) {
    someRows();
    t.db->answer(kFixes, {"HotfixNo"}, {{V("7 or 1=1")}});
    EXPECT_EQ(DeployProcessCheck(t.c), PendingCheck::Failed);
    for (const auto& s : t.db->transcript)
        EXPECT_EQ(s.find("1=1"), std::string::npos) << s;
}

TEST_F(PendingCheckTest, WithoutConnectionTheCheckFails) {
    t.c.conn.reset();
    EXPECT_EQ(DeployProcessCheck(t.c), PendingCheck::Failed);
    ASSERT_EQ(t.op.informed.size(), 1u);
    EXPECT_NE(t.op.informed[0].find(" In DeployProcessStatus"), std::string::npos);
}

} // namespace
} // namespace quillan
