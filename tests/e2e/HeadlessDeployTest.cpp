// Headless runs of the built quillan on a sample installation made by quillan-sample, with the
// central office served by quillan-office (HTTP and the web service), by the loopback FTP server,
// or by the LAN share (the Excel scripts' way is in WholeDeployTest.cpp), of a release with a split package.
// Each run must fetch and import the deploy scripts (checklist rows 2 and 3 completed), download every
// package, rebuild the split package and unpack everything into the update folder with the packed files'
// times, and end completed (exit code 0); the next run finds the release applied. The later phases' work is
// checked file by file in WholeDeployTest.cpp.
#include "platform/RunLock.h"
#include "platform/db/Connection.h"
#include "tests/e2e/Executables.h"
#include "tests/e2e/FolderSnapshot.h"
#include "tests/e2e/SampleRelease.h"
#include "tests/transfer/TransferTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillan::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAreArray;

struct HeadlessDeploy : ::testing::Test {
    TempDir scratch{"quillan-e2e-office"};
    fs::path root = scratch / "office";
    SampleRelease release{scratch / "staging", root};

    // Rows 2 and 3 ended completed, as the view, the grid and the status box show them.
    static void expectScriptPhasesCompleted(const CommandResult& r) {
        EXPECT_THAT(r.out, HasSubstr("[row 2] completed | Check new downloads info....\n")) << r.out;
        EXPECT_THAT(r.out, HasSubstr("[row 3] completed | Updating new downloads info...\n"));
        EXPECT_THAT(r.out, HasSubstr("[grid 2] completed | Check new downloads info... |"));
        EXPECT_THAT(r.out, HasSubstr("[grid 3] completed | Updating new download info... |"));
        EXPECT_THAT(r.out, HasSubstr("[status] >>-Downloading Script file Process complete successfully\n"));
        EXPECT_THAT(r.out, HasSubstr("[status] >>-Updated Script file Process Successfully Completed\n"));
    }

    // Both scripts fetched once and recorded, and every row of both imported.
    void expectScriptsImported(const SampleInstall& inst, const std::string& master,
                               const std::string& transaction) const {
        EXPECT_THAT(inst.rows("SELECT SourceFileName FROM [Tervik].dbo.IMPORT_DEPLOY_FILENAMES"),
                    UnorderedElementsAreArray({master, transaction}));
        std::vector<std::string> names;
        for (const auto& rows : {release.masterRows(), release.transactionRows()})
            for (const auto& r : rows)
                names.push_back(r[0]);
        names.push_back("Big.zip"); // the rebuilt archive's own row
        EXPECT_THAT(inst.rows("SELECT File_Names FROM [Tervik].dbo.SetupDetails"),
                    UnorderedElementsAreArray(names));
    }

    // Every package arrived whole; the split one was rebuilt; every packed file lies unpacked in the
    // update folder with its bytes and its time, and the release's plain files carry that time as
    // File_UnZipDate.
    void expectDownloadedAndUnpacked(const SampleInstall& inst, bool recordsSizes,
                                     const std::string& log) const {
        const fs::path update = inst.updateFolder();
        for (const auto& name : release.packages()) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(fs::exists(update / name));
            EXPECT_EQ(readFile(update / name), readFile(root / "Deploy" / name));
            if (recordsSizes) {
                EXPECT_EQ(inst.rows("SELECT UploadFileSize - DownloadFileSize FROM [Tervik].dbo.SetupDetails "
                                    "WHERE File_Names = " +
                                    db::sqlQuote(name)),
                          std::vector<std::string>{"0"});
            }
        }
        ASSERT_TRUE(fs::exists(update / "Big.zip"));
        EXPECT_EQ(static_cast<long long>(fs::file_size(update / "Big.zip")), release.bigZipBytes());
        EXPECT_EQ(
            inst.rows("SELECT RegRequired, FileExtension, FileSplitStatus FROM [Tervik].dbo.SetupDetails "
                      "WHERE File_Names = 'Big.zip'"),
            std::vector<std::string>{"2\tZIP\t0"});
        for (const auto& [name, f] : release.files) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(fs::exists(update / name));
            EXPECT_EQ(readFile(update / name), f.bytes);
            DateTime written;
            ASSERT_EQ(GetFileDate(update / name, written), 0);
            EXPECT_EQ(written.iso(), f.time);
        }
        for (const char* name : {"Tervik.exe", "D0001.rpt", "O'Neil.rtm"})
            EXPECT_EQ(inst.rows(std::string("SELECT File_UnZipDate FROM [Tervik].dbo.SetupDetails WHERE "
                                            "File_Names = ") +
                                db::sqlQuote(name)),
                      std::vector<std::string>{release.files.at(name).time})
                << name;
        for (const char* package : {"Pkg1.zip", "Pkg2.zip", "Big.zip"})
            EXPECT_THAT(log, HasSubstr(std::string(">>-Unzipped ") + package + "\r\n"));
    }

    // A run that completed the release, and the next one, which finds it applied and ends at once.
    static void expectCompletedThenApplied(const SampleInstall& inst, const CommandResult& first,
                                           const std::string& options = "") {
        EXPECT_EQ(first.code, 0) << first.out;
        EXPECT_THAT(first.out, HasSubstr("[Quillan] Completed Successfully\n"));
        const CommandResult again = inst.run(options);
        EXPECT_EQ(again.code, 8) << again.out;
        EXPECT_THAT(again.out, HasSubstr("[Quillan] Updates Completed successfully\n"));
        EXPECT_THAT(again.out, Not(HasSubstr("| Downloading new program |")));
    }
};

TEST_F(HeadlessDeploy, OverTheWebServiceAndHttp) {
    release.publishScripts("xml", false);
    OfficeProcess office(root, scratch / "port");
    SampleInstall inst("--mode http --format xml --server-path " + office.serverPath());

    const CommandResult r = inst.run();
    const std::string log = inst.runLog();
    expectScriptPhasesCompleted(r);
    EXPECT_THAT(log, HasSubstr(">>Downloaded File D0001_SETUPDETAILS_1.xml\r\n"));
    expectScriptsImported(inst, "SETUPDETAILS_1.xml", "D0001_SETUPDETAILS_1.xml");
    expectDownloadedAndUnpacked(inst, true, log);
    EXPECT_THAT(r.out, HasSubstr("[row 4] completed |"));
    EXPECT_THAT(r.out, HasSubstr("[row 5] completed |"));

    // A second run fetches neither a script nor a package again: the release is applied.
    expectCompletedThenApplied(inst, r);
    EXPECT_THAT(inst.runLog(), Not(HasSubstr("Importing Transcation file")));
    EXPECT_THAT(inst.runLog(), Not(HasSubstr(">>Downloaded File")));
}

TEST_F(HeadlessDeploy, OverFtpWithZippedCsvScripts) {
    release.publishScripts("csv", true);
    FtpTestServer ftp(root, {"--user", "quillan", "--password", "sample"});
    SampleInstall inst("--mode ftp --format csv --zipped --server-path " + ftp.address());

    const CommandResult r = inst.run();
    expectScriptPhasesCompleted(r);
    expectScriptsImported(inst, "SETUPDETAILS_1.zip", "D0001_SETUPDETAILS_1.zip");
    // The zipped scripts were archived once imported.
    EXPECT_THAT(fileNamesIn(inst.dir / "DEPLOY ARCHIVEIN"),
                UnorderedElementsAreArray({"SETUPDETAILS_1.zip", "D0001_SETUPDETAILS_1.zip"}));
    expectDownloadedAndUnpacked(inst, true, inst.runLog());
    EXPECT_THAT(r.out, HasSubstr("[row 5] completed |"));
    expectCompletedThenApplied(inst, r);
}

// A LAN client fetches no scripts (rows 2 and 3 count as done): the release's rows are those the
// server machine recorded after its own download, and every package comes from the share. The
// office still answers the connection check.
TEST_F(HeadlessDeploy, LanClientTakesEveryPackageFromTheShare) {
    OfficeProcess office(root, scratch / "port");
    SampleInstall inst("--mode lan --server-path " + office.serverPath());
    for (const auto& name : release.packages())
        fs::copy_file(root / "Deploy" / name, inst.dir / "LanShare" / name);
    inst.sql("EXEC [Tervik].dbo.Proc_ImpSetupDetails " + db::sqlQuote(xmlScript(release.downloadedRows())));

    const CommandResult r = inst.run("--answer server=yes");
    expectScriptPhasesCompleted(r);
    expectDownloadedAndUnpacked(inst, false, inst.runLog());
    expectCompletedThenApplied(inst, r, "--answer server=yes");
}

// A run that ends early on a box (a package row the download refuses, over HTTP, where no log is
// shown before the program ends) still prints the log lines that give the reason.
TEST_F(HeadlessDeploy, AnEarlyEndingPrintsTheLogLinesThatGiveItsReason) {
    ReleaseRow evil = release.masterRows().front();
    evil[0] = "C:evil.zip";
    evil[8] = "123"; // UploadFileSize
    evil[10] = "ZIP";
    writeFile(root / "Master" / "SETUPDETAILS_1.xml", xmlScript({evil}));
    OfficeProcess office(root, scratch / "port");
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
