// Crashes of the real program: quillan --headless on an installation made by quillan-sample, the
// release served by quillan-office, killed (SIGKILL) at a point of a phase, then run again. After
// the kill no file under a final name holds half its bytes (each is its old or its new content,
// anything else is a temporary name); the next run completes what the phases built so far
// complete, and leaves no temporary name behind and every release row once.
#include "tests/e2e/Executables.h"
#include "tests/e2e/FaultRelease.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace quillan {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// The release served by quillan-office, the installation made by quillan-sample, and headless
// runs of quillan on it.
struct SampleDeployment : test::FaultRelease {
    std::optional<test::OfficeProcess> officeProcess;
    int runs = 0;

    SampleDeployment() {
        startOffice({});
        const auto made = test::runCommand(
            test::consoleProgram("quillan-sample") + " " + test::consolePath(app) +
            " --mode http --web-service DeployService --server-path " + officeProcess->serverPath());
        EXPECT_EQ(made.code, 0) << made.out;
        install();
    }

    // The office, on the port it had (the installation's settings name it), with these faults.
    void startOffice(std::vector<std::string> faults) {
        const int port = officeProcess ? officeProcess->port() : 0;
        officeProcess.reset();
        faults.insert(faults.end(), {"--port", std::to_string(port)});
        officeProcess.emplace(office, base / "office.port", faults);
    }

    struct Outcome {
        bool killed = false;
        std::optional<int> exitCode;
        std::string log;
    };
    // One headless run; killed the moment `killWhen` answers true (never, without one).
    Outcome runQuillan(const std::function<bool()>& killWhen = {}) {
        Outcome o;
        test::Child q({(test::binaryFolder() / "quillan").string(), "--app-dir", app.string(), "--headless",
                       "--answer", "continue=yes", "--answer", "close=yes"},
                      base / ("quillan-" + std::to_string(++runs) + ".out"));
        test::waitFor(
            [&] {
                if (q.exited())
                    return true;
                if (killWhen && killWhen()) {
                    q.kill();
                    o.killed = true;
                    return true;
                }
                return false;
            },
            std::chrono::seconds(30));
        o.exitCode = o.killed ? std::nullopt : q.exited();
        o.log = runLog();
        return o;
    }
};

// True when a file of the folder has a name that starts with `prefix` and ends with `suffix`.
bool anyFileNamed(const fs::path& folder, const std::string& prefix, const std::string& suffix = "") {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        if (name.starts_with(prefix) && name.ends_with(suffix))
            return true;
    }
    return false;
}

// The backup folder after a run: only the tested archives of database backups and the copies of
// installed files (`installed`: by their paths in the installation), no backup half zipped under
// another name.
std::vector<std::string> backupFolderStrays(const fs::path& folder,
                                            const std::map<std::string, std::string>& installed) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        const bool copy = std::any_of(installed.begin(), installed.end(),
                                      [&](const auto& f) { return fs::path(f.first).filename() == name; });
        if (!(name.ends_with(".zip") || copy))
            out.push_back(name);
    }
    return out;
}

struct Point {
    const char* name;
    std::vector<std::string> officeFaults; // for the killed run only
    std::function<bool(SampleDeployment&)> killWhen;
    bool withReport = false; // the release installs a report as well (docs/recovery.md)
};

std::function<bool(SampleDeployment&)> logged(const char* text) {
    return [text](SampleDeployment& d) { return d.runLog().find(text) != std::string::npos; };
}

// A download writes through a large buffer, so its partial file shows no bytes yet while the
// office stalls; the kill comes once the transfer has been under way a moment.
std::function<bool(SampleDeployment&)> midDownload(std::string partial) {
    auto seen = std::make_shared<std::optional<std::chrono::steady_clock::time_point>>();
    return [partial, seen](SampleDeployment& d) {
        if (!fs::exists(d.app / partial))
            return false;
        if (!*seen)
            *seen = std::chrono::steady_clock::now();
        return std::chrono::steady_clock::now() - **seen > std::chrono::milliseconds(300);
    };
}

const Point kPoints[] = {
    {"ScriptDownloadMidFile",
     {"--stall-after", "SETUPDETAILS_1.xml=200"},
     midDownload("DEPLOY IN/SETUPDETAILS_1.xml.part")},
    {"ScriptImport", {}, logged(">>-Importing data from SETUPDETAILS_1.xml")},
    {"ProgramDownloadMidFile",
     {"--stall-after", "App.zip=131072"},
     midDownload("Tervik/Update/App.zip.part")},
    {"SplitJoin",
     {},
     [](SampleDeployment& d) {
         return fs::exists(tpl::joiningTemporaryFor(d.update / "Big.zip")) ||
                d.runLog().find(">>-Restored Big.zip") != std::string::npos;
     }},
    {"Unpacking",
     {},
     [](SampleDeployment& d) {
         // The member's temporary, or the member itself: written in place, it would be caught
         // half written.
         return anyFileNamed(d.update, "~qz") || anyFileNamed(d.update, "Big.rpt") ||
                d.runLog().find(">>-Unzipped Big.zip") != std::string::npos;
     }},
    {"DatabaseBackup", {}, logged(">>-Started Database Backup")},
    {"DatabaseBackupMidZip",
     {},
     // The backup is written; its archive is being made beside it. The .bak of the small sample
     // lives for milliseconds, so a watch that misses it under load kills just after the phase.
     [](SampleDeployment& d) {
         return anyFileNamed(d.app / "UploadBackup", "", ".bak") ||
                d.runLog().find(">>-Database Backup completed") != std::string::npos;
     }},
    {"FileBackup", {}, logged(">>-Started Backing Other Files")},
    {"ExeReplacementMidCopy",
     {},
     [](SampleDeployment& d) {
         // The safe copy's hidden temporary beside the program, or the log line once it is in place.
         return anyFileNamed(d.app, ".Tervik.exe.") ||
                d.runLog().find(">>-Replacing Exe completed") != std::string::npos;
     }},
    {"HotfixBetweenBatches", {}, logged("Running Hotfix 4 fix.sql")},
    {"CompletionRecords", {}, logged(">>-Running Hotfix completed")},
    // After the hotfix is recorded: the next run must still replace the report and close the run.
    {"ReportReplacement", {}, logged(">>-Started Replacing RTM and RPT "), true},
};

void PrintTo(const Point& p, std::ostream* os) {
    *os << p.name;
}

struct CrashSafety : ::testing::TestWithParam<Point> {};

TEST_P(CrashSafety, KilledThereTheNextRunCompletesAndNoFileIsHalfWritten) {
    const Point& p = GetParam();
    SampleDeployment d;
    if (p.withReport)
        d.publishReport();
    if (!p.officeFaults.empty())
        d.startOffice(p.officeFaults);
    const auto crashed = d.runQuillan([&] { return p.killWhen(d); });
    ASSERT_TRUE(crashed.killed) << "the run ended before the point: " << crashed.log;
    // Each installed file is its old content or the release's, never a part of it.
    const auto before = d.installationBefore, after = d.installationAfter();
    const auto holds = [](const std::map<std::string, std::string>& files, const std::string& name,
                          const std::string& print) {
        const auto it = files.find(name);
        return it != files.end() && it->second == print;
    };
    for (const auto& [name, print] : d.installation())
        if (!test::isTemporaryName(name)) { // a killed copy's temporary is allowed here
            EXPECT_TRUE(holds(before, name, print) || holds(after, name, print)) << name;
        }
    EXPECT_THAT(d.broken(true), IsEmpty());
    EXPECT_THAT(d.brokenScripts(), IsEmpty());

    if (!p.officeFaults.empty())
        d.startOffice({});
    const auto next = d.runQuillan();
    EXPECT_THAT(next.exitCode, ::testing::Optional(::testing::AnyOf(0, 8)))
        << "completed, or found applied: " << next.log;
    EXPECT_THAT(d.broken(false), IsEmpty());
    EXPECT_THAT(d.temporaries(), IsEmpty());
    EXPECT_EQ(d.installation(), d.installationAfter());
    EXPECT_THAT(backupFolderStrays(d.app / "UploadBackup", d.installationAfter()), IsEmpty());
    EXPECT_EQ(d.rowsInProgress(), 0) << "the run is closed";
    EXPECT_EQ(d.versionRecords(), 1) << "the completion records are written";
    const auto further = d.runQuillan();
    EXPECT_EQ(further.exitCode, 8) << "nothing to do";
    EXPECT_THAT(further.log, HasSubstr(">>-Deployment Process Completed")) << "the release is found applied";
    for (const auto& [name, count] : d.rowCounts())
        EXPECT_EQ(count, 1) << name;
}

INSTANTIATE_TEST_SUITE_P(EachPhase, CrashSafety, ::testing::ValuesIn(kPoints),
                         [](const ::testing::TestParamInfo<Point>& i) { return std::string(i.param.name); });

} // namespace
} // namespace quillan
