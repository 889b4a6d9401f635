// quillan_replace_bench <app folder> <update folder> <backup folder>
// Backs up every file of the application folder into the backup folder and replaces each with the
// update folder's copy of the same name, as a run does: the file backup, then the other-files
// replacement, on a release table listing the files (the embedded engine) and this machine's safe
// replace. Prints the time of the two phases alone, in milliseconds; the table is filled first.
#include "base/Console.h"
#include "install/FileBackup.h"
#include "install/FileReplacement.h"
#include "platform/db/embedded/EmbeddedEngine.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

namespace fs = std::filesystem;
using namespace quillan;

// Answers nothing and only counts: no box of the two phases needs an answer.
class SilentOperator : public Operator {
public:
    void inform(const std::string&) override {}
    bool askYesNo(Question, const std::string&) override { return false; }
    bool askOkCancel(Question, const std::string&) override { return false; }
};

void fillReleaseTable(db::Connection& conn, const fs::path& app) {
    conn.execute("CREATE DATABASE [Tervik]");
    conn.execute("CREATE TABLE [Tervik].dbo.SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), "
                 "File_CrDate DATETIME, File_UnZipDate DATETIME, Status INT, RegRequired INT, HotfixNo INT, "
                 "VersionNo INT, UploadFileSize BIGINT, DownloadFileSize BIGINT, FileExtension VARCHAR(10), "
                 "FileSplitStatus INT)");
    conn.execute("BEGIN TRANSACTION");
    for (const auto& e : fs::directory_iterator(app)) {
        const std::string name = e.path().filename().string();
        conn.execute("INSERT INTO [Tervik].dbo.SetupDetails VALUES (" + db::sqlQuote(name) +
                     ",'App.Path','2024-03-01 10:00:00',NULL,1,0,0,1,1,1,'dat',0)");
    }
    conn.execute("COMMIT TRANSACTION");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: quillan_replace_bench <app folder> <update folder> <backup folder>\n";
        return 2;
    }
    try {
        const fs::path app = fs::absolute(argv[1]), update = fs::absolute(argv[2]),
                       backup = fs::absolute(argv[3]);
        SilentOperator op;
        Console c(app, op);
        db::EmbeddedOptions o;
        o.dataFolder = backup.parent_path() / "bench-data";
        fs::create_directories(o.dataFolder);
        c.conn = db::openEmbeddedConnection(o);
        fillReleaseTable(*c.conn, app);
        c.state.dbPrefix = "[Tervik]";
        c.state.updateFolder = c.paths.toWindows(update);
        c.state.backupFolder = c.paths.toWindows(backup);
        c.log.open(backup.parent_path() / "DeployErrlog.log");

        const auto start = std::chrono::steady_clock::now();
        const bool ok = BackupSupportingFiles(c) && ReplaceFiles(c, ReplacedFiles::OtherFiles);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (!ok || c.state.run.runFailed) {
            std::cerr << "the phases failed; see " << (backup.parent_path() / "DeployErrlog.log") << '\n';
            return 1;
        }
        std::cout << ms.count() << '\n';
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
