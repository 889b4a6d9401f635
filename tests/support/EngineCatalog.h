#pragma once
// The embedded engine in a fresh folder, with the application catalog "[Tervik]" holding the
// application's tables the phases' statements read and write (SetupDetails, HotFixLog,
// MandatoryDeployment, PexaConfiguration, the deploy-script tables, FN_Hostnames as a table) and
// this system's work tables. Windows paths in statements (C:\x) name files below the test folder.
#include "platform/db/Connection.h"
#include "platform/db/embedded/EmbeddedEngine.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quillan::test {

class EngineCatalog : public ::testing::Test {
protected:
    const std::string P = "[Tervik]";
    TempDir tmp;
    std::filesystem::path dir = tmp.path();
    std::unique_ptr<db::Connection> conn; // declared after the folder: closed before it is removed

    void SetUp() override {
        db::EmbeddedOptions o;
        o.dataFolder = dir / "Data";
        o.nativePath = [d = dir](const std::string& text) {
            std::string t = text.size() > 2 && text[1] == ':' ? text.substr(3) : text;
            std::replace(t.begin(), t.end(), '\\', '/');
            return d / t;
        };
        conn = db::openEmbeddedConnection(o);
        conn->execute("CREATE DATABASE [Tervik]");
        for (
            const char* table :
            {"SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), File_CrDate DATETIME, "
             "File_UnZipDate DATETIME, Status INT, RegRequired INT, HotfixNo INT, VersionNo INT, "
             "UploadFileSize BIGINT, DownloadFileSize BIGINT, FileExtension VARCHAR(10), FileSplitStatus "
             "INT)",
             "HotFixLog (FixId INT)",
             "MandatoryDeployment (FileDownloaded INT, DeploymentSatus INT, MantatoryStatus INT, HFixID INT)",
             "PexaConfiguration (moduleID VARCHAR(50), seqno INT, Status INT)",
             "FN_Hostnames (HMessage VARCHAR(200))", "DEPLOY_FILENAMES (Seqno INT, Description VARCHAR(100))",
             "DEPLOY_FILE_ORDER (TableId INT, Description VARCHAR(200), LastModifyDate VARCHAR(20), "
             "FilePattern VARCHAR(10))",
             "IMPORT_DEPLOY_FILENAMES (SourceFileName VARCHAR(200))",
             "TempBackupFile (FileName VARCHAR(100), LastModDate DATETIME)",
             "FileExtension (Extension VARCHAR(100), Type INT, Status INT)",
             "DeploymentVesrion (ProcessexeName Nvarchar(100), VersionId varchar(50), HostName "
             "varchar(100))"})
            conn->execute("CREATE TABLE [Tervik].dbo." + std::string(table));
    }

    // One SetupDetails row published 2024-03-01 10:00:00; the extension defaults to the name's.
    void addFile(const std::string& name, int version, int hotfix = 0, int reg = 0, long long up = 100,
                 long long down = 100, const std::string& ext = "", int status = 1, int split = 0,
                 const std::string& path = "App.Path") {
        const std::string e = ext.empty() ? name.substr(name.rfind('.') + 1) : ext;
        conn->execute("INSERT INTO [Tervik].dbo.SetupDetails VALUES (" + db::sqlQuote(name) + "," +
                      db::sqlQuote(path) + ",'2024-03-01 10:00:00',NULL," + std::to_string(status) + "," +
                      std::to_string(reg) + "," + std::to_string(hotfix) + "," + std::to_string(version) +
                      "," + std::to_string(up) + "," + std::to_string(down) + "," + db::sqlQuote(e) + "," +
                      std::to_string(split) + ")");
    }
    long long count(const std::string& fromWhere) {
        return conn->query("SELECT COUNT(*) AS N FROM " + fromWhere).field("N").asInt();
    }
    // One column of every row the query returns, as text ("<null>" for NULL).
    std::vector<std::string> column(const std::string& sql, const std::string& name) {
        std::vector<std::string> out;
        for (auto rs = conn->query(sql); !rs.eof(); rs.moveNext())
            out.push_back(rs.field(name).textOr("<null>"));
        return out;
    }
    std::vector<std::string> names(const std::string& sql) { return column(sql, "File_Names"); }

    // Mandatory releases for hotfixes 7 and 5 and a row for 7 that is not mandatory, none of them
    // downloaded or installed yet.
    void addMandatoryReleases() {
        for (const char* row : {"0, 0, 1, 7", "0, 0, 1, 5", "0, 0, 0, 7"})
            conn->execute("INSERT INTO [Tervik].dbo.MandatoryDeployment VALUES (" + std::string(row) + ")");
    }
    // Hotfix scripts 5 and 7 of release 1.
    void addHotfixScripts() {
        addFile("HF5.sql", 1, 5, 0, 1, 1, "sql");
        addFile("HF7.sql", 1, 7, 0, 1, 1, "sql");
    }
};

} // namespace quillan::test
