// Start-up on sample installations on the embedded engine: every outcome from a setting left out.
#include "app/sample/SampleInstallation.h"
#include "console/QueueOperator.h"
#include "console/Session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace quillan;
using namespace quillan::sample;
namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct SampleRun {
    fs::path base;
    fs::path dir;
    QueueOperator op;
    std::unique_ptr<Session> session;

    explicit SampleRun(SampleOptions o) {
        std::random_device rd;
        base = fs::temp_directory_path() /
               ("quillan-sample-test-" + std::to_string(rd()) + std::to_string(rd()));
        dir = base / "install";
        o.folder = dir;
        makeSampleInstallation(o);
    }
    ~SampleRun() {
        session.reset();
        std::error_code ec;
        fs::remove_all(base, ec);
    }

    // Drives are given, so the outcome does not depend on this machine's free space.
    StartupOutcome start(std::uint64_t freeBytes = 20ULL * 1073741824ULL) {
        Machine m = Machine::real();
        m.scanDrives = [freeBytes](const PathMap&) { return std::vector<FixedDrive>{{'C', freeBytes}}; };
        session = std::make_unique<Session>(dir, op, m);
        return session->start();
    }
    Console& c() { return session->console(); }
    std::string log() { return readFile(dir / "Tervik" / "Logs" / "DeployErrlog.log"); }
};

SampleOptions opts(Mode mode = Mode::Http) {
    SampleOptions o;
    o.mode = mode;
    return o;
}

SampleOptions without(std::initializer_list<const char*> names, Mode mode = Mode::Http) {
    SampleOptions o = opts(mode);
    for (auto n : names)
        o.without.insert(n);
    return o;
}

} // namespace

TEST(SampleStartup, HttpSampleArmsAtTheDriveRoot) {
    SampleRun r(opts());
    ASSERT_EQ(r.start(), StartupOutcome::Armed) << ::testing::PrintToString(r.op.informed);
    const auto& s = r.c().state;
    EXPECT_EQ(s.appPath, "C:\\");
    EXPECT_EQ(s.iniPath, "C:\\Dll\\Sd.ini");
    EXPECT_EQ(s.dbPrefix, "[Tervik]");
    EXPECT_TRUE(s.isLocalServer);
    EXPECT_EQ(s.transferMode, 2);
    EXPECT_EQ(s.distributorCode, "D0001");
    EXPECT_EQ(s.updateFolder, "C:\\Tervik\\Update");
    EXPECT_EQ(s.filePattern, "*.Xml");
    EXPECT_TRUE(r.op.informed.empty());
    EXPECT_TRUE(fs::is_directory(r.dir / "DEPLOY IN"));
    EXPECT_TRUE(fs::is_directory(r.dir / "UploadBackup"));
    EXPECT_LT(s.dbSizeGB, 1.0);
    // The work tables exist now; the rows the sample gave FileExtension are untouched.
    auto rs =
        r.c().conn->query("SELECT COUNT(*) AS n FROM [Tervik].dbo.sysobjects WHERE xtype = 'U' AND name IN "
                          "('DeploymentMessage','TempBackupFile','FileExtension','DeploymentVesrion')");
    EXPECT_EQ(rs.field("n").asInt(), 4);
    EXPECT_EQ(r.c().conn->query("SELECT COUNT(*) AS n FROM [Tervik].dbo.FileExtension").field("n").asInt(),
              3);
    EXPECT_THAT(r.log(), HasSubstr("Deployment Process Started"));
}

TEST(SampleStartup, FtpAndLanSamplesArm) {
    SampleRun ftp(opts(Mode::Ftp));
    ASSERT_EQ(ftp.start(), StartupOutcome::Armed) << ::testing::PrintToString(ftp.op.informed);
    EXPECT_EQ(ftp.c().state.transferMode, 1);
    EXPECT_EQ(ftp.c().state.ftpUser, "quillan");

    SampleRun lan(opts(Mode::Lan));
    ASSERT_EQ(lan.start(), StartupOutcome::Armed) << ::testing::PrintToString(lan.op.informed);
    EXPECT_FALSE(lan.c().state.isLocalServer);
    EXPECT_EQ(lan.c().state.lanServerPath, "C:\\LanShare");
}

TEST(SampleStartup, MissingLogoOrSettingsFileStops) {
    SampleRun logo(without({"logo"}));
    EXPECT_EQ(logo.start(), StartupOutcome::StoppedWithoutRun);
    EXPECT_EQ(logo.c().model.label(Label::LblStatus), "Quillan Image Not Found");

    SampleRun ini(without({"ini"}));
    EXPECT_EQ(ini.start(), StartupOutcome::StoppedWithoutRun);
    ASSERT_EQ(ini.op.informed.size(), 1u);
    EXPECT_THAT(ini.op.informed[0], EndsWith("In Form_Load"));
    EXPECT_EQ(ini.session->exitCode(), ExitCode::StoppedWithoutRun);
}

TEST(SampleStartup, MissingLogFolderEndsTheProgram) {
    SampleRun r(without({"seqno37"}));
    EXPECT_EQ(r.start(), StartupOutcome::ProgramEnded);
    EXPECT_EQ(r.op.informed, std::vector<std::string>{"Error Log Folder not Configured"});
    EXPECT_EQ(r.session->exitCode(), ExitCode::EndedOnFailure);
}

TEST(SampleStartup, EachMissingSettingStopsWithItsLine) {
    struct Case {
        const char* setting;
        Mode mode;
        const char* line;
    };
    const Case cases[] = {
        {"seqno31", Mode::Http, ">>-Server Path Not Configured"},
        {"seqno33", Mode::Ftp, ">>-FTP UserName Not Configured"},
        {"seqno35", Mode::Http, ">>-Update Folder Not Configured"},
        {"seqno40", Mode::Lan, ">>-WebService Not Configured"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.setting);
        SampleRun r(without({k.setting}, k.mode));
        EXPECT_EQ(r.start(), StartupOutcome::StoppedWithoutRun);
        EXPECT_TRUE(r.op.informed.empty()) << ::testing::PrintToString(r.op.informed);
        const std::string log = r.log();
        EXPECT_EQ(log.rfind("---------------------------------------------\r\nDeployment Date:", 0), 0u);
        EXPECT_THAT(log, HasSubstr(std::string(k.line) + "\r\n"));
    }
}

TEST(SampleStartup, BlanksOnlyCountAsMissing) {
    SampleOptions o = opts();
    o.blank.insert("seqno32");
    SampleRun r(o);
    EXPECT_EQ(r.start(), StartupOutcome::StoppedWithoutRun);
    EXPECT_THAT(r.log(), HasSubstr(">>-Deploy Server Path Not Configured\r\n"));
}

TEST(SampleStartup, ModeSpecificSettingsAreOnlyNeededInTheirMode) {
    SampleRun http(without({"seqno33", "seqno34"}));
    EXPECT_EQ(http.start(), StartupOutcome::Armed) << ::testing::PrintToString(http.op.informed);
    SampleRun ftp(without({"seqno40"}, Mode::Ftp));
    EXPECT_EQ(ftp.start(), StartupOutcome::Armed) << ::testing::PrintToString(ftp.op.informed);
}

TEST(SampleStartup, UnsupportedTransferModeStops) {
    SampleOptions o = opts();
    o.transferMode = 3;
    SampleRun r(o);
    EXPECT_EQ(r.start(), StartupOutcome::StoppedWithoutRun);
    ASSERT_EQ(r.op.informed.size(), 1u);
    EXPECT_THAT(r.op.informed[0], EndsWith(" In ValidateData"));
    EXPECT_FALSE(r.c().state.timerEnabled);
}

TEST(SampleStartup, ZippedCsvScripts) {
    SampleOptions o = opts(Mode::Ftp);
    o.fileFormat = 1;
    o.zipped = true;
    SampleRun r(o);
    ASSERT_EQ(r.start(), StartupOutcome::Armed);
    EXPECT_EQ(r.c().state.filePattern, "*.Zip");
    EXPECT_EQ(r.c().state.fileFormat, "Csv");
}

TEST(SampleStartup, NoticeOkGoesOnCancelEnds) {
    SampleOptions o = opts();
    o.notice = "  Close Tervik on every workstation  ";
    {
        SampleRun r(o);
        r.op.answers = {true};
        EXPECT_EQ(r.start(), StartupOutcome::Armed);
        ASSERT_EQ(r.op.asked.size(), 1u);
        EXPECT_EQ(r.op.asked[0].text, "Close Tervik on every workstation");
    }
    {
        SampleRun r(o);
        r.op.answers = {false};
        EXPECT_EQ(r.start(), StartupOutcome::ProgramEnded);
        EXPECT_EQ(r.c().ending(), Ending::OperatorCancelled);
        EXPECT_EQ(r.session->exitCode(), ExitCode::StoppedWithoutRun);
    }
    {
        o.fnSetupDetails3 = 1;
        SampleRun r(o);
        EXPECT_EQ(r.start(), StartupOutcome::Armed);
        EXPECT_TRUE(r.op.asked.empty());
    }
}

TEST(SampleStartup, NotEnoughSpaceEnds) {
    SampleRun r(opts());
    EXPECT_EQ(r.start(4ULL * 1073741824ULL), StartupOutcome::ProgramEnded);
    ASSERT_EQ(r.op.informed.size(), 1u);
    EXPECT_THAT(r.op.informed[0], HasSubstr("need minimum of 5 GB space"));
}

TEST(SampleStartup, ASecondStartLeavesOnlyItsOwnLog) {
    SampleRun r(opts());
    ASSERT_EQ(r.start(), StartupOutcome::Armed);
    r.c().log.line(">>-first start");
    r.session.reset();
    ASSERT_EQ(r.start(), StartupOutcome::Armed);
    EXPECT_THAT(r.log(), Not(HasSubstr("first start")));
    EXPECT_THAT(r.log(), HasSubstr("Deployment Process Started"));
}

TEST(SampleInstallation, RefusesAFolderInUseAndUnknownNames) {
    SampleRun r(opts());
    SampleOptions again = opts();
    again.folder = r.dir;
    EXPECT_THROW(makeSampleInstallation(again), std::runtime_error);
    SampleOptions bad = opts();
    bad.folder = r.base / "other";
    bad.without.insert("seqno99");
    EXPECT_THROW(makeSampleInstallation(bad), std::runtime_error);
    EXPECT_FALSE(fs::exists(r.base / "other"));
}
