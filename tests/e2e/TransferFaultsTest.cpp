// Faults of the transfer, each through a whole run: the office drops the connection, stalls or
// answers 404 mid-release, a published size is wrong, a piece of a split package is missing, the
// FTP server drops the line. Each run ends in a stated way with the installation byte for byte as
// it was, the database rows only marked by the finishing operation, nothing half written under a
// final name in the update folder, and the next run, with the fault gone, takes the release on.
#include "tests/e2e/OfficeRelease.h"
#include "tests/platform/TestSupport.h" // EnvGuard
#include "tests/transfer/TransferTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillan {
namespace {

using Kind = office::OfficeFault::Kind;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr const char* kClosedWithError = "Completed with Error, Check Error Log for Errors";

struct FaultyRelease : test::OfficeRelease {
    std::vector<std::string> rowsBefore;
    void publishRelease() {
        publishZip("App.zip", 1, {{"Tervik.exe", test::patternBytes(200 * 1024, 3)}});
        publishZip("Reports.zip", 2, {{"Sales.rpt", test::patternBytes(30 * 1024, 5)}});
        rowsBefore = rows();
    }
    // The rows as the finishing operation leaves them after a failed download: in progress (1)
    // becomes 3, nothing else changes; `downloaded` names packages whose size was recorded.
    std::vector<std::string> rowsClosedAfterFailure(const std::set<std::string>& downloaded) {
        std::vector<std::string> expected;
        for (std::string r : rowsBefore) {
            r.replace(r.find("Status=1"), 8, "Status=3");
            for (const auto& name : downloaded)
                if (r.starts_with("File_Names=" + name + " "))
                    r.replace(r.find("DownloadFileSize=0"), 18,
                              "DownloadFileSize=" + std::to_string(published[name].size()));
            expected.push_back(r);
        }
        return expected;
    }
    // A run that fails the download: closed with errors (or, for a package that cannot be fetched
    // at all, the program ended on the failure), nothing installed.
    void expectDownloadFailed(const test::ConsoleRun& r, const std::string& logLine,
                              bool programEnds = false) {
        EXPECT_EQ(r.console->programEnded(), programEnds);
        EXPECT_TRUE(r.console->state.run.runFailed);
        if (programEnds) {
            EXPECT_EQ(r.console->ending(), Ending::Failure);
            EXPECT_EQ(r.console->model.label(Label::LblStatus),
                      "Error while importing ZIP file. Check Log for details");
        } else {
            EXPECT_EQ(r.console->state.run.outcome, RunOutcome::CompletedWithErrors);
            EXPECT_THAT(r.op.informed, ::testing::Contains(kClosedWithError));
        }
        EXPECT_THAT(r.log, HasSubstr(logLine));
        EXPECT_THAT(r.log, Not(HasSubstr(">>-Started Unziping Files")));
        EXPECT_EQ(installation(), installationBefore);
    }
    // The next run with the fault gone: the release is downloaded, unpacked and installed whole,
    // and a further run finds it applied.
    void expectNextRunTakesTheReleaseOn() {
        startOffice();
        const auto& r = run();
        EXPECT_THAT(r.log, HasSubstr(">>-Unzipped App.zip"));
        EXPECT_THAT(r.log, HasSubstr(">>-Unzipped Reports.zip"));
        for (const auto& [name, bytes] : unpacked)
            EXPECT_EQ(test::readFile(update / name), bytes) << name;
        EXPECT_THAT(strays(false), IsEmpty());
        for (const auto& [name, bytes] : published)
            if (!name.ends_with(".tpl") && name.find(".zip.") == std::string::npos) {
                EXPECT_EQ(value("DownloadFileSize", name), std::to_string(bytes.size())) << name;
            }
        expectReleaseCompleted(r);
    }
};

struct TransferFault : ::testing::Test, FaultyRelease {};

// The office breaks the first package three ways; the next run resumes or fetches it again.
TEST_F(TransferFault, ConnectionDroppedStalledOr404MidReleaseLeavesTheInstallationAsItWas) {
    struct Case {
        Kind kind;
        const char* logged; // the transport's line naming the fault
        bool partKept;      // the bytes received stay for a resume
    };
    const Case cases[] = {{Kind::Drop, "in Download from HTTP", true},
                          {Kind::Stall, "in Download from HTTP", true},
                          {Kind::Missing, "404", false}};
    // A stalled transfer is given up after a second instead of a minute.
    test::EnvGuard stallLimit{"QUILLAN_STALL_SECONDS", "1"};
    for (const auto& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.kind));
        FaultyRelease f;
        f.publishRelease();
        f.startOffice({{k.kind, "App.zip", 64 * 1024}});
        const auto& first = f.run();
        f.expectDownloadFailed(first, ">>-File Not Properly Downloaded");
        EXPECT_THAT(first.log, HasSubstr(k.logged));
        EXPECT_EQ(f.rows(), f.rowsClosedAfterFailure({"Reports.zip", "Fix.zip"}));
        EXPECT_FALSE(std::filesystem::exists(f.update / "App.zip"));
        EXPECT_EQ(std::filesystem::exists(f.update / "App.zip.part"), k.partKept);
        if (k.partKept) {
            EXPECT_EQ(std::filesystem::file_size(f.update / "App.zip.part"), 64u * 1024u);
        }
        EXPECT_THAT(f.strays(true), IsEmpty());
        f.expectNextRunTakesTheReleaseOn();
    }
}

// A package whose bytes differ in number from what the release lists is never recorded as
// downloaded; every run fetches it again and stops before anything is installed.
TEST_F(TransferFault, DownloadedSizeDiffersFromThePublishedOne) {
    publishRelease();
    db->execute("UPDATE [Tervik].dbo.SetupDetails SET UploadFileSize = UploadFileSize + 7 WHERE File_Names = "
                "'App.zip'");
    rowsBefore = rows();
    startOffice();
    const std::string size = std::to_string(published["App.zip"].size());
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto& r = run();
        expectDownloadFailed(r, ">>-File Not Properly Downloaded");
        EXPECT_THAT(r.log, HasSubstr(">>-App.zip has " + size + " bytes, " +
                                     std::to_string(published["App.zip"].size() + 7) +
                                     " published: its download is not recorded"));
        if (attempt == 1) {
            EXPECT_THAT(r.log, HasSubstr(">>-App.zip in the local folder has " + size + " bytes"));
        }
        EXPECT_EQ(value("DownloadFileSize", "App.zip"), "0");
        EXPECT_THAT(strays(false), IsEmpty()) << "the file holds what the office sent, whole";
    }
}

// A split package with a piece the office does not have, or a piece the release does not list:
// the download or the join fails, and no rebuilt archive appears under its name.
TEST_F(TransferFault, SplitPackageWithAPieceMissing) {
    for (bool listed : {true, false}) {
        SCOPED_TRACE(listed ? "piece listed but not published" : "piece published but not listed");
        FaultyRelease f;
        f.publishZip("App.zip", 1, {{"Tervik.exe", "the new program"}});
        f.publishZip("Reports.zip", 2, {{"Sales.rpt", "the new report"}});
        const auto t =
            f.publishSplit("Big.zip", 3, {{"Big.rpt", test::patternBytes(40 * 1024, 9)}}, 10 * 1024);
        ASSERT_GE(t.pieceCount, 3);
        std::vector<office::OfficeFault> faults;
        if (listed)
            faults.push_back({Kind::Missing, "Big.zip.002", 0});
        else
            f.db->execute("DELETE FROM [Tervik].dbo.SetupDetails WHERE File_Names = 'Big.zip.002'");
        f.rowsBefore = f.rows();
        f.startOffice(faults);
        const auto& r = f.run();
        f.expectDownloadFailed(r,
                               listed ? ">>-File Not Properly Downloaded" : ">>-File Not Properly Restored");
        EXPECT_FALSE(std::filesystem::exists(f.update / "Big.zip"));
        EXPECT_FALSE(std::filesystem::exists(tpl::joiningTemporaryFor(f.update / "Big.zip")));
        EXPECT_THAT(f.strays(false), IsEmpty());
        if (!listed) {
            EXPECT_THAT(r.op.informed, ::testing::Contains(HasSubstr(" In RestoreZipFile")));
        }
        if (listed) {
            f.expectNextRunTakesTheReleaseOn();
            EXPECT_EQ(test::readFile(f.update / "Big.rpt"), f.unpacked["Big.rpt"]);
        }
    }
}

// The FTP server closes both connections mid-package; the next run resumes where it broke off.
TEST_F(TransferFault, FtpConnectionDroppedMidPackageIsResumedByTheNextRun) {
    publishRelease();
    auto ftp =
        std::make_unique<test::FtpTestServer>(officeRoot, std::vector<std::string>{"--drop-after", "65536"});
    c.state.transferMode = 1;
    c.state.serverPath = ftp->address();
    c.state.ftpUser = "deploy";
    c.state.ftpPassword = "secret";
    c.state.deployServerPath = "Packages";
    const auto& first = run();
    // A package that cannot be fetched by FTP ends the program at once.
    expectDownloadFailed(first, ">>-Started Downloading Files from FTP App.zip", true);
    EXPECT_FALSE(std::filesystem::exists(update / "App.zip"));
    EXPECT_THAT(strays(true), IsEmpty());
    EXPECT_EQ(rows(), rowsBefore) << "the program ends before the finishing operation";

    const auto& next = run();
    EXPECT_THAT(next.log, HasSubstr(">>-Unzipped App.zip"));
    EXPECT_EQ(test::readFile(update / "Tervik.exe"), unpacked["Tervik.exe"]);
    EXPECT_THAT(strays(false), IsEmpty());
    expectReleaseCompleted(next);
}

} // namespace
} // namespace quillan
