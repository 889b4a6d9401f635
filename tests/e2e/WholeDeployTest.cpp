// Whole deployments over the built executables: release 8, built by quillan-release, served over
// HTTP with the web service (quillan-office), over FTP, or from the LAN share, in each format
// (XML, CSV, Excel; zipped too), for every distributor or for the sample's own, whole or as a
// split package, installed by `quillan --headless` on a sample installation holding release 7. The
// first run fetches and imports the deploy script, downloads, joins, unpacks and installs the
// release (exit code 0); the second fetches nothing and finds it applied (exit code 8). The
// installation is checked file by file (bytes and times), the backup folder, and the database row
// by row.
#include "archive/Unzip.h"
#include "platform/RunLock.h"
#include "platform/db/Connection.h"
#include "tests/e2e/FolderSnapshot.h"
#include "tests/e2e/WholeRelease.h"
#include "tests/platform/ChildPrograms.h"
#include "tests/support/DeployScriptFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

namespace quillan::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAreArray;

struct Way {
    const char* name;
    const char* mode; // quillan-sample's --mode
    const char* format;
    bool zipped;
    bool split;       // the package published as a template and pieces
    bool distributor; // the script for the sample's distributor D0001 (Trans), not for every one (Master)

    std::string script() const {
        return std::string(distributor ? "Trans/D0001_" : "Master/") + "SETUPDETAILS_000008." +
               (zipped ? "zip" : format);
    }
    std::string publishOptions() const {
        return std::string(split ? " --split-size 300" : "") +
               (distributor ? " --distributor D0001 --package Release8.zip" : "");
    }
};
void PrintTo(const Way& w, std::ostream* os) {
    *os << w.name;
}

// Rows 2 and 3 (the deploy script's download and import) ended completed, as the view, the grid
// and the status box show them, and the script was fetched and recorded once.
void expectScriptPhasesCompleted(const Way& w, const SampleInstall& inst, const CommandResult& r) {
    EXPECT_THAT(r.out, HasSubstr("[row 2] completed | Check new downloads info....\n")) << r.out;
    EXPECT_THAT(r.out, HasSubstr("[row 3] completed | Updating new downloads info...\n"));
    EXPECT_THAT(r.out, HasSubstr("[grid 2] completed | Check new downloads info... |"));
    EXPECT_THAT(r.out, HasSubstr("[grid 3] completed | Updating new download info... |"));
    EXPECT_THAT(r.out, HasSubstr("[status] >>-Downloading Script file Process complete successfully\n"));
    EXPECT_THAT(r.out, HasSubstr("[status] >>-Updated Script file Process Successfully Completed\n"));
    const std::string script = fs::path(w.script()).filename().string();
    EXPECT_THAT(inst.runLog(), HasSubstr(">>Downloaded File " + script + "\r\n"));
    EXPECT_EQ(inst.rows("SELECT SourceFileName FROM [Tervik].dbo.IMPORT_DEPLOY_FILENAMES"),
              std::vector<std::string>{script});
    if (w.zipped) { // a zipped script is archived once imported
        EXPECT_THAT(fileNamesIn(inst.dir / "DEPLOY ARCHIVEIN"), Contains(script));
    }
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

// SetupDetails row by row: the package (or its template and pieces, and the archive the join
// rebuilt), the hotfix and every file of the release, finished; every package's size recorded as
// downloaded; every file's row carrying the time it was packed with.
void expectReleaseRows(const WholeRelease& r, const SampleInstall& inst, bool split) {
    auto extensionOf = [](const std::string& name) {
        std::string e = name.substr(name.rfind('.') + 1);
        for (char& ch : e)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return e;
    };
    std::vector<std::string> rows{std::string("Release8.zip\tZIP\t0\t") + (split ? "2" : "0") + "\t3",
                                  std::string(WholeRelease::kHotfix) + "\tSQL\t801\t0\t3"};
    for (const auto& name : split ? fileNamesIn(r.root / "Deploy") : std::vector<std::string>{})
        rows.push_back(name + (name.ends_with(".tpl") ? "\tTPL" : "\tZIP") + "\t0\t0\t3");
    for (const auto& [name, f] : r.files)
        rows.push_back(name + "\t" + extensionOf(name) + "\t0\t" + (name == "TervikCtl.ocx" ? "1" : "0") +
                       "\t3");
    EXPECT_THAT(inst.rows("SELECT File_Names, UPPER(FileExtension), HotfixNo, RegRequired, Status FROM "
                          "[Tervik].dbo.SetupDetails"),
                UnorderedElementsAreArray(rows));
    EXPECT_THAT(inst.rows("SELECT File_Names FROM [Tervik].dbo.SetupDetails WHERE FileExtension IN "
                          "('ZIP', 'TPL') AND RegRequired <> 2 AND UploadFileSize <> DownloadFileSize"),
                ::testing::IsEmpty());
    for (const auto& [name, f] : r.files)
        EXPECT_EQ(inst.rows("SELECT File_UnZipDate FROM [Tervik].dbo.SetupDetails WHERE File_Names = " +
                            db::sqlQuote(name)),
                  std::vector<std::string>{WholeRelease::kNewTime})
            << name;
}

class WholeDeploy : public ::testing::TestWithParam<Way> {};

TEST_P(WholeDeploy, InstallsTheReleaseThenFindsItApplied) {
    const Way& w = GetParam();
    WholeRelease release;
    const CommandResult published = release.publish(w.format, w.zipped, w.publishOptions());
    ASSERT_EQ(published.code, 0) << published.out;
    ServedRelease served(release, w.mode, w.format, w.zipped);
    SampleInstall inst(served.options);
    release.putOldFiles(inst);
    const bool lan = std::string(w.mode) == "lan";
    if (lan)
        release.asTheServerMachineLeftIt(inst, w.script());
    const std::string answers = lan ? "--answer server=yes" : "";

    const CommandResult first = inst.run(answers);
    ASSERT_EQ(first.code, 0) << first.out << inst.runLog();
    EXPECT_THAT(first.out, HasSubstr("Exit code 0"));
    if (!lan)
        expectScriptPhasesCompleted(w, inst, first);
    EXPECT_THAT(inst.runLog(), HasSubstr(">>-Unzipped Release8.zip\r\n"));
    release.expectInstalled(inst);
    WholeRelease::expectRecorded(inst, !lan);
    EXPECT_THAT(inst.rows("SELECT ProcessexeName, VersionId FROM [Tervik].dbo.DeploymentVesrion"),
                UnorderedElementsAreArray({"Quillan.exe\tQL.0.0.1"}));
    expectReleaseRows(release, inst, w.split);
    EXPECT_THAT(inst.runLog(), HasSubstr(">>-Registered TervikCtl.ocx"));
    EXPECT_THAT(inst.runLog(),
                HasSubstr(">>-Releases are not verified: no key is trusted in C:\\Dll\\TrustedKeys.txt"));
    const std::string component = (inst.dir / "TervikCtl.ocx").string();
    EXPECT_EQ(readFile(release.toolLog), "/u|" + component + "\n" + component + "\n");
    expectBackedUp(release, inst, /*databaseBackedUp=*/!lan);

    // The second run fetches neither a script nor a package again: the release is applied.
    const CommandResult second = inst.run(answers);
    EXPECT_EQ(second.code, 8) << second.out;
    EXPECT_THAT(second.out, HasSubstr("[Quillan] Updates Completed successfully\n"));
    EXPECT_THAT(second.out, Not(HasSubstr("| Downloading new program |")));
    EXPECT_THAT(inst.runLog(), Not(HasSubstr(">>Downloaded File")));
    release.expectInstalled(inst);
    WholeRelease::expectRecorded(inst, !lan);
    expectReleaseRows(release, inst, w.split);
}

INSTANTIATE_TEST_SUITE_P(
    EachTransportAndFormat, WholeDeploy,
    ::testing::Values(Way{"HttpXmlSplit", "http", "xml", false, true, false},
                      Way{"HttpCsvZippedForTheDistributor", "http", "csv", true, false, true},
                      Way{"FtpCsv", "ftp", "csv", false, false, false},
                      Way{"FtpXmlZippedForTheDistributor", "ftp", "xml", true, false, true},
                      Way{"HttpExcel", "http", "xls", false, false, false},
                      Way{"FtpExcelZipped", "ftp", "xls", true, false, false},
                      Way{"LanShareSplit", "lan", "xml", false, true, false}),
    [](const auto& way) { return std::string(way.param.name); });

// A program of the release is running: the operator's answer closes it, and the run goes on.
TEST(WholeDeployWithAProgramRunning, ClosesItAfterTheAnswerAndInstallsTheRelease) {
    ChildPrograms children;
    WholeRelease release(children.name("", "Tervik.exe"));
    ASSERT_EQ(release.publish("xml", false).code, 0);
    ServedRelease served(release, "http");
    SampleInstall inst(served.options);
    release.putOldFiles(inst);
    const auto pid = children.start(release.program);

    const CommandResult r = inst.run("--answer close=yes");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Close the " + release.program + " to continue Quillan -> Yes"));
    EXPECT_TRUE(children.ended(pid));
    release.expectInstalled(inst);
}

// A run that ends early on a box (a package row the download refuses, over HTTP, where no log is
// shown before the program ends) still prints the log lines that give the reason.
TEST(WholeDeployEndingEarly, PrintsTheLogLinesThatGiveItsReason) {
    TempDir scratch{"quillan-e2e-early"};
    const ReleaseRow evil{"C:evil.zip", "App.Path", "2024-03-01 10:00:00", "", "1", "0", "0", "8", "123", "0",
                          "ZIP",        "0"};
    writeFile(scratch / "office" / "Master" / "SETUPDETAILS_1.xml", xmlScript({evil}));
    OfficeProcess office(scratch / "office", scratch / "port");
    SampleInstall inst("--mode http --format xml --server-path " + office.serverPath());

    const CommandResult r = inst.run();
    EXPECT_EQ(r.code, 3) << r.out;
    EXPECT_THAT(r.out, HasSubstr("[LblStatus] Error while importing ZIP file. Check Log for details\n"));
    EXPECT_THAT(r.out, HasSubstr("[log] Refused file name \"C:evil.zip\"")) << r.out;
}

// One run per installation: a second process (a scheduler, a double click) while a run holds the
// installation says so, changes nothing (not even the first run's log) and ends with its own code;
// once the holder is gone, a run goes ahead.
TEST(OneRunAtATime, ASecondProcessSaysSoChangesNothingAndEndsWithItsOwnCode) {
    SampleInstall inst("--mode http --server-path http://127.0.0.1:9/");
    writeFile(inst.dir / "Tervik" / "Logs" / "DeployErrlog.log", "the first run's log\r\n");
    auto firstRun = tryLockRun(inst.dir / "Quillan.lock");
    ASSERT_NE(firstRun, nullptr);
    const auto before = fingerprint(snapshot(inst.dir));

    const CommandResult second = inst.run();
    EXPECT_EQ(second.code, 6) << second.out;
    EXPECT_THAT(second.out, HasSubstr("Another Quillan run holds this installation"));
    EXPECT_THAT(second.out, HasSubstr("Exit code 6: refused: another run holds the installation"));
    EXPECT_EQ(fingerprint(snapshot(inst.dir)), before);

    firstRun.reset();
    const CommandResult later = inst.run();
    EXPECT_NE(later.code, 6) << later.out;
    EXPECT_THAT(inst.runLog(), Not(HasSubstr("the first run's log")));
}

} // namespace
} // namespace quillan::test
