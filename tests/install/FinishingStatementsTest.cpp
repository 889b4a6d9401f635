// The finishing operation's and the completion records' statements on the embedded engine.
#include "install/FinishingStatements.h"
#include "tests/support/EngineCatalog.h"

namespace quillan {
namespace {

using FinishingStatements = test::EngineCatalog;

TEST_F(FinishingStatements, ReleaseRowsInProgressAreMarked) {
    addFile("a.exe", 1, 0, 0, 1, 1, "EXE", 1);
    addFile("b.exe", 1, 0, 0, 1, 1, "EXE", 3);
    addFile("c.exe", 1, 0, 0, 1, 1, "EXE", 2);
    conn->execute(undoneReleaseRowsStatement(P));
    EXPECT_EQ(column("SELECT Status FROM [Tervik].dbo.SetupDetails ORDER BY File_Names", "Status"),
              (std::vector<std::string>{"2", "3", "2"}));
    conn->execute("UPDATE [Tervik].dbo.SetupDetails SET Status = 1 WHERE File_Names = 'a.exe'");
    conn->execute(finishReleaseRowsStatement(P));
    EXPECT_EQ(column("SELECT Status FROM [Tervik].dbo.SetupDetails ORDER BY File_Names", "Status"),
              (std::vector<std::string>{"3", "3", "2"}));
}

TEST_F(FinishingStatements, ExtensionsAndTheHighestHotfixScript) {
    for (auto e : {"'BAK',1", "'ZIP',1", "'tmp',1", "'tmp',1", "'sql',2", "'log',2"})
        conn->execute("INSERT INTO [Tervik].dbo.FileExtension VALUES (" + std::string(e) + ", 0)");
    EXPECT_EQ(column(backupExtensionsQuery(P), "Extension"), std::vector<std::string>{"tmp"});
    auto pruned = column(prunedExtensionsQuery(P), "Extension");
    std::sort(pruned.begin(), pruned.end());
    EXPECT_EQ(pruned, (std::vector<std::string>{"log", "sql"}));

    EXPECT_EQ(column(highestHotfixScriptQuery(P), "HotfixNo"), std::vector<std::string>{"0"});
    addFile("25 fix.sql", 1, 25, 0, 1, 1, "sql");
    addFile("24 fix.sql", 1, 24, 0, 1, 1, "sql");
    addFile("30 fix.zip", 1, 30, 0, 1, 1, "ZIP"); // not a script
    EXPECT_EQ(column(highestHotfixScriptQuery(P), "HotfixNo"), std::vector<std::string>{"25"});
}

TEST_F(FinishingStatements, MandatoryMarksFollowTheHighestHotfix) {
    addMandatoryReleases();
    conn->execute(mandatoryInstallMark(P)); // nothing downloaded: nothing installed
    EXPECT_EQ(count("[Tervik].dbo.MandatoryDeployment WHERE DeploymentSatus = 1"), 0);
    conn->execute("UPDATE [Tervik].dbo.MandatoryDeployment SET FileDownloaded = 1");
    conn->execute(mandatoryInstallMark(P)); // no hotfix rows: MAX is NULL and nothing is marked
    EXPECT_EQ(count("[Tervik].dbo.MandatoryDeployment WHERE DeploymentSatus = 1"), 0);
    addHotfixScripts();
    conn->execute(mandatoryInstallMark(P));
    EXPECT_EQ(
        column("SELECT HFixID FROM [Tervik].dbo.MandatoryDeployment WHERE DeploymentSatus = 1", "HFixID"),
        std::vector<std::string>{"7"});
}

} // namespace
} // namespace quillan
