// Every builder that embeds a name from outside (a file, a computer, a catalog, a script kind)
// keeps a name with an apostrophe inside its literal: the statement runs and touches that row.
#include "console/DownloadStatements.h"
#include "install/DatabaseBackupStatements.h"
#include "install/FinishingStatements.h"
#include "install/UnpackingStatements.h"
#include "scripts/ScriptDownloadStatements.h"
#include "scripts/ScriptImportStatements.h"
#include "scripts/SplitPackageStatements.h"
#include "tests/support/EngineCatalog.h"

#include <functional>

namespace quillan {
namespace {

using StatementQuoting = test::EngineCatalog;

const std::string N = "O'Brien's pack.zip";
const DateTime When = *DateTime::parse("2024-03-05 14:07:09");

TEST_F(StatementQuoting, NamesWithAnApostropheStayInsideTheirLiteral) {
    struct Case {
        const char* builder;
        std::function<std::string(const std::string& p)> statement;
        std::string rowsAfter; // a count that must be 1 after the statement ran
    };
    const std::string setup = P + ".dbo.SetupDetails WHERE File_Names = " + db::sqlQuote(N);
    const Case cases[] = {
        {"downloadSizeUpdate", [](auto& p) { return downloadSizeUpdate(p, 777, N); },
         setup + " AND DownloadFileSize = 777"},
        {"systemDriveCorrection", [](auto& p) { return systemDriveCorrection(p, "D'"); },
         setup + " AND File_Path = 'D''\\Sys'"},
        {"reportRuntimeFolderCorrection", [](auto& p) { return reportRuntimeFolderCorrection(p, "E'"); },
         P + ".dbo.SetupDetails WHERE File_Path LIKE 'E''\\Program Files (x86)%'"},
        {"unzipTimeUpdate", [](auto& p) { return unzipTimeUpdate(p, When, N); },
         setup + " AND File_UnZipDate IS NOT NULL"},
        {"backupListInsert", [](auto& p) { return backupListInsert(p, N, When); },
         P + ".dbo.TempBackupFile WHERE FileName = " + db::sqlQuote(N)},
        {"versionRowBatch", [](auto& p) { return versionRowBatch(p, "PC'9"); },
         P + ".dbo.DeploymentVesrion WHERE HostName = 'PC''9'"},
        {"scriptFileOrderInsert", [](auto& p) { return scriptFileOrderInsert(p, 1, N, When, "ZIP"); },
         P + ".dbo.DEPLOY_FILE_ORDER WHERE Description = " + db::sqlQuote(N)},
        {"fetchedScriptRecord", [](auto& p) { return fetchedScriptRecord(p, N, true); },
         P + ".dbo.IMPORT_DEPLOY_FILENAMES WHERE SourceFileName = " + db::sqlQuote(N)},
        {"joinedPackageInsert", [](auto& p) { return joinedPackageInsert(p, "Big'.zip", 7); },
         P + ".dbo.SetupDetails WHERE File_Names = 'Big''.zip' AND RegRequired = 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.builder);
        conn->execute("DELETE FROM [Tervik].dbo.SetupDetails");
        addFile(N, 1, 0, 1, 900, 0, "ZIP", 1, 0, "C:\\Sys");
        addFile("craxdrt9.dll", 1, 0, 1, 1, 1, "DLL", 1, 0, "C:\\Sys");
        EXPECT_NO_THROW(conn->execute(c.statement(P)));
        EXPECT_EQ(count(c.rowsAfter), 1);
    }
}

TEST_F(StatementQuoting, LookupsFindTheNameWithAnApostrophe) {
    addFile(N, 1);
    conn->execute("INSERT INTO [Tervik].dbo.DEPLOY_FILENAMES VALUES (4, 'O''KIND')");
    conn->execute("INSERT INTO [Tervik].dbo.IMPORT_DEPLOY_FILENAMES VALUES (" + db::sqlQuote(N) + ")");
    auto filtered = [&](const std::string& sql, const std::string& condition) {
        auto rs = conn->query(sql);
        rs.filter(condition);
        return rs;
    };
    const std::pair<const char*, std::function<db::Recordset()>> lookups[] = {
        {"scriptKindLookup", [&] { return conn->query(scriptKindLookup(P, "O'KIND")); }},
        {"fetchedScriptLookup", [&] { return conn->query(fetchedScriptLookup(P, N)); }},
        {"packageNameFilter", [&] { return filtered(releasePackagesQuery(P), packageNameFilter(N)); }},
    };
    for (const auto& [builder, lookup] : lookups) {
        SCOPED_TRACE(builder);
        db::Recordset rs;
        ASSERT_NO_THROW(rs = lookup());
        EXPECT_EQ(rs.recordCount(), 1u);
    }
    EXPECT_NO_THROW(conn->execute(joinedPackageDelete(P, N)));
    EXPECT_EQ(count(P + ".dbo.SetupDetails"), 0);
    // A catalog name with an apostrophe: no process of it, and no failure.
    EXPECT_TRUE(conn->query(serverProcessesQuery("O'Db")).eof());
}

} // namespace
} // namespace quillan
