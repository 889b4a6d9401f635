// Driver of the backup and hotfix benchmark. One operation per call, as the phases run it:
//   make-db <data folder> <MB>       a Tervik catalog of about MB megabytes (+ the work tables)
//   backup <data folder> <folder>    BackupDb: prune, backup, compression, archive test, .bak deleted
//   make-hotfix <file> <batches>     a hotfix script of that many small batches split by GO
//   hotfix <data folder> <file>      RunningHotfix on that script
//   pieces <data folder> <folder>    the backup's three steps timed one by one (ms on stdout)
// The script writes the same statements for the sqlite3 shell (<file>.sqlite3.sql).
#include "archive/Zip.h"
#include "base/Console.h"
#include "base/Machine.h"
#include "base/Operator.h"
#include "install/BackupArchive.h"
#include "install/DatabaseBackup.h"
#include "install/Hotfixes.h"
#include "platform/db/embedded/EmbeddedEngine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;
using namespace quillan;

namespace {

struct Silent : Operator {
    void inform(const std::string&) override {}
    bool askYesNo(Question, const std::string&) override { return true; }
    bool askOkCancel(Question, const std::string&) override { return true; }
};

int makeDb(const fs::path& data, long megabytes) {
    fs::create_directories(data);
    db::EmbeddedOptions o;
    o.dataFolder = data;
    auto conn = db::openEmbeddedConnection(o);
    conn->execute("CREATE DATABASE [Tervik]");
    conn->execute("CREATE TABLE [Tervik].dbo.TempBackupFile (FileName VARCHAR(100), LastModDate DATETIME)");
    conn->execute("CREATE TABLE [Tervik].dbo.HotFixLog (FixId INT)");
    conn->execute("CREATE TABLE [Tervik].dbo.Ledger (Id INT, Account VARCHAR(20), Note VARCHAR(1000))");
    // Rows like an application's: repeated words and numbers with a random part.
    std::mt19937 rng(7);
    const char* words[] = {"invoice", "credit", "return", "stock", "transfer", "payment", "order", "batch"};
    const long rows = megabytes * 1024 * 1024 / 600;
    conn->execute("BEGIN TRAN");
    for (long i = 0; i < rows; ++i) {
        std::string note;
        while (note.size() < 500)
            note += std::string(words[rng() % 8]) + " " + std::to_string(rng() % 100000) + " ";
        conn->execute("INSERT INTO [Tervik].dbo.Ledger VALUES (" + std::to_string(i) + ",'AC" +
                      std::to_string(rng() % 5000) + "','" + note + "')");
        if (i % 20000 == 19999) {
            conn->execute("COMMIT");
            conn->execute("BEGIN TRAN");
        }
    }
    conn->execute("COMMIT");
    return 0;
}

// A console on the engine's data folder, as start-up leaves it for the two phases.
struct BenchConsole {
    Silent op;
    Console c;
    BenchConsole(const fs::path& data, const fs::path& work) : c(work / "Tervik", op) {
        fs::create_directories(c.programFolder());
        c.state.connString = "Provider=SQLite;Data Folder=" + data.string();
        c.conn = c.os.openConnection(c.state.connString, c.programFolder());
        c.state.dbName = "Tervik";
        c.state.dbPrefix = "[Tervik]";
        c.state.distributorCode = "D01";
        c.state.backupDrive = "C";
        c.state.isLocalServer = true;
        c.log.open(work / "DeployErrlog.log");
    }
};

int backup(const fs::path& data, const fs::path& folder) {
    BenchConsole b(data, folder);
    b.c.state.backupFolder = b.c.paths.toWindows(folder);
    if (!BackupDb(b.c)) {
        std::fprintf(stderr, "%s\n", b.c.log.readAll().c_str());
        return 1;
    }
    std::printf("%s\n", (folder / b.c.state.backupFileName).replace_extension(".zip").string().c_str());
    return 0;
}

long long msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t)
        .count();
}

// Where the phase's time goes: the backup copy, the compression, the archive test.
int pieces(const fs::path& data, const fs::path& folder) {
    auto admin = db::openEmbeddedAdmin(data);
    admin->connect("", "", "");
    const fs::path bak = folder / "D01_pieces.bak";
    auto t = std::chrono::steady_clock::now();
    admin->backup("Tervik", bak, {});
    std::printf("backup copy: %lld ms\n", msSince(t));
    t = std::chrono::steady_clock::now();
    cZip zip;
    zip.ZipFile(backupArchiveOf(bak));
    zip.AddFileSpec(bak.string());
    zip.Zip();
    std::printf("compression: %lld ms\n", msSince(t));
    t = std::chrono::steady_clock::now();
    testBackupArchive(backupArchiveOf(bak), bak.filename().string(), fs::file_size(bak));
    std::printf("archive test: %lld ms\n", msSince(t));
    return 0;
}

int makeHotfix(const fs::path& file, long batches) {
    std::ofstream t(file, std::ios::binary), s(file.string() + ".sqlite3.sql", std::ios::binary);
    t << "--[TERVIK HOTFIX VERSION]=42\r\nCREATE TABLE Fix42 (Id INT, Name VARCHAR(40))\r\nGO\r\n";
    s << "CREATE TABLE Fix42 (Id INT, Name VARCHAR(40));\n";
    for (long i = 0; i < batches; ++i) {
        const std::string stmt =
            "INSERT INTO Fix42 VALUES (" + std::to_string(i) + ", 'row " + std::to_string(i) + "')";
        t << stmt << "\r\nGO\r\n";
        s << stmt << ";\n";
    }
    t << "INSERT INTO HotFixLog VALUES (42)\r\nGO\r\n";
    s << "INSERT INTO HotFixLog VALUES (42);\n";
    return 0;
}

int hotfix(const fs::path& data, const fs::path& file) {
    BenchConsole b(data, file.parent_path());
    if (!RunningHotfix(b.c, b.c.paths.toWindows(file))) {
        std::fprintf(stderr, "%s\n", b.c.log.readAll().c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s make-db|backup|make-hotfix|hotfix ARG ARG\n", argv[0]);
        return 2;
    }
    const std::string what = argv[1];
    if (what == "make-db")
        return makeDb(argv[2], std::atol(argv[3]));
    if (what == "backup")
        return backup(argv[2], argv[3]);
    if (what == "make-hotfix")
        return makeHotfix(argv[2], std::atol(argv[3]));
    if (what == "pieces")
        return pieces(argv[2], argv[3]);
    if (what == "hotfix")
        return hotfix(argv[2], argv[3]);
    std::fprintf(stderr, "unknown operation %s\n", argv[1]);
    return 2;
}
