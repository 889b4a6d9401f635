#pragma once
// A console on the embedded engine: a program folder "Tervik" in a scratch folder, a "[Tervik]"
// database holding the release tables (SetupDetails, HotFixLog), an open run log and an operator
// that gives the safe answer to every question. Phases and panels run their real statements on it.
#include "base/Console.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/SetupDetailsEngine.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <string>

namespace quillan::test {

struct EngineConsole {
    static constexpr const char* kPrefix = "[Tervik]";

    TempDir dir;
    RecordingOperator op;
    Console c{dir.path() / "Tervik", op};
    db::Connection* db = nullptr;

    EngineConsole() {
        std::filesystem::create_directories(c.programFolder());
        std::filesystem::create_directories(dir.path() / "Data");
        c.conn = openSetupDetailsEngine(dir.path() / "Data");
        db = c.conn.get();
        c.state.dbName = "Tervik";
        c.state.dbPrefix = kPrefix;
        c.state.appPath = c.paths.toWindows(c.programFolder());
        // The administration interface reaches the same engine; backups go below the scratch folder.
        c.state.connString = "Provider=SQLite;Data Folder=" + (dir.path() / "Data").string();
        c.state.backupFolder = c.paths.toWindows(dir.path() / "UploadBackup");
        c.log.open(dir.path() / "DeployErrlog.log");
    }

    // One published file: name, version, hotfix number, extension; sizes 100 of 100, status 1.
    void addFile(const std::string& name, int version, int hotfix, const std::string& extension,
                 const std::string& unzipDate = "NULL") {
        db->execute(std::string("INSERT INTO ") + kPrefix + ".dbo.SetupDetails VALUES (" +
                    db::sqlQuote(name) + ",'App.Path','2024-03-01 10:00:00'," + unzipDate + ",1,0," +
                    std::to_string(hotfix) + "," + std::to_string(version) + ",100,100," +
                    db::sqlQuote(extension) + ",0)");
    }
    void addHotfix(int number) { addFile(std::to_string(number) + " fix.sql", 1, number, "sql"); }
    void recordHotfixApplied(int number) {
        db->execute(std::string("INSERT INTO ") + kPrefix + ".dbo.HotFixLog VALUES (" +
                    std::to_string(number) + ")");
    }
    std::string log() const { return c.log.readAll(); }
};

} // namespace quillan::test
