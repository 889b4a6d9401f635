// The FTP side against a real FTP server on loopback: login check and its question, listing,
// downloads with progress, an interrupted download and its resumption, stalls.
#include "tests/transfer/TransferTestSupport.h"

#include "base/Progress.h"
#include "tests/support/RecordingView.h"
#include "transfer/Ftp.h"

#include <algorithm>
#include <cstdlib>

using namespace quillan;
using namespace quillan::test;

namespace {

// A console logged in as "deploy" against a server (started with `options`) whose root holds
// top.zip and the deployment folder "deploy" (a 300000-byte package, other files, a folder).
struct FtpFixture : ConsoleFixture {
    ScratchDir serverRoot;
    std::unique_ptr<FtpTestServer> server;
    std::string package = patternBytes(300000);

    explicit FtpFixture(std::vector<std::string> options = {}) {
        writeFile(serverRoot / "deploy" / "Pkg1.zip", package);
        writeFile(serverRoot / "deploy" / "Other.zip", "other");
        writeFile(serverRoot / "deploy" / "notes.txt", "notes");
        writeFile(serverRoot / "deploy" / "SETUPDETAILS_1.xml", "<x/>");
        fs::create_directories(serverRoot / "deploy" / "sub.zip");
        writeFile(serverRoot / "top.zip", "top");
        server = std::make_unique<FtpTestServer>(serverRoot.path(), options);
        c->state.serverPath = server->address();
        c->state.ftpUser = "deploy";
        c->state.ftpPassword = "secret";
        c->state.deployServerPath = "deploy";
    }
};

} // namespace

TEST(FtpLoginTest, RefusedLoginOrNoServerAsksAndFollowsTheAnswerAndTheServerKind) {
    FtpFixture f;
    f.c->state.ftpPassword = "wrong";

    // Local database server, operator says No: not connected.
    EXPECT_FALSE(FtpLogin(*f.c, f.session.ftp));
    EXPECT_FALSE(f.c->state.ftpConnected);
    ASSERT_EQ(f.op.asked.size(), 1u);
    EXPECT_EQ(f.op.asked[0].question, Question::Server);
    EXPECT_EQ(f.op.asked[0].text, "Unable to Connect to FTP, Still Do you want to Continue");
    EXPECT_EQ(f.c->model.checklist(Row::ConnectionCheck).status, RowStatus::Failed);
    EXPECT_EQ(f.c->model.checklist(Row::ConnectionCheck).percentText, "0 %");
    EXPECT_TRUE(f.logged("Request to connect to and login to an FTP server failed."));
    EXPECT_TRUE(f.c->model.statusBoxVisible()); // the log is shown
    EXPECT_EQ(FtpCurrentFolder(f.session.ftp), "");

    // Operator says Yes: the row is completed as on success.
    f.op.answers.push_back(true);
    EXPECT_TRUE(FtpLogin(*f.c, f.session.ftp));
    EXPECT_TRUE(f.c->state.ftpConnected);
    EXPECT_EQ(f.c->model.checklist(Row::ConnectionCheck).percentText, "100 %");

    // Database on another machine: passed whatever the server and the operator said.
    f.c->state.isLocalServer = false;
    EXPECT_TRUE(FtpLogin(*f.c, f.session.ftp));
    EXPECT_EQ(f.c->model.checklist(Row::ConnectionCheck).status, RowStatus::Completed);

    // No server listening: the connect failure of the error table.
    f.c->state.isLocalServer = true;
    f.c->state.serverPath = "127.0.0.1:" + std::to_string(closedPort());
    EXPECT_FALSE(FtpLogin(*f.c, f.session.ftp));
    EXPECT_TRUE(f.logged(">>-The attempt to connect to the server failed."));
}

TEST(FtpListingTest, LoginThenTheDeployFolderListsOnlyTheRequestedFileWithoutRegardToCase) {
    FtpFixture f;
    ASSERT_TRUE(FtpLogin(*f.c, f.session.ftp));
    EXPECT_TRUE(f.op.asked.empty());
    EXPECT_EQ(f.c->model.checklist(Row::ConnectionCheck).barValue, 100);
    EXPECT_EQ(FtpCurrentFolder(f.session.ftp), "/");

    OpenFtpDeployFolder(*f.c, f.session.ftp, "PKG1.ZIP");
    EXPECT_EQ(FtpCurrentFolder(f.session.ftp), "/deploy/");
    const auto& list = f.session.ftp.LstFTPFiles;
    EXPECT_EQ(list, (std::vector<std::string>{"..", "Pkg1.zip\t292 KB"}));
    EXPECT_EQ(ListItemFileName(list.back()), "Pkg1.zip");
    // A directory never matches, even when its name is the filter.
    FtpListFolder(*f.c, f.session.ftp, f.c->state.serverPath, "deploy", "secret", "sub.zip");
    EXPECT_EQ(list, std::vector<std::string>{".."});
    // The deploy folder goes below the current one even when written with a leading "/".
    writeFile(f.serverRoot / "deploy" / "inner" / "Pkg2.zip", "p2");
    f.c->state.deployServerPath = "/inner";
    OpenFtpDeployFolder(*f.c, f.session.ftp, "pkg2.zip");
    EXPECT_EQ(FtpCurrentFolder(f.session.ftp), "/deploy/inner/");
    EXPECT_EQ(list, (std::vector<std::string>{"..", "Pkg2.zip\t2 bytes"}));
}

TEST(FtpScriptModeTest, ListsEveryFileAndFetchesOnlyPatternMatchesIntoDeployInOnRowTwo) {
    FtpFixture f;
    writeFile(f.serverRoot / "deploy" / "evil\\..\\x.zip", "a name with separators");
    f.c->state.filePattern = "*.Xml";
    ASSERT_TRUE(FtpLogin(*f.c, f.session.ftp));
    f.session.ftp.ftpScriptMode = true;
    const auto& list = f.session.ftp.LstFTPFiles;
    FtpListFolder(*f.c, f.session.ftp, f.c->state.serverPath, "deploy", "secret", "");
    EXPECT_EQ(list, std::vector<std::string>{"top.zip\t3 bytes"}); // the root: no ".." and no folder
    ASSERT_TRUE(FtpSetCurrentFolder(f.session.ftp, "deploy"));
    FtpListFolder(*f.c, f.session.ftp, f.c->state.serverPath, "deploy", "secret", "");
    auto sorted = list;
    std::sort(sorted.begin() + 1, sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"..", "Other.zip\t5 bytes", "Pkg1.zip\t292 KB",
                                                "SETUPDETAILS_1.xml\t4 bytes", "notes.txt\t5 bytes"}));
    // A missing folder leaves the current one.
    EXPECT_FALSE(FtpSetCurrentFolder(f.session.ftp, "missing"));
    EXPECT_EQ(FtpCurrentFolder(f.session.ftp), "/deploy/");

    EXPECT_TRUE(DownloadFtpListItem(*f.c, f.session.ftp, "SETUPDETAILS_1.xml\t4 bytes"));
    EXPECT_EQ(readFile(f.dir / "prog" / "DEPLOY IN" / "SETUPDETAILS_1.xml"), "<x/>");
    EXPECT_EQ(f.c->model.checklist(Row::ScriptDownload).barMax, 4);
    EXPECT_EQ(f.c->model.checklist(Row::ScriptDownload).barValue, 4);
    // A folder where nothing matches the pattern transfers nothing, whatever the entry names.
    f.c->state.filePattern = "*.Csv";
    EXPECT_FALSE(DownloadFtpListItem(*f.c, f.session.ftp, "notes.txt\t5 bytes"));
    EXPECT_FALSE(fs::exists(f.dir / "prog" / "DEPLOY IN" / "notes.txt"));
}

TEST(FtpDownloadTest, DownloadsWithProgressUnderTheRequestedName) {
    FtpFixture f;
    std::vector<ChecklistRow> seen;
    {
        test::RecordingView view{f.c->model};
        EXPECT_TRUE(DownloadFromFtp(*f.c, f.session.ftp, "PKG1.zip"));
        seen = view.rowChanges[rowIndex(Row::ProgramDownload)];
    }

    EXPECT_TRUE(readFile(f.update("PKG1.zip")) == f.package);
    EXPECT_FALSE(fs::exists(f.update("PKG1.zip.part")));
    EXPECT_TRUE(f.logged(">>-Downloaded Pkg1.zip\t292 KB from FTP"));
    EXPECT_EQ(f.c->model.checklist(Row::ProgramDownload).barMax, 300000);
    EXPECT_EQ(f.c->model.checklist(Row::ProgramDownload).percentText, "100 %");
    // After FloodDisplay's "0" the bar moves through intermediate values, never backwards.
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().percentText, "0");
    const auto bar = [](const ChecklistRow& a, const ChecklistRow& b) { return a.barValue < b.barValue; };
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(), bar));
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(),
                            [](const ChecklistRow& r) { return r.barValue > 0 && r.barValue < 300000; }));
    EXPECT_EQ(seen.back().barValue, 300000);
}

TEST(FtpDownloadTest, ALocalFileIsKeptAMissingPackageFailsAndAnUnsafeNameIsRefused) {
    FtpFixture f;
    writeFile(f.update("Other.zip"), "already here");
    const std::string server = f.c->state.serverPath;
    f.c->state.serverPath = "127.0.0.1:" + std::to_string(closedPort()); // the server is not asked
    EXPECT_TRUE(DownloadFromFtp(*f.c, f.session.ftp, "OTHER.ZIP"));
    f.c->state.serverPath = server;
    EXPECT_TRUE(f.op.asked.empty());
    EXPECT_TRUE(f.logged(">>-Other.zip already available in the local folder "));
    EXPECT_EQ(readFile(f.update("Other.zip")), "already here");

    EXPECT_FALSE(DownloadFromFtp(*f.c, f.session.ftp, "Missing.zip"));
    EXPECT_FALSE(fs::exists(f.update("Missing.zip")));

    EXPECT_FALSE(DownloadFromFtp(*f.c, f.session.ftp, "..\\Pkg1.zip"));
    EXPECT_TRUE(f.logged(">>-..\\Pkg1.zip is not a plain file name in Download from FTP"));
    EXPECT_FALSE(DownloadFtpListItem(*f.c, f.session.ftp, "..")); // the listing item ".." is never downloaded
}

// The server resumes; refuses REST; or takes REST but refuses the RETR after it (the file then
// comes whole from byte 0).
TEST(FtpResumeTest, AConnectionLostMidFileLeavesNoFileAndTheNextAttemptResumesOrStartsAfresh) {
    for (const char* restart : {"", "--no-rest", "--refuse-restart"}) {
        SCOPED_TRACE(restart);
        ScratchDir logDir;
        std::vector<std::string> options{"--drop-after", "100000", "--log",
                                         (logDir / "commands.log").string()};
        if (*restart != '\0')
            options.push_back(restart);
        FtpFixture f(options);
        EXPECT_FALSE(DownloadFromFtp(*f.c, f.session.ftp, "Pkg1.zip"));
        EXPECT_FALSE(fs::exists(f.update("Pkg1.zip"))); // nothing that would count as "already available"
        ASSERT_TRUE(fs::exists(f.update("Pkg1.zip.part")));
        auto kept = fs::file_size(f.update("Pkg1.zip.part"));
        EXPECT_GE(kept, 100000u);
        EXPECT_LT(kept, f.package.size());
        EXPECT_TRUE(f.logged(">>-Unable to downloaded the File Pkg1.zip\t292 KB from FTP"));

        EXPECT_TRUE(DownloadFromFtp(*f.c, f.session.ftp, "Pkg1.zip")) << f.log();
        EXPECT_TRUE(readFile(f.update("Pkg1.zip")) == f.package);
        EXPECT_FALSE(fs::exists(f.update("Pkg1.zip.part")));
        EXPECT_FALSE(fs::exists(transfer::PartialFile::recordPathFor(f.update("Pkg1.zip"))));
        if (std::string(restart) != "--no-rest") { // asked for the rest, even where the server refuses it
            EXPECT_NE(readFile(logDir / "commands.log").find("REST " + std::to_string(kept)),
                      std::string::npos);
        }
    }
}

TEST(FtpResumeTest, AStalledTransferIsAbandonedAfterTheStallTime) {
    ::setenv("QUILLAN_STALL_SECONDS", "2", 1);
    FtpFixture f({"--stall"});
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(DownloadFromFtp(*f.c, f.session.ftp, "Pkg1.zip"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_TRUE(f.logged(">>-The request has timed out.")) << f.log();
    EXPECT_FALSE(fs::exists(f.update("Pkg1.zip")));
    ::unsetenv("QUILLAN_STALL_SECONDS");
}

// A partial file is continued only while the server still reports the size and time it had when
// the partial file was begun; bytes of another file are never joined to this one's.
TEST(FtpResumeTest, APartialFileOfAnotherVersionIsNotContinued) {
    for (bool withRecord : {false, true}) {
        SCOPED_TRACE(withRecord ? "record of an earlier version" : "no record");
        ScratchDir logDir;
        const fs::path commands = logDir / "commands.log";
        std::vector<std::string> options{"--log", commands.string()};
        if (withRecord)
            options.insert(options.end(), {"--drop-after", "100000"});
        FtpFixture f(options);
        if (withRecord) {
            EXPECT_FALSE(DownloadFromFtp(*f.c, f.session.ftp, "Pkg1.zip")); // leaves part and record
            ASSERT_TRUE(fs::exists(transfer::PartialFile::recordPathFor(f.update("Pkg1.zip"))));
        } else {
            writeFile(f.update("Pkg1.zip.part"), patternBytes(100000, 99));
        }
        // The server's file is replaced by another of the same size, an hour later.
        const fs::path served = f.serverRoot / "deploy" / "Pkg1.zip";
        const std::string newer = patternBytes(f.package.size(), 3);
        const auto time = fs::last_write_time(served) + std::chrono::hours(1);
        writeFile(served, newer);
        fs::last_write_time(served, time);

        EXPECT_TRUE(DownloadFromFtp(*f.c, f.session.ftp, "Pkg1.zip")) << f.log();
        EXPECT_TRUE(readFile(f.update("Pkg1.zip")) == newer);
        EXPECT_FALSE(fs::exists(transfer::PartialFile::recordPathFor(f.update("Pkg1.zip"))));
    }
}

// A failed download always logs why, after its "Unable to downloaded" line.
TEST(FtpDownloadTest, AFailedDownloadLogsItsReason) {
    struct Case {
        const char* name;
        const char* reason;
    };
    for (const Case& k : {Case{"readme.txt", ">>-No file matching *.zip in /docs/"},
                          Case{"Pkg1.zip", ">>-The file exists: "}}) {
        SCOPED_TRACE(k.name);
        FtpFixture f;
        // A folder without any package: the listing names the file, the package search finds none.
        writeFile(f.serverRoot / "docs" / "readme.txt", "not a package");
        if (std::string(k.name) == "readme.txt")
            f.c->state.deployServerPath = "docs";
        fs::create_directories(f.update("Pkg1.zip")); // a folder where the package would go
        EXPECT_FALSE(DownloadFromFtp(*f.c, f.session.ftp, k.name));
        const std::string log = f.log();
        const auto failed = log.find(">>-Unable to downloaded the File " + std::string(k.name));
        ASSERT_NE(failed, std::string::npos) << log;
        EXPECT_NE(log.find(k.reason, failed), std::string::npos) << log;
        EXPECT_EQ(log.find("Error details not available."), std::string::npos) << log;
    }
}
