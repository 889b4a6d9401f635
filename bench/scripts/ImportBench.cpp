// quillan_import_bench [ROWS [FORMAT]] - the deploy-script import of a script of ROWS rows (default
// 10000; FORMAT Xml, Csv or Xls alone, for profiling)
// in each format, plain and zipped, through the whole import phase (file moves, work list, the
// statement built, translated and run on the embedded engine through the administration
// interface), against the sqlite3 shell's ".import" of the same rows, tab separated, into a table
// of the same columns. Best of five each, rounds alternating; ratios are import time / shell time.
#include "scripts/ScriptImport.h"
#include "tests/scripts/ScriptTestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;

std::vector<ReleaseRow> releaseRows(int n) {
    std::vector<ReleaseRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::string id = std::to_string(100000 + i);
        rows.push_back({"Module" + id + ".dll", "App.Path\\Modules\\Group" + std::to_string(i % 50),
                        "2024-03-01 10:" + std::to_string(10 + i % 50) + ":00", "", "1",
                        std::to_string(i % 3 == 0), "0", std::to_string(8 + i % 4),
                        std::to_string(1000 + i * 7), "0", "DLL", "0"});
    }
    return rows;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One import of the rows as a script of the format; milliseconds, or a negative value on failure.
double importOnce(const std::string& format, bool zipped, const std::vector<ReleaseRow>& rows) {
    ScriptConsole s;
    s.format(format, zipped);
    const std::string name = "SETUPDETAILS_1." + format;
    const fs::path plain = s.deployIn() / name;
    if (format == "Xml")
        writeFile(plain, xmlScript(rows));
    else if (format == "Csv")
        writeFile(plain, csvScript(rows));
    else
        writeExcelScript(plain, rows);
    if (zipped) {
        const std::string bytes = readFile(plain);
        fs::remove(plain);
        writeZip(s.deployIn() / "SETUPDETAILS_1.Zip", name, bytes);
    }
    const auto start = Clock::now();
    const bool ok = UpdateDeployScript(s.c);
    const double ms = msSince(start);
    if (!ok || s.count("[Tervik].dbo.SetupDetails") != static_cast<long long>(rows.size())) {
        std::cerr << format << (zipped ? " zipped" : "") << ": import failed\n" << s.log();
        return -1;
    }
    return ms;
}

// The sqlite3 shell loading the same rows from a tab-separated file with a header line.
double shellImportOnce(const std::vector<ReleaseRow>& rows) {
    TempDir dir("quillan-import-bench");
    const fs::path csv = dir / "rows.csv";
    const fs::path commands = dir / "import.sql";
    writeFile(csv, csvScript(rows));
    writeFile(commands,
              "CREATE TABLE SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), File_CrDate "
              "DATETIME, File_UnZipDate DATETIME, Status INT, RegRequired INT, HotfixNo INT, VersionNo "
              "INT, UploadFileSize BIGINT, DownloadFileSize BIGINT, FileExtension VARCHAR(10), "
              "FileSplitStatus INT);\n.mode tabs\n.import --skip 1 '" +
                  csv.string() + "' SetupDetails\n");
    const std::string command =
        "sqlite3 '" + (dir / "shell.db").string() + "' < '" + commands.string() + "' > /dev/null";
    const auto start = Clock::now();
    const int rc = std::system(command.c_str());
    const double ms = msSince(start);
    return rc == 0 ? ms : -1;
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (n <= 0) {
        std::cerr << "usage: quillan_import_bench [ROWS]\n";
        return 2;
    }
    const auto rows = releaseRows(n);
    const std::string only = argc > 2 ? argv[2] : "";
    struct Case {
        std::string format;
        bool zipped;
        double best = 1e18;
    };
    std::vector<Case> cases;
    for (const std::string format : {"Xml", "Csv", "Xls"})
        for (const bool zipped : {false, true})
            if (only.empty() || only == format)
                cases.push_back({format, zipped});
    // Rounds alternate the shell and every import, so that a busy moment of the machine falls on
    // both sides of a ratio alike.
    double shell = 1e18;
    for (int round = 0; round < kRounds; ++round) {
        const double s = shellImportOnce(rows);
        if (s < 0) {
            std::cerr << "the sqlite3 shell failed (tools/install-deps.sh installs it)\n";
            return 1;
        }
        shell = std::min(shell, s);
        for (auto& k : cases) {
            const double ms = importOnce(k.format, k.zipped, rows);
            if (ms < 0)
                return 1;
            k.best = std::min(k.best, ms);
        }
    }
    std::printf("Import of %d rows, best of %d: sqlite3 shell .import %.1f ms\n", n, kRounds, shell);
    std::printf("%-12s %10s %8s\n", "script", "import ms", "ratio");
    for (const auto& k : cases)
        std::printf("%-12s %10.1f %8.2f\n", (k.format + (k.zipped ? " zipped" : "")).c_str(), k.best,
                    k.best / shell);
    return 0;
}
