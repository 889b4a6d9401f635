// Whole deployments over the built executables: release 8, built by quillan-release, served over
// HTTP with the web service (quillan-office), over FTP, or from the LAN share, in each format
// (XML, CSV, Excel; zipped too), installed by `quillan --headless` on a sample installation holding
// release 7. The first run installs it (exit code 0), the second finds it applied. The installation is
// checked file by file (bytes and times), the backup folder, and the database row by row.
#include "archive/Unzip.h"
#include "platform/db/Connection.h"
#include "tests/e2e/WholeRelease.h"
#include "tests/platform/ChildPrograms.h"
#include "tests/transfer/TransferTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <regex>

namespace quillan::test {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAreArray;

struct Way {
    const char* name;
    const char* mode; // quillan-sample's --mode
    const char* format;
    bool zipped;
};
void PrintTo(const Way& w, std::ostream* os) {
    *os << w.name;
}

// The office of the way, serving the release folder; the sample's server path for it. A LAN
// client takes the packages from the share, and the office answers its connection check.
struct ServedRelease {
    std::optional<OfficeProcess> office;
    std::optional<FtpTestServer> ftp;
    std::string serverPath;

    ServedRelease(const Way& w, const WholeRelease& r) {
        if (std::string(w.mode) != "ftp") {
            office.emplace(r.root, r.scratch / "port");
            serverPath = office->serverPath();
        } else if (std::string(w.mode) == "ftp") {
            ftp.emplace(r.root, std::vector<std::string>{"--user", "quillan", "--password", "sample"});
            serverPath = ftp->address();
        }
    }
};

std::string sampleOptions(const Way& w, const std::string& serverPath) {
    std::string o = std::string("--mode ") + w.mode + " --format " + w.format + (w.zipped ? " --zipped" : "");
    return serverPath.empty() ? o : o + " --server-path " + serverPath;
}

// A LAN client takes what the server machine recorded after its own download: the release's
// script imported into the shared database with every size downloaded, the packages on the share.
void publishOnTheLanShare(const WholeRelease& r, const SampleInstall& inst) {
    for (const auto& e : fs::directory_iterator(r.root / "Deploy"))
        fs::copy_file(e.path(), inst.dir / "LanShare" / e.path().filename());
    const auto scripts = fileNamesIn(r.root / "Master");
    ASSERT_EQ(scripts.size(), 1u);
    inst.sql("EXEC [Tervik].dbo.Proc_ImpSetupDetails " +
             db::sqlQuote(readFile(r.root / "Master" / scripts.front())));
    inst.sql("UPDATE [Tervik].dbo.SetupDetails SET DownloadFileSize = UploadFileSize");
    inst.sql("INSERT INTO [Tervik].dbo.HotFixLog VALUES (801)"); // the server machine's run
}

// Every file of the release in place with its new bytes and the time it had at the office.
void expectInstalled(const WholeRelease& r, const SampleInstall& inst) {
    for (const auto& [name, f] : r.files) {
        SCOPED_TRACE(name);
        EXPECT_EQ(readFile(inst.dir / f.installedAt), f.newBytes);
        EXPECT_EQ(WholeRelease::timeOf(inst.dir / f.installedAt), WholeRelease::kNewTime);
    }
}

// The hotfix ran once (on a LAN client: the server machine ran it, the client does not), its
// effect and its HotFixLog row are there; every row of the release is finished (Status 3); the
// console's version row is written.
void expectRecorded(const SampleInstall& inst, bool hotfixRanHere) {
    EXPECT_EQ(inst.rows("SELECT FixId FROM [Tervik].dbo.HotFixLog"), std::vector<std::string>{"801"});
    if (hotfixRanHere) {
        EXPECT_EQ(inst.rows("SELECT Version, Note FROM [Tervik].dbo.ReleaseNotes"),
                  std::vector<std::string>{"8\tSales report by region"});
    }
    EXPECT_EQ(inst.rows("SELECT COUNT(*) FROM [Tervik].dbo.SetupDetails WHERE Status <> 3"),
              std::vector<std::string>{"0"});
    EXPECT_THAT(inst.rows("SELECT ProcessexeName, VersionId FROM [Tervik].dbo.DeploymentVesrion"),
                UnorderedElementsAreArray({"Quillan.exe\tQL.0.0.1"}));
}

// The backup folder holds release 7's files with their bytes and times and, where the database
// is this machine's, its backup: "<distributor>_<ddMMyyyyHHmmss>.zip" holding the ".bak" of the
// same name.
void expectBackedUp(const WholeRelease& r, const SampleInstall& inst, bool databaseBackedUp) {
    const fs::path backup = inst.dir / "UploadBackup";
    std::vector<std::string> expected;
    for (const auto& [name, f] : r.files) {
        SCOPED_TRACE(name);
        expected.push_back(name);
        EXPECT_EQ(readFile(backup / name), f.oldBytes);
        EXPECT_EQ(WholeRelease::timeOf(backup / name), WholeRelease::kOldTime);
    }
    std::vector<std::string> archives;
    for (const auto& name : fileNamesIn(backup))
        if (name.ends_with(".zip"))
            archives.push_back(name);
    ASSERT_EQ(archives.size(), databaseBackedUp ? 1u : 0u);
    if (databaseBackedUp) {
        EXPECT_TRUE(std::regex_match(archives[0], std::regex("D0001_[0-9]{14}\\.zip"))) << archives[0];
        cUnzip z;
        z.ZipFile(backup / archives[0]);
        z.Directory();
        ASSERT_EQ(z.FileCount(), 1);
        EXPECT_EQ(z.Filename(1), archives[0].substr(0, archives[0].size() - 4) + ".bak");
        EXPECT_GT(z.FileSize(1), 0u);
        expected.push_back(archives[0]);
    }
    EXPECT_THAT(fileNamesIn(backup), UnorderedElementsAreArray(expected)) << "nothing else";
}

// SetupDetails row by row: the package, the hotfix and every file of the release, finished.
void expectReleaseRows(const WholeRelease& r, const SampleInstall& inst) {
    auto extensionOf = [](const std::string& name) {
        std::string e = name.substr(name.rfind('.') + 1);
        for (char& ch : e)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return e;
    };
    std::vector<std::string> rows{"Release8.zip\tZIP\t0\t0\t3",
                                  std::string(WholeRelease::kHotfix) + "\tSQL\t801\t0\t3"};
    for (const auto& [name, f] : r.files)
        rows.push_back(name + "\t" + extensionOf(name) + "\t0\t" + (name == "TervikCtl.ocx" ? "1" : "0") +
                       "\t3");
    EXPECT_THAT(inst.rows("SELECT File_Names, UPPER(FileExtension), HotfixNo, RegRequired, Status FROM "
                          "[Tervik].dbo.SetupDetails"),
                UnorderedElementsAreArray(rows));
}

class WholeDeploy : public ::testing::TestWithParam<Way> {};

TEST_P(WholeDeploy, InstallsTheReleaseThenFindsItApplied) {
    const Way& w = GetParam();
    WholeRelease release;
    const CommandResult published = release.publish(w.format, w.zipped);
    ASSERT_EQ(published.code, 0) << published.out;
    ServedRelease served(w, release);
    SampleInstall inst(sampleOptions(w, served.serverPath));
    release.putOldFiles(inst);
    const bool lan = std::string(w.mode) == "lan";
    if (lan)
        publishOnTheLanShare(release, inst);
    const std::string answers = lan ? "--answer server=yes" : "";

    const CommandResult first = inst.run(answers);
    ASSERT_EQ(first.code, 0) << first.out << inst.runLog();
    EXPECT_THAT(first.out, HasSubstr("Exit code 0"));
    expectInstalled(release, inst);
    expectRecorded(inst, !lan);
    expectReleaseRows(release, inst);
    EXPECT_THAT(inst.runLog(), HasSubstr(">>-Registered TervikCtl.ocx"));
    EXPECT_THAT(inst.runLog(),
                HasSubstr(">>-Releases are not verified: no key is trusted in C:\\Dll\\TrustedKeys.txt"));
    const std::string component = (inst.dir / "TervikCtl.ocx").string();
    EXPECT_EQ(readFile(release.toolLog), "/u|" + component + "\n" + component + "\n");
    expectBackedUp(release, inst, /*databaseBackedUp=*/!lan);

    const CommandResult second = inst.run(answers);
    EXPECT_EQ(second.code, 8) << second.out;
    EXPECT_THAT(second.out, HasSubstr("Updates Completed successfully"));
    expectInstalled(release, inst);
    expectRecorded(inst, !lan);
    expectReleaseRows(release, inst);
}

INSTANTIATE_TEST_SUITE_P(
    EachTransportAndFormat, WholeDeploy,
    ::testing::Values(Way{"HttpXml", "http", "xml", false}, Way{"HttpCsvZipped", "http", "csv", true},
                      Way{"FtpCsv", "ftp", "csv", false}, Way{"FtpXmlZipped", "ftp", "xml", true},
                      Way{"HttpExcel", "http", "xls", false}, Way{"FtpExcelZipped", "ftp", "xls", true},
                      Way{"LanShare", "lan", "xml", false}),
    [](const auto& way) { return std::string(way.param.name); });

// A program of the release is running: the operator's answer closes it, and the run goes on.
TEST(WholeDeployWithAProgramRunning, ClosesItAfterTheAnswerAndInstallsTheRelease) {
    ChildPrograms children;
    WholeRelease release(children.name("", "Tervik.exe"));
    ASSERT_EQ(release.publish("xml", false).code, 0);
    const Way http{"Http", "http", "xml", false};
    ServedRelease served(http, release);
    SampleInstall inst(sampleOptions(http, served.serverPath));
    release.putOldFiles(inst);
    const auto pid = children.start(release.program);

    const CommandResult r = inst.run("--answer close=yes");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Close the " + release.program + " to continue Quillan -> Yes"));
    EXPECT_TRUE(children.ended(pid));
    expectInstalled(release, inst);
}

} // namespace
} // namespace quillan::test
