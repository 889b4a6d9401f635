// Embedded engine benchmark: (1) the cost of translating the system's T-SQL statements, against
// running the already translated SQLite text on the same session; (2) backup throughput against a
// plain copy of the same catalog file. Prints the ratios.
#include "platform/db/embedded/EmbeddedEngine.h"
#include "platform/db/embedded/Session.h"
#include "platform/db/embedded/Translator.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace quillan::db;
namespace fs = std::filesystem;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    int reps = argc > 1 ? std::atoi(argv[1]) : 200;
    std::string tmpl = (fs::temp_directory_path() / "quillan-dbbench-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        return 1;
    fs::path dir = tmpl, data = dir / "Data";
    fs::create_directories(data);
    const std::string P = "[Tervik]";
    {
        EmbeddedOptions o;
        o.dataFolder = data;
        auto conn = openEmbeddedConnection(o);
        conn->execute("CREATE DATABASE [Tervik]");
        conn->execute(
            "CREATE TABLE " + P +
            ".dbo.SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), File_CrDate DATETIME, "
            "File_UnZipDate DATETIME, Status INT, RegRequired INT, HotfixNo INT, VersionNo INT, "
            "UploadFileSize BIGINT, DownloadFileSize BIGINT, FileExtension VARCHAR(10), "
            "FileSplitStatus INT) CREATE TABLE " +
            P + ".dbo.HotFixLog (FixId INT)");
        conn->execute("BEGIN TRAN");
        const char* ext[] = {"EXE", "ZIP", "RPT", "RTM", "TPL", "sql", "DLL", "TXT"};
        for (int i = 0; i < 2000; ++i)
            conn->execute("INSERT INTO " + P + ".dbo.SetupDetails VALUES ('file" + std::to_string(i) + "." +
                          ext[i % 8] + "','App.Path','2024-03-01 10:00:00',NULL,1," +
                          std::to_string(i % 3 == 0) + "," + std::to_string(i % 8 == 5 ? i : 0) + "," +
                          std::to_string(i % 20) + ",1000," + std::to_string(i % 7 == 0 ? 0 : 1000) + ",'" +
                          ext[i % 8] + "',0)");
        conn->execute("COMMIT");
    }
    std::vector<std::string> statements = {
        "Select * from " + P +
            ".dbo.SetupDetails (nolock) where HotfixNo =0 and RegRequired=0 and (FileExtension like 'ZIP' or "
            "FileExtension like 'TPL') and  (uploadfilesize-downloadfilesize)>0 order by VersionNo",
        "Select File_Path,File_Names,File_CrDate, isnull(File_UnZipDate,File_CrDate) as File_UnZipDate  "
        "from " +
            P +
            ".dbo.SetupDetails (nolock) where HotfixNo =0 and FileExtension like 'EXE' order by VersionNo",
        "select Count(File_Names) as ExeCount from " + P +
            ".dbo.SetupDetails where File_Names like '%.Exe' and VersionNo in(Select Max(VersionNo) from   " +
            P + ".dbo.SetupDetails)",
        "SELECT * FROM " + P +
            ".dbo.SetupDetails WITH (NOLOCK) WHERE HotfixNo >0 AND HotFixNo NOT IN (SELECT FixId FROM " + P +
            ".dbo.HotFixlog WITH(NOLOCK)) ORDER BY VersionNo,Hotfixno",
        "Update " + P +
            ".dbo.SetupDetails set File_UnZipDate ='2024-05-06 07:08:09' where file_names='file8.EXE'",
        "SELECT ISNULL(MAX(HotfixNo),0)HotfixNo FROM  " + P +
            ".dbo.SETUPDETAILS(NOLOCK) WHERE FileExtension = 'sql'",
        "Select File_Names as [File Name],File_Crdate AS [File Date] from " + P +
            ".dbo.SetupDetails (nolock) where HotfixNo =0 and (file_names like '%.rtm' or file_names like "
            "'%.rpt') "
            "order by VersionNo",
    };
    embedded::Session session(data, "master", {});
    std::vector<std::string> native;
    for (const auto& s : statements) {
        session.run(s); // attaches the catalog, fills the translation cache
        native.push_back(embedded::translateBatch(s, "master").steps.at(0).sql.sql);
    }
    // Warm both paths, then alternate rounds so that drift on a shared machine hits both alike.
    double tTranslated = 0, tNative = 0;
    for (int round = 0; round < 5; ++round) {
        auto t0 = std::chrono::steady_clock::now();
        for (int r = 0; r < reps / 5; ++r)
            for (std::size_t i = 0; i < statements.size(); ++i)
                session.runNative(native[i]);
        tNative += seconds(t0);
        t0 = std::chrono::steady_clock::now();
        for (int r = 0; r < reps / 5; ++r)
            for (const auto& s : statements)
                session.run(s);
        tTranslated += seconds(t0);
    }
    auto t0 = std::chrono::steady_clock::now();
    int n = 0;
    for (int r = 0; r < reps; ++r)
        for (const auto& s : statements) {
            n += static_cast<int>(embedded::translateBatch(s, "master").steps.size());
        }
    double tTranslateOnly = seconds(t0);
    std::printf("statements: %zu x %d runs\n", statements.size(), reps);
    std::printf("plain SQLite (translated text): %.3f s\n", tNative);
    std::printf("engine (T-SQL, cached translation): %.3f s\n", tTranslated);
    std::printf("translation overhead: %+.1f %%\n", (tTranslated / tNative - 1) * 100);
    std::printf("uncached translation alone: %.1f us per statement (%d steps)\n",
                tTranslateOnly * 1e6 / (reps * static_cast<double>(statements.size())), n);

    // Backup throughput: grow the catalog to about 64 MB.
    {
        EmbeddedOptions o;
        o.dataFolder = data;
        auto conn = openEmbeddedConnection(o);
        conn->execute("CREATE TABLE " + P + ".dbo.Filler (B VARCHAR(9000))");
        conn->execute("BEGIN TRAN");
        std::string row(4000, 'x');
        for (int i = 0; i < 16000; ++i)
            conn->execute("INSERT INTO " + P + ".dbo.Filler VALUES ('" + row + std::to_string(i) + "')");
        conn->execute("COMMIT");
    }
    auto admin = openEmbeddedAdmin(data);
    admin->connect("(local)", "", "");
    fs::path src = data / "Tervik.sqlite";
    double tCopy = 1e9, tBackup = 1e9;
    for (int round = 0; round < 3; ++round) {
        fs::remove(dir / "copy.bin");
        auto c0 = std::chrono::steady_clock::now();
        fs::copy_file(src, dir / "copy.bin");
        tCopy = std::min(tCopy, seconds(c0));
        auto b0 = std::chrono::steady_clock::now();
        int last = 0;
        admin->backup("Tervik", dir / "backup.bak", [&](int p) { last = p; });
        tBackup = std::min(tBackup, seconds(b0));
        if (last != 100)
            return 2;
    }
    double mb = static_cast<double>(fs::file_size(src)) / 1e6;
    std::printf("catalog size: %.1f MB\n", mb);
    std::printf("file copy: %.3f s (%.0f MB/s)\n", tCopy, mb / tCopy);
    std::printf("engine backup: %.3f s (%.0f MB/s)\n", tBackup, mb / tBackup);
    std::printf("backup speed / copy speed: %.2f\n", tCopy / tBackup);
    admin.reset();
    fs::remove_all(dir);
    return 0;
}
