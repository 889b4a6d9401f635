#pragma once
// A console on the embedded engine set up for the deploy-script phases: drive C: is the scratch
// folder (so "C:\CSVImport.csv" and the program folder "C:\Tervik" lie inside it), the deploy
// tables exist with the kind SETUPDETAILS, the three script folders exist, and the administration
// interface is the real one the connection string names. The script writers are in
// tests/support/DeployScriptFiles.h.
#include "base/Console.h"
#include "tests/support/DeployScriptFiles.h"
#include "tests/support/EngineConsole.h"
#include "tests/support/Files.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace quillan::test {

struct ScriptConsole : EngineConsole {
    std::filesystem::path program = c.programFolder();

    ScriptConsole() {
        writeFile(program / "quillan-drives.ini", "C=" + dir.path().string() + "\n");
        c.paths = PathMap::forProgramFolder(program);
        auto& s = c.state;
        s.appPath = c.paths.toWindows(program); // "C:\Tervik"
        s.connString = "Provider=SQLite;Data Folder=" + (dir.path() / "Data").string() +
                       ";Data Source=(local);Initial Catalog=MASTER;User ID=sa;Password=pw;";
        s.dbServer = "(local)";
        s.dbUser = "sa";
        s.dbPassword = "pw";
        s.isLocalServer = true;
        s.distributorCode = "D042";
        s.deployInFolder = s.appPath + "\\DEPLOY IN";
        s.archiveInFolder = s.appPath + "\\DEPLOY ARCHIVEIN\\";
        s.tempExtractFolder = s.appPath + "\\TEMPEXTRACT\\";
        format("Xml");
        for (const char* f : {"DEPLOY IN", "DEPLOY ARCHIVEIN", "TEMPEXTRACT"})
            std::filesystem::create_directories(program / f);
        for (const char* t : {"DEPLOY_FILENAMES (Seqno INT, Description VARCHAR(100))",
                              "DEPLOY_FILE_ORDER (TableId INT, Description VARCHAR(255), LastModifyDate "
                              "VARCHAR(10), FilePattern VARCHAR(10))",
                              "IMPORT_DEPLOY_FILENAMES (SourceFileName VARCHAR(255))"})
            db->execute(std::string("CREATE TABLE [Tervik].dbo.") + t);
        db->execute("INSERT INTO [Tervik].dbo.DEPLOY_FILENAMES VALUES (1, 'SETUPDETAILS')");
    }

    // "Xml", "Csv" or "Xls"; zipped scripts take the pattern "*.Zip".
    void format(const std::string& f, bool zipped = false) {
        c.state.fileFormat = f;
        c.state.filePattern = zipped ? "*.Zip" : "*." + f;
    }
    bool logged(const std::string& text) const { return log().find(text) != std::string::npos; }
    std::filesystem::path deployIn() const { return program / "DEPLOY IN"; }
    std::filesystem::path archive() const { return program / "DEPLOY ARCHIVEIN"; }
    std::vector<std::string> recorded() {
        std::vector<std::string> out;
        for (auto rs = db->query("SELECT SourceFileName FROM [Tervik].dbo.IMPORT_DEPLOY_FILENAMES ORDER BY "
                                 "SourceFileName");
             !rs.eof(); rs.moveNext())
            out.push_back(rs.field("SourceFileName").asText());
        return out;
    }
    long long count(const std::string& fromWhere) {
        return db->query("SELECT COUNT(*) AS N FROM " + fromWhere).field("N").asInt();
    }
    // Every SetupDetails row as one text, sorted: what two imports are compared by.
    std::vector<std::string> setupRows() {
        std::vector<std::string> out;
        for (auto rs = db->query("SELECT * FROM [Tervik].dbo.SetupDetails ORDER BY File_Names"); !rs.eof();
             rs.moveNext()) {
            std::string row;
            for (const auto& col : rs.columns())
                row += rs.field(col).textOr("<null>") + "|";
            out.push_back(row);
        }
        return out;
    }
};

} // namespace quillan::test
