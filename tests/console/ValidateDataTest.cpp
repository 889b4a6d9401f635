#include "TestInstall.h"
#include "base/RunLogKeeping.h"
#include "console/Settings.h"

#include <set>

using namespace quillan;
using namespace quillan::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

struct Validate : ::testing::Test {
    FakeInstall inst;
    std::unique_ptr<Console> c;

    void SetUp() override { c = fresh(); }
    std::unique_ptr<Console> fresh() {
        auto con = inst.console();
        con->conn = std::make_unique<ForwardingConnection>(inst.db);
        con->state.dbPrefix = "[Tervik]";
        return con;
    }
    bool run() { return ValidateData(*c); }
    std::string log() { return inst.runLog(); }
};

const char* kHeaderRule = "---------------------------------------------\r\n";

} // namespace

TEST_F(Validate, HttpModeReadsEverySettingInOrder) {
    EXPECT_TRUE(run());
    const auto& s = c->state;
    EXPECT_EQ(s.transferMode, 2);
    EXPECT_EQ(c->model.label(Label::LblDLoad), "HTTP");
    EXPECT_EQ(c->model.label(Label::LblDFLoad), "HTTP");
    EXPECT_EQ(s.serverPath, "127.0.0.1");
    EXPECT_EQ(s.deployServerPath, "Deploy");
    EXPECT_EQ(s.ftpUser, ""); // not read in HTTP mode
    EXPECT_EQ(s.lanServerPath, "C:\\LanShare");
    EXPECT_EQ(s.updateFolder, "C:\\Tervik\\Update");
    EXPECT_EQ(s.deployMasterPath, "Master");
    EXPECT_EQ(s.deployTransPath, "Trans");
    EXPECT_EQ(s.webServiceUrl, "http://127.0.0.1/ws");
    EXPECT_EQ(s.distributorCode, "D042");
    EXPECT_EQ(s.filePattern, "*.Xml");
    EXPECT_EQ(s.fileFormat, "Xml");
    EXPECT_EQ(s.errLogPath, "C:\\Tervik\\Logs\\Deploy\\DeployErrlog.log");

    // One statement a setting, in this order (the log folder first, so that a later gap is logged).
    const std::vector<std::string> order = {"seqno=30",
                                            "seqno=37",
                                            "seqno=31",
                                            "seqno=32",
                                            "seqno=36",
                                            "seqno=35",
                                            "seqno=38",
                                            "seqno=39",
                                            "seqno=40",
                                            "dbo.Distributor",
                                            "'FileFormatSelection HTTP' and Seqno=15",
                                            "Seqno=16",
                                            "'StatementTimeLimitMinutes'",
                                            "'TransportCaFile'"};
    ASSERT_EQ(inst.db.transcript.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_THAT(inst.db.transcript[i], HasSubstr(order[i]));
    EXPECT_EQ(s.statementTimeLimit, std::chrono::minutes(30)) << "the default when the row is missing";
}

TEST_F(Validate, FtpModeNeedsUserAndPasswordButNoWebService) {
    inst.configure(1);
    inst.db.forget("seqno=40 and");
    EXPECT_TRUE(run());
    EXPECT_EQ(c->model.label(Label::LblDLoad), "FTP");
    EXPECT_EQ(c->state.ftpUser, "ftpuser");
    EXPECT_EQ(c->state.ftpPassword, "ftppass");
    EXPECT_EQ(c->state.fileFormat, "Csv"); // FTP format row answers 1
    EXPECT_EQ(c->state.filePattern, "*.Csv");
    EXPECT_FALSE(inst.db.ran("seqno=40"));
    EXPECT_TRUE(inst.db.ran("DesCription ='FileFormatSelectionFTP' and Seqno=3"));
    EXPECT_TRUE(inst.db.ran(
        "select Status from [Tervik].dbo.configuration Where ModuleName='DataTransfer' and   Seqno=4"));
}

TEST_F(Validate, EachMissingSettingWritesItsLineAndStopsTheCheck) {
    struct Case {
        int mode;
        const char* key;
        const char* line;
        const char* notReadAfter; // a later setting that must not be read
    };
    const Case cases[] = {
        {2, "seqno=31 and", ">>-Server Path Not Configured", "seqno=32"},
        {2, "seqno=32 and", ">>-Deploy Server Path Not Configured", "seqno=36"},
        {1, "seqno=33 and", ">>-FTP UserName Not Configured", "seqno=34"},
        {1, "seqno=34 and", ">>-FTP Password Not Configured", "seqno=36"},
        {2, "seqno=36 and", ">>-LAN Server Path Not Configured", "seqno=35"},
        {2, "seqno=35 and", ">>-Update Folder Not Configured", "seqno=38"},
        {2, "seqno=38 and", ">>-Deploy Server Master Path Not Configured", "seqno=39"},
        {2, "seqno=39 and", ">>-Deploy Server Transaction Path Not Configured", "seqno=40"},
        {2, "seqno=40 and", ">>-WebService Not Configured", "Distributor"},
        // The LAN, update, master and transaction paths are required in FTP mode as well.
        {1, "seqno=36 and", ">>-LAN Server Path Not Configured", "seqno=35"},
        {1, "seqno=35 and", ">>-Update Folder Not Configured", "seqno=38"},
        {1, "seqno=38 and", ">>-Deploy Server Master Path Not Configured", "seqno=39"},
        {1, "seqno=39 and", ">>-Deploy Server Transaction Path Not Configured", "Distributor"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.line);
        inst.configure(k.mode);
        inst.db.answer(k.key, {"Condition"});
        inst.db.transcript.clear();
        c = fresh();
        EXPECT_FALSE(run());
        EXPECT_FALSE(c->programEnded());
        EXPECT_THAT(log(),
                    HasSubstr("Deployment Process Started\r\n" + std::string(kHeaderRule) + k.line + "\r\n"));
        EXPECT_FALSE(inst.db.ran(k.notReadAfter));
        EXPECT_TRUE(inst.op.informed.empty());
    }
}

TEST_F(Validate, MissingLogFolderEndsTheProgram) {
    inst.db.answer("seqno=37 and", {"Condition"});
    EXPECT_FALSE(run());
    EXPECT_TRUE(c->programEnded());
    EXPECT_EQ(c->ending(), Ending::Failure);
    ASSERT_EQ(inst.op.informed.size(), 1u);
    EXPECT_EQ(inst.op.informed[0], "Error Log Folder not Configured");
    EXPECT_FALSE(inst.db.ran("seqno=31"));
}

TEST_F(Validate, RunLogFolderIsCreatedAndASecondStartRecreatesTheLogKeepingTheFirst) {
    ASSERT_FALSE(fs::exists(inst.drive / "Tervik" / "Logs"));
    inst.db.answer("seqno=31 and", {"Condition"});
    EXPECT_FALSE(run());
    EXPECT_THAT(log(), HasSubstr("\r\nDeployment Date:"));
    EXPECT_THAT(log(), HasSubstr(">>-Server Path Not Configured"));
    inst.configure(2);
    c = fresh();
    EXPECT_TRUE(run());
    c->log.line(">>-second");
    const std::string text = log();
    EXPECT_THAT(text, Not(HasSubstr("Server Path Not Configured")));
    EXPECT_EQ(text.rfind(kHeaderRule, 0), 0u);
    EXPECT_THAT(text, HasSubstr("\r\nDeployment Date:"));
    EXPECT_THAT(text,
                HasSubstr("\r\nDeployment Process Started\r\n" + std::string(kHeaderRule) + ">>-second\r\n"));
    // The first start's log is kept beside it, under its start time.
    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(inst.drive / "Tervik" / "Logs" / "Deploy"))
        if (e.path().filename().string().rfind("DeployErrlog-", 0) == 0)
            kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_THAT(kept[0].filename().string(), ::testing::MatchesRegex("DeployErrlog-[0-9]{8}-[0-9]{6}\\.log"));
    EXPECT_THAT(readFile(kept[0]), HasSubstr(">>-Server Path Not Configured"));
}

// Scheduled runs that find nothing to do must not push out the log of the run that installed.
TEST(RunLogKeeping, TheOldestNothingToDoLogsArePrunedFirst) {
    TempDir dir;
    const fs::path log = dir.path() / "DeployErrlog.log";
    const RunLogKeeping keeping{2, ">>-Deployment Process Completed"};
    const auto start = [&](int second, const std::string& body) {
        writeFile(log, "---\r\nDeployment Date:07/12/2026 10:00:0" + std::to_string(second) + "\r\n" + body);
        EXPECT_EQ(keepEarlierRunLog(log, keeping), "");
    };
    start(1, ">>-Replacing Exe Tervik.exe\r\n");
    for (int second : {2, 3, 4})
        start(second, ">>-Deployment Process Completed\r\n");

    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path()))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"DeployErrlog-20261207-100001.log",
                                            "DeployErrlog-20261207-100004-nothing-to-do.log"}))
        << "the older nothing-to-do logs went, the installing run's stayed";
}

TEST_F(Validate, ZipSettingReplacesThePatternAndKeepsTheFormat) {
    inst.db.answerOne("FileFormatSelection HTTP", "Status", 2);
    inst.db.answerOne("Seqno=16", "Status", 1);
    EXPECT_TRUE(run());
    EXPECT_EQ(c->state.filePattern, "*.Zip");
    EXPECT_EQ(c->state.fileFormat, "Xls");
}

TEST_F(Validate, StatementTimeLimitIsAWholeNumberOfMinutesAndAnUnusableOneKeepsTheDefault) {
    const std::pair<const char*, int> cases[] = {{" 15 ", 15}, {"1440", 1440}, {"0", 30},
                                                 {"1441", 30}, {"10 min", 30}, {"-5", 30}};
    for (const auto& [text, minutes] : cases) {
        SCOPED_TRACE(text);
        c = fresh();
        inst.db.answerOne("StatementTimeLimitMinutes", "Condition", std::string(text));
        EXPECT_TRUE(run());
        EXPECT_EQ(c->state.statementTimeLimit, std::chrono::minutes(minutes));
        EXPECT_EQ(
            log().find(">>-StatementTimeLimitMinutes '" + std::string(text) +
                       "' is not a number of minutes from 1 to 1440: the default of 30 minutes applies") !=
                std::string::npos,
            minutes == 30);
    }
}

TEST_F(Validate, UnknownFormatValueOrMissingRowsChangeNothing) {
    inst.db.answerOne("FileFormatSelection HTTP", "Status", 7);
    inst.db.answer("Seqno=16", {"Status"});
    inst.db.answer("dbo.Distributor", {"DistributorCode"});
    c->state.filePattern = "before";
    c->state.distributorCode = "EARLIER";
    EXPECT_TRUE(run());
    EXPECT_EQ(c->state.filePattern, "before");
    EXPECT_EQ(c->state.fileFormat, "");
    EXPECT_EQ(c->state.distributorCode, "EARLIER");
}

TEST_F(Validate, UnsupportedTransferModeFailsAsAnUnexpectedError) {
    for (bool missingRow : {false, true}) {
        SCOPED_TRACE(missingRow ? "no seqno 30 row" : "seqno 30 is 3");
        inst.configure(2);
        if (missingRow)
            inst.db.answer("seqno=30", {"Status"});
        else
            inst.db.answerOne("seqno=30", "Status", 3);
        inst.op.informed.clear();
        c = fresh();
        c->state.timerEnabled = true;
        EXPECT_FALSE(run());
        EXPECT_FALSE(c->programEnded());
        EXPECT_FALSE(c->state.timerEnabled);
        EXPECT_EQ(c->model.label(Label::LblDLoad), "");
        ASSERT_EQ(inst.op.informed.size(), 1u);
        EXPECT_THAT(inst.op.informed[0], HasSubstr("not supported"));
        EXPECT_THAT(inst.op.informed[0], testing::EndsWith(" In ValidateData"));
        // The run log is shown in the status box.
        EXPECT_TRUE(c->model.statusBoxVisible());
        EXPECT_THAT(c->model.statusBox(), HasSubstr("Deployment Process Started"));
        EXPECT_FALSE(inst.db.ran("FileFormatSelection"));
    }
}

TEST_F(Validate, AFailingStatementIsReportedWithTheOperationName) {
    inst.db.fail("seqno=32 and", "Invalid object name 'configuration'");
    EXPECT_FALSE(run());
    ASSERT_EQ(inst.op.informed.size(), 1u);
    EXPECT_EQ(inst.op.informed[0], "Invalid object name 'configuration' In ValidateData");
}

TEST(CreateLogFile, ReplacesAnyFileWithAnEmptyOneAndReportsAFailureWithTrailingBlank) {
    FakeInstall inst;
    auto c = inst.console();
    writeFile(inst.program / "Test.log", "old content");
    EXPECT_TRUE(CreateLogFile(*c, "Test.log"));
    EXPECT_EQ(fs::file_size(inst.program / "Test.log"), 0u);
    EXPECT_TRUE(CreateLogFile(*c, "New.log"));
    EXPECT_TRUE(fs::exists(inst.program / "New.log"));
    EXPECT_TRUE(inst.op.informed.empty());
    EXPECT_FALSE(CreateLogFile(*c, "missing\\Test.log"));
    ASSERT_EQ(inst.op.informed.size(), 1u);
    EXPECT_THAT(inst.op.informed[0], testing::EndsWith(" In CreateLogFile "));
}
