// Start-up on sample installations on the embedded engine: every outcome from a setting left out.
#include "app/sample/SampleInstallation.h"
#include "console/Session.h"
#include "tests/platform/TestSupport.h"
#include "tests/support/RecordingOperator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace quillan;
using namespace quillan::sample;
namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;

namespace {

// This machine, but with the drives a test chooses.
struct ChosenDrives : RealMachine {
    std::uint64_t freeBytes = 0;
    std::vector<FixedDrive> scanDrives(const PathMap&) override { return {{'C', freeBytes}}; }
};

struct SampleRun {
    test::TempDir base;
    fs::path dir = base / "install";
    test::RecordingOperator op;
    ChosenDrives machine;
    std::unique_ptr<Session> session; // declared after the folder: closed before it is removed

    explicit SampleRun(SampleOptions o) {
        o.folder = dir;
        makeSampleInstallation(o);
    }

    // Drives are given, so the outcome does not depend on this machine's free space.
    StartupOutcome start(std::uint64_t freeBytes = 20ULL * 1073741824ULL) {
        machine.freeBytes = freeBytes;
        session = std::make_unique<Session>(dir, op, machine);
        return session->start();
    }
    Console& c() { return session->console(); }
    std::string log() { return test::readFile(dir / "Tervik" / "Logs" / "DeployErrlog.log"); }
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

TEST(SampleStartup, OtherModesAndFormatsArmWithoutTheOtherModesSettings) {
    SampleOptions zippedCsv = opts(Mode::Ftp);
    zippedCsv.fileFormat = 1;
    zippedCsv.zipped = true;
    SampleOptions office = opts();
    office.deployPath = "Deploy/";
    office.masterPath = "Master/";
    office.transPath = "Trans/";
    const std::pair<SampleOptions, std::function<void(const ConsoleState&)>> cases[] = {
        {office,
         [](const ConsoleState& s) {
             EXPECT_EQ(s.deployServerPath, "Deploy/");
             EXPECT_EQ(s.deployMasterPath, "Master/");
             EXPECT_EQ(s.deployTransPath, "Trans/");
         }},
        {opts(Mode::Ftp),
         [](const ConsoleState& s) {
             EXPECT_EQ(s.transferMode, 1);
             EXPECT_EQ(s.ftpUser, "quillan");
         }},
        {opts(Mode::Lan),
         [](const ConsoleState& s) {
             EXPECT_FALSE(s.isLocalServer);
             EXPECT_EQ(s.lanServerPath, "C:\\LanShare");
         }},
        {without({"seqno33", "seqno34"}), [](const ConsoleState& s) { EXPECT_EQ(s.transferMode, 2); }},
        {without({"seqno40"}, Mode::Ftp), [](const ConsoleState& s) { EXPECT_EQ(s.transferMode, 1); }},
        {zippedCsv,
         [](const ConsoleState& s) {
             EXPECT_EQ(s.filePattern, "*.Zip");
             EXPECT_EQ(s.fileFormat, "Csv");
         }},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        SampleRun r(cases[i].first);
        ASSERT_EQ(r.start(), StartupOutcome::Armed) << ::testing::PrintToString(r.op.informed);
        cases[i].second(r.c().state);
    }
}

TEST(SampleStartup, MissingFilesFolderModeOrSpaceStopOrEndWithTheirMessage) {
    SampleOptions mode3 = opts();
    mode3.transferMode = 3;
    struct Case {
        const char* name;
        SampleOptions options;
        std::uint64_t freeBytes;
        StartupOutcome outcome;
        ::testing::Matcher<std::string> informed;
        std::optional<ExitCode> exit;
    };
    const Case cases[] = {
        {"settings file", without({"ini"}), 20ULL << 30, StartupOutcome::StoppedWithoutRun,
         EndsWith("In Form_Load"), ExitCode::Refused},
        {"log folder", without({"seqno37"}), 20ULL << 30, StartupOutcome::ProgramEnded,
         ::testing::Eq("Error Log Folder not Configured"), ExitCode::Refused},
        {"transfer mode", mode3, 20ULL << 30, StartupOutcome::StoppedWithoutRun, EndsWith(" In ValidateData"),
         std::nullopt},
        {"free space", opts(), 4ULL << 30, StartupOutcome::ProgramEnded,
         HasSubstr("need minimum of 5 GB space"), std::nullopt},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        SampleRun r(k.options);
        EXPECT_EQ(r.start(k.freeBytes), k.outcome);
        ASSERT_EQ(r.op.informed.size(), 1u);
        EXPECT_THAT(r.op.informed[0], k.informed);
        EXPECT_FALSE(r.c().state.timerEnabled);
        if (k.exit) {
            EXPECT_EQ(r.session->exitCode(), *k.exit);
        }
    }
    SampleRun logo(without({"logo"}));
    EXPECT_EQ(logo.start(), StartupOutcome::StoppedWithoutRun);
    EXPECT_EQ(logo.c().model.label(Label::LblStatus), "Quillan Image Not Found");
}

TEST(SampleStartup, EachMissingOrBlankSettingStopsWithItsLine) {
    SampleOptions blank = opts();
    blank.blank.insert("seqno32"); // blanks only count as missing
    const std::pair<SampleOptions, const char*> cases[] = {
        {without({"seqno31"}), ">>-Server Path Not Configured"},
        {blank, ">>-Deploy Server Path Not Configured"},
        {without({"seqno33"}, Mode::Ftp), ">>-FTP UserName Not Configured"},
        {without({"seqno35"}), ">>-Update Folder Not Configured"},
        {without({"seqno40"}, Mode::Lan), ">>-WebService Not Configured"},
    };
    for (const auto& [options, line] : cases) {
        SCOPED_TRACE(line);
        SampleRun r(options);
        EXPECT_EQ(r.start(), StartupOutcome::StoppedWithoutRun);
        EXPECT_TRUE(r.op.informed.empty()) << ::testing::PrintToString(r.op.informed);
        const std::string log = r.log();
        EXPECT_EQ(log.rfind("---------------------------------------------\r\nDeployment Date:", 0), 0u);
        EXPECT_THAT(log, HasSubstr(std::string(line) + "\r\n"));
    }
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
        EXPECT_EQ(r.session->exitCode(), ExitCode::Stopped);
    }
    {
        o.fnSetupDetails3 = 1;
        SampleRun r(o);
        EXPECT_EQ(r.start(), StartupOutcome::Armed);
        EXPECT_TRUE(r.op.asked.empty());
    }
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
