// The program download phase's statements on the embedded engine.
#include "console/DownloadStatements.h"
#include "tests/support/EngineCatalog.h"

namespace quillan {
namespace {

using DownloadStatements = test::EngineCatalog;

TEST_F(DownloadStatements, PackageSelectionsFollowTheDownloadedBytes) {
    addFile("App1.zip", 2, 0, 0, 500, 100);
    addFile("App2.TPL", 1, 0, 0, 500, 500, "TPL", 1, 1);
    addFile("Old.zip", 1, 0, 0, 10, 10);
    addFile("Joined.zip", 1, 0, 2, 0, 0); // written by reassembly: not downloaded
    addFile("Tervik.exe", 1, 0, 0, 10, 0);
    addFile("7 fix.zip", 1, 7, 0, 10, 0);
    EXPECT_EQ(names(incompletePackagesQuery(P)), std::vector<std::string>{"App1.zip"});
    EXPECT_EQ(names(incompletePackagesCheck(P)), std::vector<std::string>{"App1.zip"});
    EXPECT_EQ(names(completePackagesQuery(P)), (std::vector<std::string>{"App2.TPL", "Old.zip"}));
    EXPECT_EQ(names(splitPackagesQuery(P)), std::vector<std::string>{"App2.TPL"});

    conn->execute(downloadSizeUpdate(P, 500, "app1.ZIP"));
    EXPECT_TRUE(conn->query(incompletePackagesCheck(P)).eof());
    EXPECT_EQ(names(completePackagesQuery(P)), (std::vector<std::string>{"App2.TPL", "Old.zip", "App1.zip"}));

    // The stale-file check finds a package of the release by its trimmed name, in any letter case.
    auto packages = conn->query(releasePackagesQuery(P));
    EXPECT_EQ(packages.recordCount(), 4u); // the joined package is one of the release too
    packages.filter(packageNameFilter(" old.ZIP "));
    EXPECT_EQ(packages.recordCount(), 1u);
    packages.filter("");
    packages.filter(packageNameFilter("Unknown.zip"));
    EXPECT_TRUE(packages.eof());
}

// A package whose downloaded bytes were never written holds NULL: it counts as 0 bytes, so it is
// fetched and reported missing, not silently left out of both.
TEST_F(DownloadStatements, NullDownloadedBytesCountAsNone) {
    addFile("Never.zip", 1, 0, 0, 500, 0);
    addFile("Split.tpl", 2, 0, 0, 0, 0, "TPL", 1, 1);
    conn->execute("UPDATE [Tervik].dbo.SetupDetails SET DownloadFileSize = NULL");
    EXPECT_EQ(names(incompletePackagesQuery(P)), std::vector<std::string>{"Never.zip"});
    EXPECT_EQ(names(incompletePackagesCheck(P)), std::vector<std::string>{"Never.zip"});
    EXPECT_EQ(names(completePackagesQuery(P)), std::vector<std::string>{"Split.tpl"});
    EXPECT_EQ(names(splitPackagesQuery(P)), std::vector<std::string>{"Split.tpl"});
}

TEST_F(DownloadStatements, PathCorrectionsMoveComponentsToTheSystemDrive) {
    addFile("craxdrt9.dll", 1, 0, 1, 1, 1, "DLL", 1, 0, "C:\\Windows\\System32");
    addFile("craxdrt.dll", 1, 0, 1, 1, 1, "DLL", 1, 0, "E:\\Runtime");
    addFile("grid.ocx", 1, 0, 1, 1, 1, "OCX", 1, 0, "C:\\Program Files\\Grid");
    addFile("Tervik.exe", 1, 0, 0, 1, 1, "EXE", 1, 0, "C:\\Tervik");
    conn->execute(systemDriveCorrection(P, " D: "));
    const std::string paths = "SELECT File_Path FROM [Tervik].dbo.SetupDetails ORDER BY File_Names";
    EXPECT_EQ(column(paths, "File_Path"),
              (std::vector<std::string>{"E:\\Runtime", "D:\\Windows\\System32", "D:\\Program Files\\Grid",
                                        "C:\\Tervik"}));
    EXPECT_EQ(column(reportRuntimeFolderQuery(P), "File_Path"),
              std::vector<std::string>{"D:\\Windows\\System32"});

    conn->execute(reportRuntimeFolderCorrection(P, "D:"));
    const std::string runtime = "D:\\Program Files (x86)\\Common Files\\Crystal Decisions\\2.0\\bin";
    EXPECT_EQ(column(paths, "File_Path"),
              (std::vector<std::string>{runtime, runtime, "D:\\Program Files\\Grid", "C:\\Tervik"}));
    EXPECT_EQ(names(programFoldersQuery(P)), std::vector<std::string>{"Tervik.exe"});
}

TEST_F(DownloadStatements, MandatoryReleaseIsMarkedDownloadedForTheHighestHotfix) {
    conn->execute("CREATE TABLE [Tervik].dbo.FN_SetupDetails (Arg INT, Answer INT)");
    conn->execute("INSERT INTO [Tervik].dbo.FN_SetupDetails VALUES (1, 1)");
    conn->execute("INSERT INTO [Tervik].dbo.FN_SetupDetails VALUES (2, 0)");
    EXPECT_EQ(conn->query(setupDetailsFunctionQuery(P, 1)).field("EXISTS1").asInt(), 1);
    EXPECT_EQ(conn->query(setupDetailsFunctionQuery(P, 2)).field("EXISTS1").asInt(), 0);

    addMandatoryReleases();
    conn->execute(mandatoryDownloadMark(P)); // no hotfix rows: MAX is NULL and nothing is marked
    EXPECT_EQ(count("[Tervik].dbo.MandatoryDeployment WHERE FileDownloaded = 1"), 0);
    addHotfixScripts();
    conn->execute(mandatoryDownloadMark(P));
    EXPECT_EQ(
        column("SELECT HFixID FROM [Tervik].dbo.MandatoryDeployment WHERE FileDownloaded = 1", "HFixID"),
        std::vector<std::string>{"7"});
}

} // namespace
} // namespace quillan
