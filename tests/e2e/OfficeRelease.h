#pragma once
// A whole deployment in this process: an installation with its old files, a release published at
// a local central office (packages over HTTP from app/office, split packages too), the real run
// driver with the real phases and transports on the embedded engine. The release counts as
// imported: its rows are in SetupDetails, as the deploy-script phases would have left them, so
// that a case shows the fault it injects and nothing else.
#include "app/office/OfficeServer.h"
#include "console/DeploymentPhases.h"
#include "console/RunDriver.h"
#include "scripts/TplTemplate.h"
#include "tests/e2e/FolderSnapshot.h"
#include "tests/support/RecordingConnection.h"
#include "tests/support/ReleaseFolders.h"

#include <filesystem>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quillan::test {

// The run's phases with the deploy-script download and import already done.
class ImportedReleasePhases : public DeploymentPhases {
public:
    PhaseOutcome scriptDownload(Console&) override { return PhaseOutcome::Continue; }
    PhaseOutcome scriptImport(Console&) override { return PhaseOutcome::Continue; }
};

// One run of the console on the fixture's installation, database and office.
struct ConsoleRun {
    RecordingOperator op;
    std::unique_ptr<Console> console;
    std::string log;
};

struct OfficeRelease : ReleaseFolders {
    std::filesystem::path officeRoot = dir.path() / "Office";
    std::filesystem::path packages = officeRoot / "Packages";
    std::map<std::string, std::string> published;              // every package file of the release, by name
    std::map<std::string, std::string> unpacked;               // what the unpacking puts in the update folder
    std::map<std::string, std::string> installationBefore;     // fingerprints, by path
    std::vector<std::string> installedByRelease{"Tervik.exe"}; // its files with a row of their own
    std::unique_ptr<office::OfficeServer> office;
    std::vector<std::unique_ptr<ConsoleRun>> runs;

    // `hotfixBatches`: the batches of the release's hotfix 4 before the one that records it.
    explicit OfficeRelease(const std::vector<std::string>& hotfixBatches = {
                               "CREATE TABLE [Tervik].dbo.Fixed (What INT)"}) {
        std::filesystem::create_directories(packages);
        // The installation as the release finds it.
        writeFile(c.programFolder() / "Tervik.exe", "the old program");
        writeFile(c.programFolder() / "Reports" / "Sales.rpt", "the old report");
        installationBefore = installation();
        db->execute(std::string("CREATE TABLE ") + kPrefix +
                    ".dbo.FileExtension (Extension VARCHAR(100), Type INT, Status INT)");
        db->execute(std::string("INSERT INTO ") + kPrefix + ".dbo.FileExtension VALUES ('TMP', 1, 0)");
        // The closing of programs asks the operator (mode 1); no other workstation runs the application.
        db->execute(std::string("CREATE TABLE ") + kPrefix +
                    ".dbo.PexaConfiguration (moduleID VARCHAR(50), seqno INT, Status INT)");
        db->execute(std::string("INSERT INTO ") + kPrefix +
                    ".dbo.PexaConfiguration VALUES ('AutoConfig2', 2, 1)");
        db->execute(std::string("CREATE TABLE ") + kPrefix + ".dbo.FN_Hostnames (HMessage VARCHAR(500))");
        c.state.isLocalServer = true;
        c.state.transferMode = 2;
        c.state.httpAvailable = true; // the connection check is not what these cases are about
        c.state.deployServerPath = "Packages/";
        c.state.backupFolder = c.paths.toWindows(dir.path() / "UploadBackup");
        std::filesystem::create_directories(dir.path() / "UploadBackup");
        addFile("Tervik.exe", 1, 0, "exe");
        addHotfix(4); // keeps the release pending until it is recorded in HotFixLog
        publishZip("Fix.zip", 9, {{"4 fix.sql", hotfixScript(4, hotfixBatches)}});
    }

    // A hotfix script as the office publishes one: its version line, the batches, then the batch
    // that records it in HotFixLog.
    static std::string hotfixScript(int number, const std::vector<std::string>& batches) {
        std::string s = "--[TERVIK HOTFIX VERSION]=" + std::to_string(number) + "\r\n";
        for (const auto& b : batches)
            s += b + "\r\nGO\r\n";
        return s + "INSERT INTO [Tervik].dbo.HotFixLog VALUES (" + std::to_string(number) + ")\r\nGO\r\n";
    }

    // The members as the unpacking puts them in the update folder, each with the packed time.
    std::map<std::string, std::pair<std::string, std::string>>
    timed(const std::map<std::string, std::string>& members) {
        std::map<std::string, std::pair<std::string, std::string>> out;
        for (const auto& [member, bytes] : members) {
            out[member] = {bytes, "2024-03-05 14:07:09"};
            unpacked[member] = bytes;
        }
        return out;
    }
    // A ZIP package of the members, published and listed with its size.
    void publishZip(const std::string& name, int version, const std::map<std::string, std::string>& members) {
        makeZip(packages / name, timed(members));
        published[name] = readFile(packages / name);
        addPackage(name, version, sizeOf(packages / name), 0);
    }
    // A ZIP package published as a template and pieces of `pieceSize` bytes.
    tpl::Template publishSplit(const std::string& archive, int version,
                               const std::map<std::string, std::string>& members, std::size_t pieceSize) {
        const auto whole = dir.path() / archive;
        makeZip(whole, timed(members));
        unpacked[archive] = readFile(whole); // the join rebuilds it in the update folder
        const std::string stem = archive.substr(0, archive.rfind('.'));
        const auto before = snapshot(packages);
        const auto t =
            tpl::splitPackage(whole, packages, stem + ".tpl", "D:\\Release\\" + archive, pieceSize);
        for (const auto& [name, bytes] : snapshot(packages)) {
            if (before.count(name))
                continue;
            published[name] = bytes;
            addPackage(name, version, static_cast<long long>(bytes.size()), 0,
                       name.ends_with(".tpl") ? "TPL" : "ZIP", 1);
        }
        return t;
    }

    void startOffice(std::vector<office::OfficeFault> faults = {}) {
        if (office)
            office->stop();
        office::OfficeSettings s;
        s.root = officeRoot;
        s.faults = std::move(faults);
        office = std::make_unique<office::OfficeServer>(s);
        office->start();
        c.state.serverPath = office->serverPath();
    }

    // A run from the start timer. The first run uses the fixture's console; each later one a fresh
    // console on the same folders, settings and database, as a new process would be.
    // `machine` and `phases` stand in for the real ones where a case needs a fault of theirs.
    ConsoleRun& run(db::Connection* connection = nullptr, Machine* machine = nullptr,
                    DeploymentPhases* phases = nullptr,
                    const std::function<void(RecordingOperator&)>& answers = {}) {
        auto r = std::make_unique<ConsoleRun>();
        if (answers)
            answers(r->op);
        r->console = machine ? std::make_unique<Console>(c.programFolder(), r->op, *machine)
                             : std::make_unique<Console>(c.programFolder(), r->op);
        Console& k = *r->console;
        k.state = c.state;
        k.state.serverPath = office ? office->serverPath() : c.state.serverPath;
        k.state.timerEnabled = true;
        k.conn = std::make_unique<ForwardingConnection>(connection ? *connection : *db);
        k.log.open(dir.path() / ("DeployErrlog-" + std::to_string(runs.size() + 1) + ".log"));
        ImportedReleasePhases imported;
        Timer1_Timer(k, phases ? *phases : imported);
        r->log = k.log.readAll();
        runs.push_back(std::move(r));
        return *runs.back();
    }

    // The installation once the release is in: the old files with the release's program over its own.
    std::map<std::string, std::string> installationAfter() const {
        auto after = installationBefore;
        for (const auto& name : installedByRelease)
            after[name] = fingerprint({{name, unpacked.at(name)}}).at(name);
        return after;
    }
    std::map<std::string, std::string> installation() const {
        return fingerprint(snapshot(c.programFolder()));
    }
    // A run that completed the release: the closing box says so, the program is in place, the
    // hotfix recorded once; a further run finds the release applied and changes nothing.
    void expectReleaseCompleted(const ConsoleRun& r) {
        EXPECT_EQ(r.console->state.run.outcome, RunOutcome::Completed) << r.log;
        EXPECT_FALSE(r.console->state.run.runFailed);
        EXPECT_THAT(r.op.informed, ::testing::Contains("Completed Successfully"));
        EXPECT_EQ(installation(), installationAfter());
        EXPECT_EQ(hotfixesRecorded(), std::vector<std::string>{"4"});
        const auto& further = run();
        EXPECT_EQ(further.console->ending(), Ending::AlreadyUpToDate) << further.log;
        EXPECT_THAT(further.op.informed, ::testing::Contains("Updates Completed successfully"));
        EXPECT_EQ(installation(), installationAfter());
    }
    // The next run after a cut that came once the hotfix had run: that run finds the release applied
    // (the pending check reads HotFixLog), so it must already be in place; otherwise it completes it.
    void expectReleaseInPlace(const ConsoleRun& r) {
        if (r.console->ending() != Ending::AlreadyUpToDate)
            return expectReleaseCompleted(r);
        EXPECT_EQ(installation(), installationAfter()) << r.log;
        EXPECT_EQ(hotfixesRecorded(), std::vector<std::string>{"4"});
    }
    std::vector<std::string> hotfixesRecorded() {
        std::vector<std::string> out;
        for (auto rs =
                 db->query(std::string("SELECT FixId FROM ") + kPrefix + ".dbo.HotFixLog ORDER BY FixId");
             !rs.eof(); rs.moveNext())
            out.push_back(rs.field("FixId").textOr("NULL"));
        return out;
    }

    // SetupDetails, one line per row in name order.
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        auto rs =
            db->query(std::string("SELECT * FROM ") + kPrefix + ".dbo.SetupDetails ORDER BY File_Names");
        for (; !rs.eof(); rs.moveNext()) {
            std::string line;
            for (const char* col :
                 {"File_Names", "File_UnZipDate", "Status", "DownloadFileSize", "RegRequired"})
                line += std::string(col) + "=" + rs.field(col).textOr("NULL") + " ";
            out.push_back(line);
        }
        return out;
    }
    // The update folder's strays: files that are neither published or unpacked bytes under their
    // own names nor (when allowed) a download that a later run resumes.
    std::vector<std::string> strays(bool downloadsMayResume) {
        std::map<std::string, std::string> expected = published;
        expected.insert(unpacked.begin(), unpacked.end());
        return strayFiles(snapshot(update), expected, downloadsMayResume ? isResumableDownload : nullptr);
    }
};

} // namespace quillan::test
