// The download phases on the embedded engine against the real loopback servers and a LAN share:
// the two LAN passes, the size bookkeeping, the verification's sweep and question and the path
// corrections. Whole runs over each transport are the headless deploy tests' (tests/e2e).
#include "base/Progress.h"
#include "console/DownloadVerification.h"
#include "console/PathCorrections.h"
#include "console/ProgramDownload.h"
#include "scripts/TplTemplate.h"
#include "tests/support/RecordingView.h"
#include "tests/support/ReleaseFolders.h"
#include "tests/transfer/TransferTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quillan {
namespace {

namespace fs = std::filesystem;

struct Release : test::ReleaseFolders {
    TransferSession session;
    test::ScratchDir serverRoot;
    std::unique_ptr<test::FtpTestServer> ftp;
    test::HttpTestServer http;

    // The server's deployment folder holds `files`; the console is set for transport 1 (FTP),
    // 2 (HTTP) or 0 (a LAN client, the share holding them).
    void serve(int transport, const std::map<std::string, std::string>& files) {
        c.state.transferMode = transport == 0 ? 1 : transport;
        c.state.isLocalServer = transport != 0;
        for (const auto& [name, bytes] : files)
            test::writeFile((transport == 0 ? share : serverRoot / "deploy") / name, bytes);
        if (transport == 1) {
            ftp = std::make_unique<test::FtpTestServer>(serverRoot.path());
            c.state.serverPath = ftp->address();
            c.state.ftpUser = "deploy";
            c.state.ftpPassword = "secret";
            c.state.deployServerPath = "deploy";
        } else if (transport == 2) {
            http.server.set_mount_point("/deploy", (serverRoot / "deploy").string());
            http.server.Get("/Test.log", [](const httplib::Request&, httplib::Response& r) {
                r.set_content("ok", "text/plain");
            });
            http.start();
            c.state.serverPath = http.base();
            c.state.deployServerPath = "deploy/";
        }
    }
};

struct Download : ::testing::Test, Release {};

TEST_F(Download, LanClientFetchesIncompleteThenCompletePackagesAndRecordsNoSize) {
    serve(0, {{"A.zip", "aaaaa"}, {"B.zip", "bbb"}});
    addPackage("A.zip", 1, 5, 0);
    addPackage("B.zip", 2, 3, 3);
    EXPECT_EQ(ProgramDownload(c, session), PhaseOutcome::Continue);
    EXPECT_EQ(test::readFile(update / "A.zip"), "aaaaa");
    EXPECT_EQ(test::readFile(update / "B.zip"), "bbb");
    EXPECT_EQ(value("DownloadFileSize", "A.zip"), "0");
    EXPECT_EQ(c.model.grid().at(4).processingName, "A.zip");
    EXPECT_EQ(c.model.grid().at(5).event, "Downloading new program from LAN");
    EXPECT_EQ(c.model.grid().at(5).processingName, "B.zip");
    EXPECT_EQ(c.model.checklist(Row::ProgramDownload).status, RowStatus::Completed);
    EXPECT_EQ(c.model.panel(true, 3), "0 MB"); // 3 bytes
    EXPECT_TRUE(op.informed.empty());
}

// With no complete package the second pass has no last package to show: no "File not found" box.
// A package missing on the share ends the program.
TEST_F(Download, LanSecondPassWithoutRowsShowsNoBoxAndAMissingPackageEndsTheProgram) {
    serve(0, {{"A.zip", std::string(1024, 'a')}});
    addPackage("A.zip", 1, 1024, 0);
    EXPECT_EQ(ProgramDownload(c, session), PhaseOutcome::Continue);
    EXPECT_TRUE(op.informed.empty());
    EXPECT_EQ(c.model.panel(true, 3), "0.001 MB");

    Release missing;
    missing.serve(0, {});
    missing.addPackage("A.zip", 1, 5, 0);
    EXPECT_EQ(ProgramDownload(missing.c, missing.session), PhaseOutcome::ProgramEnded);
    EXPECT_EQ(missing.c.ending(), Ending::Failure);
    EXPECT_EQ(missing.c.model.label(Label::LblStatus),
              "Error while importing ZIP file. Check Log for details");
}

// Over FTP and HTTP: a package never recorded (NULL bytes) is fetched and recorded; a local copy
// of the wrong size is fetched once more; a server copy of the wrong size is not recorded, and the
// verification then closes the run.
TEST_F(Download, ServerTransportsRecordOnlyExactSizesAndRefetchWrongLocalCopies) {
    for (int transport : {1, 2}) {
        SCOPED_TRACE(transport);
        Release f;
        f.serve(transport, {{"Good.zip", std::string(300, 'g')},
                            {"Stale.zip", std::string(200, 's')},
                            {"Wrong.zip", std::string(50, 'w')}});
        f.addPackage("Good.zip", 1, 300, -1);
        f.addPackage("Stale.zip", 2, 200, 0);
        f.addPackage("Wrong.zip", 3, 60, 0);
        test::writeFile(f.update / "Stale.zip", "old");
        EXPECT_EQ(ProgramDownload(f.c, f.session), PhaseOutcome::Continue);
        EXPECT_FALSE(f.c.model.checklist(Row::ProgramDownload).barVisible) << "the phase has ended";
        EXPECT_EQ(f.value("DownloadFileSize", "Good.zip"), "300");
        EXPECT_EQ(f.value("DownloadFileSize", "Stale.zip"), "200");
        EXPECT_EQ(test::readFile(f.update / "Stale.zip"), std::string(200, 's'));
        EXPECT_TRUE(f.logged(">>-Stale.zip in the local folder has 3 bytes, 200 published: fetched again"));
        EXPECT_EQ(f.value("DownloadFileSize", "Wrong.zip"), "0");
        EXPECT_TRUE(f.logged(">>-Wrong.zip has 50 bytes, 60 published: its download is not recorded"));

        EXPECT_EQ(DownloadVerification(f.c), PhaseOutcome::RunEnded);
        EXPECT_TRUE(f.logged(">>-File Not Properly Downloaded"));
        EXPECT_EQ(f.closings(), 1);
    }
}

// A package that breaks off part way: while it comes, the step's bar and label are seen and its
// grid cell follows them; once it has failed, the grid row tells how far it got, not "0 %".
TEST_F(Download, APackageThatBreaksOffShowsItsProgressAndWhereItStopped) {
    const std::string body(100000, 'b');
    http.server.Get("/deploy/Big.zip", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(body.size(), "application/octet-stream",
                                 [&](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset >= 40000)
                                         return false;
                                     sink.write(body.data() + offset, 40000);
                                     return true;
                                 });
    });
    serve(2, {});
    addPackage("Big.zip", 1, 100000, 0);
    struct GridCells : ModelObserver {
        std::vector<std::string> cells;
        void gridRowChanged(int row, const GridRow& r) override {
            if (row == 4 && r.status == RowStatus::InProgress)
                cells.push_back(r.percent);
        }
    } grid;
    c.model.addObserver(&grid);
    test::RecordingView view(c.model);
    EXPECT_EQ(ProgramDownload(c, session), PhaseOutcome::Continue);
    c.model.removeObserver(&grid);

    const auto& changes = view.changes(Row::ProgramDownload);
    const auto moving = std::find_if(changes.begin(), changes.end(), [](const ChecklistRow& r) {
        return r.barValue > 0 && r.barVisible && r.percentVisible;
    });
    EXPECT_NE(moving, changes.end()) << "the bar and its label are seen while they move";
    ASSERT_FALSE(grid.cells.empty());
    EXPECT_EQ(grid.cells.back(), "39 %") << "the grid cell followed the download";
    const GridRow& failed = c.model.grid().at(4);
    EXPECT_EQ(failed.status, RowStatus::Failed);
    EXPECT_EQ(failed.percent, "39 %") << "where the download stopped";
    EXPECT_FALSE(c.model.checklist(Row::ProgramDownload).barVisible);
}

TEST_F(Download, SweepRemovesStaleFilesButNotHiddenOnesNorPackages) {
    addPackage("A.zip", 1, 1, 1);
    test::writeFile(update / "A.zip", "a");
    test::writeFile(update / "old.zip", "o");
    test::writeFile(update / ".keep", "k");
    EXPECT_EQ(DownloadVerification(c), PhaseOutcome::Continue);
    EXPECT_EQ(test::fileNamesIn(update), (std::vector<std::string>{".keep", "A.zip"}));
    EXPECT_EQ(c.state.run.completedPhase, 4);
    EXPECT_FALSE(c.state.run.splitPackagesJoined);
}

// An update folder that holds the application folder (or is a drive root) is not swept.
TEST_F(Download, SweepIsRefusedWhereItWouldRemoveOtherFiles) {
    addPackage("A.zip", 1, 1, 1);
    c.state.updateFolder = c.paths.toWindows(dir.path());
    test::writeFile(dir.path() / "notes.txt", "n");
    EXPECT_EQ(DownloadVerification(c), PhaseOutcome::Continue);
    EXPECT_TRUE(fs::exists(dir.path() / "notes.txt"));
    EXPECT_TRUE(logged("Old files are not removed from " + c.state.updateFolder +
                       ": it holds the application folder"));
    for (const char* root : {"C:\\", "C:", " D:\\ ", ""}) {
        c.state.updateFolder = root;
        EXPECT_EQ(sweepRefusal(c), "it is a drive root") << root;
    }
    c.state.updateFolder = c.paths.toWindows(update);
    EXPECT_EQ(sweepRefusal(c), "");
}

TEST_F(Download, SplitPackagesAreJoinedBeforeTheSweep) {
    test::writeFile(staging / "Big.zip", std::string(2500, 'x'));
    const auto t = tpl::splitPackage(staging / "Big.zip", update, "Big.tpl", "D:\\Rel\\Big.zip", 1000);
    addPackage("Big.tpl", 1, 1, 1, "TPL", 1);
    for (int i = 1; i <= t.pieceCount; ++i)
        addPackage(tpl::pieceFileName("Big.zip", i), 1, 1, 1, "ZIP", 1);
    EXPECT_EQ(DownloadVerification(c), PhaseOutcome::Continue);
    EXPECT_TRUE(c.state.run.splitPackagesJoined);
    EXPECT_EQ(test::readFile(update / "Big.zip"), std::string(2500, 'x'));
    fs::remove(update / "Big.zip.002");
    EXPECT_EQ(DownloadVerification(c), PhaseOutcome::RunEnded);
    EXPECT_TRUE(logged(">>-File Not Properly Restored"));
}

// A package published with no size is fetched by no transport: the verification names it with
// its size and closes the run, instead of the unpacking finding it missing.
TEST_F(Download, APackagePublishedWithoutASizeIsNamedWithItAndStopsTheRun) {
    addPackage("Zero.zip", 1, 0, 0);
    addPackage("Minus.zip", 1, -5, 0);
    EXPECT_EQ(DownloadVerification(c), PhaseOutcome::RunEnded);
    EXPECT_TRUE(logged(">>-Zero.zip is published with a size of 0 bytes: it cannot be fetched"));
    EXPECT_TRUE(logged(">>-Minus.zip is published with a size of -5 bytes: it cannot be fetched"));
    EXPECT_TRUE(logged(">>-File Not Properly Downloaded"));
    EXPECT_TRUE(c.state.run.runFailed);
    EXPECT_TRUE(c.state.run.closed());
}

// After No the download row is completed, whatever the grid's counter stands at, and the answer
// takes the row after the grid's last: in FTP mode row 1 is never written, so counting the rows
// written once put it on the last package's row.
TEST_F(Download, MandatoryReleaseAsksAndNoStopsTheRunOnTheDownloadRow) {
    setMandatory(1, 0);
    for (int row = 2; row <= 9; ++row)
        LoadToGrid(c, row, "x", "row " + std::to_string(row), 3, "");
    setRowStatus(c, Row::ProgramDownload, RowStatus::InProgress);
    EXPECT_EQ(DownloadVerification(c), PhaseOutcome::RunEnded);
    EXPECT_EQ(op.askedTexts(),
              std::vector<std::string>{"Deployment File Downloaded Do you want to continue Quillan"});
    EXPECT_EQ(c.model.checklist(Row::ProgramDownload).status, RowStatus::Completed);
    EXPECT_EQ(c.model.grid().at(9).processingName, "row 9");
    // The row after the grid's 9 (not the counter's 4), and the finishing operation's after it.
    EXPECT_EQ(c.model.grid().at(10).event, "Deployment File Downloaded ");
    EXPECT_EQ(c.model.grid().at(11).event, "Removing backup Files");
    EXPECT_TRUE(c.state.run.closed());

    test::ReleaseFolders yes;
    yes.setMandatory(1, 0);
    yes.op.answer = true;
    EXPECT_EQ(DownloadVerification(yes.c), PhaseOutcome::Continue);
    EXPECT_EQ(yes.c.state.run.completedPhase, 4);
    yes.setMandatory(1, 1); // (2) answering 1 skips the question
    yes.op.asked.clear();
    EXPECT_EQ(DownloadVerification(yes.c), PhaseOutcome::Continue);
    EXPECT_TRUE(yes.op.asked.empty());
}

// The report runtime's folder is checked as this machine sees it ("App.Path..." is the program
// folder), and never rewritten to a path without a drive.
TEST_F(Download, ReportRuntimeFolderIsCheckedThroughTheTargetRule) {
    const std::string runtime = "D:\\Program Files (x86)\\Common Files\\Crystal Decisions\\2.0\\bin";
    struct Case {
        std::string drive, path;
        bool created;
        std::string expected;
    };
    for (const Case& k : std::vector<Case>{{"D:", "App.Path\\Crystal", true, "App.Path\\Crystal"},
                                           {"", "E:\\Nowhere", false, "E:\\Nowhere"},
                                           {"D:", "E:\\Nowhere", false, runtime}}) {
        SCOPED_TRACE(k.path + " " + k.drive);
        test::ReleaseFolders f;
        if (k.created)
            fs::create_directories(f.c.programFolder() / "Crystal");
        f.db->execute("INSERT INTO [Tervik].dbo.SetupDetails VALUES ('craxdrt9.dll'," + db::sqlQuote(k.path) +
                      ",'2024-03-01 10:00:00',NULL,1,1,0,1,1,1,'DLL',0)");
        f.c.state.systemDrive = k.drive;
        PathCorrections(f.c);
        EXPECT_EQ(f.value("File_Path", "craxdrt9.dll"), k.expected);
    }
}

} // namespace
} // namespace quillan
