#include "console/Startup.h"
#include "TestInstall.h"
#include "console/ExitCode.h"
#include "console/WorkTables.h"

#include <optional>

using namespace quillan;
using namespace quillan::test;
using ::testing::EndsWith;
using ::testing::HasSubstr;

namespace {

struct Startup : ::testing::Test {
    FakeInstall inst;
    std::unique_ptr<Console> c = inst.console();

    StartupOutcome load() { return Form_Load(*c, inst.machine()); }
};

} // namespace

TEST_F(Startup, CompleteInstallationArmsTheTimer) {
    ASSERT_EQ(load(), StartupOutcome::Armed);
    const auto& s = c->state;
    EXPECT_TRUE(s.timerEnabled);
    EXPECT_FALSE(c->programEnded());
    EXPECT_TRUE(inst.op.informed.empty());
    EXPECT_EQ(s.appPath, "C:\\Tervik");
    EXPECT_EQ(s.iniPath, "C:\\Tervik\\Dll\\Sd.ini");
    EXPECT_EQ(inst.openedWith,
              "Provider=SQLOLEDB;Data Source=(local);Initial Catalog=MASTER;User ID=sa;Password=pw;");
    EXPECT_EQ(s.dbPrefix, "[Tervik]");
    EXPECT_EQ(s.distributorCode, "D042");
    EXPECT_TRUE(s.isLocalServer);
    EXPECT_EQ(s.computerName, "QBOX");
    EXPECT_EQ(s.deployInFolder, "C:\\Tervik\\DEPLOY IN");
    EXPECT_EQ(s.archiveInFolder, "C:\\Tervik\\DEPLOY ARCHIVEIN\\");
    EXPECT_EQ(s.tempExtractFolder, "C:\\Tervik\\TEMPEXTRACT\\");
    EXPECT_TRUE(fs::is_directory(inst.program / "DEPLOY IN"));
    EXPECT_TRUE(fs::is_directory(inst.program / "DEPLOY ARCHIVEIN"));
    EXPECT_TRUE(fs::is_directory(inst.program / "TEMPEXTRACT"));
    EXPECT_TRUE(fs::is_directory(inst.drive / "Tervik" / "Update"));
    EXPECT_EQ(s.backupDrive, "C");
    EXPECT_EQ(s.backupFolder, "C:\\UploadBackup");
    EXPECT_TRUE(fs::is_directory(inst.drive / "UploadBackup"));
    EXPECT_DOUBLE_EQ(s.installDriveFreeGB, 20.0);
    EXPECT_DOUBLE_EQ(s.dbSizeGB, 0.25);
    EXPECT_EQ(s.systemDrive, "C:");
    EXPECT_EQ(c->model.label(Label::lblPrs), "In Progress");
    EXPECT_FALSE(c->model.buttonEnabled(Button::CmdExit));
    EXPECT_FALSE(c->model.buttonEnabled(Button::CmdViewLog));
    EXPECT_FALSE(c->model.statusBoxVisible());
    EXPECT_EQ(c->model.label(Label::lblStTime).size(), 19u); // DD/MM/YYYY HH:MM:SS
}

// The work tables' batches (no other test runs them) and the order of start-up's statements.
TEST_F(Startup, WorkTablesAreCreatedByTheirExactBatchesInTheStartupOrder) {
    ASSERT_EQ(load(), StartupOutcome::Armed);
    const auto batches = workTableStatements("[Tervik]");
    EXPECT_EQ(batches[0],
              " IF NOT EXISTS (SELECT *  FROM [Tervik].dbo.sysobjects WHERE name  ='DeploymentMessage' AND "
              "xtype = 'U')  BEGIN   CREATE TABLE [Tervik].dbo.DeploymentMessage  (  Captions   "
              "VARCHAR(2000),  DStatus    INT  ) END ");
    EXPECT_EQ(batches[1],
              " IF NOT EXISTS (SELECT *  FROM [Tervik].dbo.sysobjects WHERE name  ='TempBackupFile' AND "
              "xtype = 'U')  BEGIN   CREATE TABLE [Tervik].dbo.TempBackupFile  (  FileName       "
              "VARCHAR(100),  LastModDate    DATETIME  ) END ");
    EXPECT_EQ(batches[2],
              " IF NOT EXISTS (SELECT *  FROM [Tervik].dbo.sysobjects WHERE name  ='FileExtension' AND "
              "xtype = 'U')  BEGIN   CREATE TABLE [Tervik].dbo.FileExtension  (  Extension       "
              "VARCHAR(100),  Type            INT,  Status          INT  ) END ");
    EXPECT_EQ(batches[3],
              " IF NOT EXISTS (SELECT *  FROM [Tervik].dbo.sysobjects WHERE name  ='DeploymentVesrion' "
              "AND xtype = 'U')  BEGIN   CREATE TABLE [Tervik].dbo.DeploymentVesrion  (  ProcessexeName   "
              "Nvarchar(100),  VersionId        varchar(50),  HostName          varchar(100)   ) END ");
    EXPECT_EQ(inst.db.commands, std::vector<std::string>(batches.begin(), batches.end()));
    auto at = [&](const std::string& part) {
        for (std::size_t i = 0; i < inst.db.transcript.size(); ++i)
            if (inst.db.transcript[i].find(part) != std::string::npos)
                return i;
        ADD_FAILURE() << part << " not run";
        return std::size_t{0};
    };
    EXPECT_LT(at("Select DistributorCode FROM [Tervik].dbo.Distributor"), at("seqno=30"));
    EXPECT_LT(at("seqno=30"), at("DeploymentMessage' AND xtype"));
    EXPECT_LT(at("DeploymentVesrion' AND xtype"), at("dbo.sysfiles"));
    EXPECT_LT(at("dbo.sysfiles"), at("FN_SetupDetails(3)"));
}

TEST_F(Startup, MissingLogoStopsBeforeConnecting) {
    fs::remove(inst.program / "Images" / "Quillan.bmp");
    EXPECT_EQ(load(), StartupOutcome::StoppedWithoutRun);
    EXPECT_EQ(c->model.label(Label::LblStatus), "Quillan Image Not Found");
    EXPECT_TRUE(inst.openedWith.empty());
    EXPECT_TRUE(inst.db.transcript.empty());
    EXPECT_FALSE(c->state.timerEnabled);
    EXPECT_FALSE(c->programEnded());
}

// A second process on the installation (a scheduler, a double click) ends before it writes
// anything: no connection, no statement, no folder, the first run's log untouched; once the first
// lets go, a start goes ahead.
TEST_F(Startup, AnotherRunHoldingTheInstallationEndsTheProgramBeforeAnythingIsWritten) {
    auto first = tryLockRun(inst.program / kRunLockFileName);
    ASSERT_NE(first, nullptr);
    writeFile(inst.drive / "Tervik" / "Logs" / "Deploy" / "DeployErrlog.log", "the first run's log\r\n");
    EXPECT_EQ(load(), StartupOutcome::ProgramEnded);
    EXPECT_EQ(c->ending(), Ending::AnotherRunHolds);
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::ProgramEnded), ExitCode::Locked);
    EXPECT_EQ(
        inst.op.informed,
        (std::vector<std::string>{
            "Another Quillan run holds this installation (C:\\Tervik): this one changes nothing and ends."}));
    EXPECT_TRUE(inst.openedWith.empty());
    EXPECT_TRUE(inst.db.transcript.empty());
    EXPECT_FALSE(fs::exists(inst.program / "DEPLOY IN"));
    EXPECT_EQ(inst.runLog(), "the first run's log\r\n");

    first.reset();
    c = inst.console();
    EXPECT_EQ(load(), StartupOutcome::Armed);
}

TEST(StartupErrors, UnexpectedErrorsStopWithTheFormLoadSuffix) {
    struct Case {
        const char* what;
        std::function<void(FakeInstall&, FakeMachine&)> breakIt;
        std::string message;
        bool whole; // the message is the whole text, not a part of it
    };
    const Case cases[] = {
        {"settings file missing",
         [](FakeInstall& i, FakeMachine&) { fs::remove(i.program / "Dll" / "Sd.ini"); }, "Sd.ini", false},
        {"no catalog", [](FakeInstall& i, FakeMachine&) { i.setConnLine("Data Source=(local);User ID=sa;"); },
         "INITIAL CATALOG", false},
        {"no semicolon after the catalog",
         [](FakeInstall& i, FakeMachine&) { i.setConnLine("Data Source=(local);Initial Catalog=Tervik"); },
         "INITIAL CATALOG", false},
        {"first statement fails",
         [](FakeInstall& i, FakeMachine&) { i.db.fail("dbo.Distributor", "Login failed for user 'sa'"); },
         "Login failed", false},
        {"connection cannot be opened",
         [](FakeInstall&, FakeMachine& m) {
             m.onOpenConnection = [](const std::string&, const fs::path&) -> std::unique_ptr<db::Connection> {
                 throw db::DbError("Server not found");
             };
         },
         "Server not foundIn Form_Load", true},
        {"no drive at all", [](FakeInstall& i, FakeMachine&) { i.drives = {}; }, "", false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        FakeInstall fresh;
        FakeMachine& m = fresh.machine();
        k.breakIt(fresh, m);
        auto con = fresh.console();
        EXPECT_EQ(Form_Load(*con, m), StartupOutcome::StoppedWithoutRun);
        ASSERT_EQ(fresh.op.informed.size(), 1u);
        if (k.whole) {
            EXPECT_EQ(fresh.op.informed[0], k.message);
        }
        EXPECT_THAT(fresh.op.informed[0], HasSubstr(k.message));
        EXPECT_THAT(fresh.op.informed[0], EndsWith("In Form_Load"));
        EXPECT_FALSE(con->state.timerEnabled);
        EXPECT_FALSE(con->model.buttonEnabled(Button::CmdExit));
        EXPECT_FALSE(con->programEnded());
    }
}

TEST_F(Startup, MissingSettingStopsWithoutRunAndLogsItsLine) {
    inst.db.answer("seqno=35 and", {"Condition"});
    EXPECT_EQ(load(), StartupOutcome::StoppedWithoutRun);
    EXPECT_FALSE(c->state.timerEnabled);
    EXPECT_FALSE(c->programEnded());
    EXPECT_THAT(inst.runLog(), HasSubstr(">>-Update Folder Not Configured\r\n"));
    EXPECT_FALSE(inst.db.ran("CREATE TABLE")); // start-up ended at the settings check
}

TEST(StartupSpace, EachShortageEndsTheProgramWithItsMessageAndTheLimitsPass) {
    const std::string installShort = "To Run Quillan Process Application need minimum of 5 GB space in core "
                                     "tervik installed from Drive ";
    struct Case {
        const char* what;
        std::vector<FixedDrive> drives, laterScans; // laterScans: what the second scan finds, if it differs
        double dbGB;
        std::string message; // empty: start-up arms the timer
    };
    const Case cases[] = {
        {"install drive at exactly 5 GB", {{'C', 5 * kGB}}, {}, 0.25, ""},
        {"install drive at 4.99 GB",
         {{'D', 50 * kGB}, {'C', 5 * kGB - 10 * 1024 * 1024}},
         {},
         0.25,
         installShort + "C"},
        {"program folder on no scanned drive", {{'D', 50 * kGB}}, {}, 0.25, installShort},
        // Only reachable when the disk fills up between the two scans.
        {"backup drive below 5 GB",
         {{'C', 6 * kGB}},
         {{'C', 4 * kGB}},
         0.25,
         "Required more than 5 GB Free Space"},
        {"database as large as the free space",
         {{'C', 6 * kGB}},
         {},
         6.0,
         "Not enough free space for taking database backup"},
        {"database just smaller than the free space", {{'C', 6 * kGB}}, {}, 5.99, ""},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        FakeInstall inst;
        inst.db.answerOne("dbo.sysfiles", "DbSize", k.dbGB);
        FakeMachine& m = inst.machine();
        int scans = 0;
        m.onScanDrives = [&](const PathMap&) {
            return ++scans > 1 && !k.laterScans.empty() ? k.laterScans : k.drives;
        };
        auto con = inst.console();
        if (k.message.empty()) {
            EXPECT_EQ(Form_Load(*con, m), StartupOutcome::Armed);
            continue;
        }
        EXPECT_EQ(Form_Load(*con, m), StartupOutcome::ProgramEnded);
        EXPECT_EQ(con->ending(), Ending::Failure);
        EXPECT_EQ(inst.op.informed, std::vector<std::string>{k.message});
        EXPECT_FALSE(con->state.timerEnabled);
    }
}

TEST_F(Startup, BackupDriveIsTheRoomiestAndNeedsFiveGigabytes) {
    inst.drives = {{'C', 6 * kGB}, {'E', 9 * kGB}};
    fs::create_directories(inst.tmp.path() / "e");
    writeFile(inst.program / "quillan-drives.ini",
              "C=" + inst.drive.string() + "\nE=" + (inst.tmp.path() / "e").string() + "\n");
    c = inst.console();
    ASSERT_EQ(load(), StartupOutcome::Armed);
    EXPECT_TRUE(fs::is_directory(inst.tmp.path() / "e" / "UploadBackup"));
    EXPECT_EQ(c->state.backupDrive, "E");
    EXPECT_DOUBLE_EQ(c->state.backupDriveFreeGB, 9.0);
    EXPECT_EQ(c->state.backupFolder, "E:\\UploadBackup");
}

// The notice is asked when FN_SetupDetails(3) answers other than 1 and a message waits; Cancel
// ends the program before the backup folder.
TEST(StartupNotice, ShownOnlyWhenSetupDetailsThreeIsNotOneAndAMessageWaits) {
    struct Case {
        const char* what;
        std::optional<int> exists1; // no value: the function answers no row
        bool messageWaits, okPressed, asked;
    };
    for (const Case& k :
         {Case{"answer 0, OK", 0, true, true, true}, Case{"answer 2, Cancel", 2, true, false, true},
          Case{"answer 1", 1, true, true, false}, Case{"no row", std::nullopt, true, true, false},
          Case{"no message", 0, false, true, false}}) {
        SCOPED_TRACE(k.what);
        FakeInstall fresh;
        if (k.exists1)
            fresh.db.answerOne("FN_SetupDetails(3)", "EXISTS1", *k.exists1);
        else
            fresh.db.answer("FN_SetupDetails(3)", {"EXISTS1"});
        if (k.messageWaits)
            fresh.db.answer("DeploymentMessage (NOLOCK)", {"Captions"},
                            {{"  Please close Tervik on every PC  "}, {"Second"}});
        fresh.op.answers = {k.okPressed};
        auto con = fresh.console();
        const bool ended = k.asked && !k.okPressed;
        EXPECT_EQ(Form_Load(*con, fresh.machine()),
                  ended ? StartupOutcome::ProgramEnded : StartupOutcome::Armed);
        ASSERT_EQ(fresh.op.asked.size(), k.asked ? 1u : 0u);
        if (!k.asked)
            continue;
        EXPECT_EQ(fresh.op.asked[0].question, Question::Notice);
        EXPECT_TRUE(fresh.op.asked[0].okCancel);
        EXPECT_EQ(fresh.op.asked[0].text, "Please close Tervik on every PC");
        EXPECT_EQ(fs::exists(fresh.drive / "UploadBackup"), !ended) << "Cancel ends before the backup folder";
        if (ended) {
            EXPECT_EQ(con->ending(), Ending::OperatorCancelled);
        }
    }
}

TEST_F(Startup, LanClientIsNotLocal) {
    inst.setConnLine("Provider=SQLOLEDB;Data Source=CENTRAL\\SQL;Initial Catalog=Tervik;User ID=sa;PWD=x;");
    ASSERT_EQ(load(), StartupOutcome::Armed);
    EXPECT_FALSE(c->state.isLocalServer);
    EXPECT_EQ(c->state.computerName, "QBOX\\SQL");
    EXPECT_EQ(c->state.dbPassword, "x");
}

TEST_F(Startup, FailedSystemRootIsReportedAndStartupGoesOn) {
    FakeMachine& m = inst.machine();
    m.onSystemDrive = []() -> std::string { throw std::runtime_error("no system folder"); };
    EXPECT_EQ(Form_Load(*c, m), StartupOutcome::Armed);
    EXPECT_EQ(inst.op.informed, std::vector<std::string>{"no system folder In GetsystemRoot"});
}

TEST_F(Startup, ToleratesLogoCaseByteOrderMarkAndEarlierWorkFiles) {
    fs::rename(inst.program / "Images" / "Quillan.bmp", inst.program / "Images" / "QUILLAN.BMP");
    inst.setConnLine(
        "\xEF\xBB\xBFProvider=SQLOLEDB;Data Source=(local);Initial Catalog=Tervik;User ID=sa;Password=pw;");
    writeFile(inst.program / "DEPLOY IN" / "script.xml", "<x/>");
    writeFile(inst.drive / "UploadBackup" / "old.bak", "b");
    ASSERT_EQ(load(), StartupOutcome::Armed);
    EXPECT_EQ(inst.openedWith,
              "Provider=SQLOLEDB;Data Source=(local);Initial Catalog=MASTER;User ID=sa;Password=pw;");
    EXPECT_EQ(readFile(inst.program / "DEPLOY IN" / "script.xml"), "<x/>");
    EXPECT_EQ(readFile(inst.drive / "UploadBackup" / "old.bak"), "b");
}
