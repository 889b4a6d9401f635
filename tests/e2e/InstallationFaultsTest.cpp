// Faults of the phases that change the installation, each through a whole run: a target that
// cannot be replaced, a program of the release that will not close, a hotfix whose second batch of
// three fails, the disk filling during the database backup or a program's copy. Each run ends in a
// stated way with the installation byte for byte as it was and the database's rows as before (the
// undo puts back what the run changed), and the next run, the fault gone, completes the release.
#include "install/ClosingPrograms.h"
#include "tests/e2e/OfficeRelease.h"
#include "tests/e2e/WriteLimit.h"
#include "tests/support/FakeMachine.h"
#include "tests/transfer/TransferTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillan {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kUndone = "Download with Error, Check Error Log for Errors";
constexpr rlim_t kRoom = 1024 * 1024;

// The rows of a table of the application, one line each, in a stable order.
std::vector<std::string> tableRows(db::Connection& db, const std::string& table, const std::string& columns) {
    std::vector<std::string> out;
    for (auto rs = db.query("SELECT " + columns + " FROM [Tervik].dbo." + table + " ORDER BY " + columns);
         !rs.eof(); rs.moveNext()) {
        std::string line;
        for (std::size_t i = 0; i < rs.columns().size(); ++i)
            line += rs.field(i).textOr("NULL") + "|";
        out.push_back(line);
    }
    return out;
}

// The run's phases with some of them wrapped: a wrap runs the real phase its own way.
struct WrappedPhases : test::ImportedReleasePhases {
    std::function<PhaseOutcome(Console&, DeploymentPhases&)> databaseBackupWrap, closeProgramsWrap,
        replaceExesWrap;
    PhaseOutcome databaseBackup(Console& c) override {
        return databaseBackupWrap ? databaseBackupWrap(c, *this) : ImportedReleasePhases::databaseBackup(c);
    }
    PhaseOutcome closePrograms(Console& c) override {
        return closeProgramsWrap ? closeProgramsWrap(c, *this) : ImportedReleasePhases::closePrograms(c);
    }
    PhaseOutcome replaceExes(Console& c) override {
        return replaceExesWrap ? replaceExesWrap(c, *this) : ImportedReleasePhases::replaceExes(c);
    }
};

struct Release : test::OfficeRelease {
    using OfficeRelease::OfficeRelease;
    std::vector<std::string> fileExtensions() {
        return tableRows(*db, "FileExtension", "Extension, Type, Status");
    }
    // The run undid itself: the closing box and the run log say so, nothing is left changed.
    void expectUndone(const test::ConsoleRun& r, const std::vector<std::string>& extensionsBefore) {
        EXPECT_THAT(r.op.informed, Contains(kUndone)) << r.log;
        EXPECT_THAT(r.log, HasSubstr(">>-Roll Back for Error completed"));
        EXPECT_EQ(r.console->state.run.outcome, RunOutcome::CompletedWithErrors);
        EXPECT_EQ(installation(), installationBefore) << r.log;
        EXPECT_EQ(fileExtensions(), extensionsBefore);
        EXPECT_THAT(hotfixesRecorded(), IsEmpty());
    }
};

// A running program of the release that is not closed: the operator says No, the program ignores
// the end request, or (wait mode, nobody there) it is never closed within the bounded wait. The
// run stops before anything is replaced, the release stays pending, the next run completes it.
TEST(InstallationFault, AProgramOfTheReleaseWillNotClose) {
    struct Case {
        const char* what;
        int mode;    // PexaConfiguration AutoConfig2: 1 asks, 0 waits
        bool agrees; // the operator's answer to "Close the Tervik.exe ..."
        bool refusesToEnd;
        const char* logged;
    };
    const Case cases[] = {
        {"the operator says No", 1, false, false, ">>-The operator did not agree to close Tervik.exe"},
        {"the program ignores the end request", 1, true, true,
         ">>-Tervik.exe could not be ended: the run stops before its files are replaced"},
        {"nobody closes it in the bounded wait", 0, false, false,
         ">>-Tervik.exe is still running after 0 seconds"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Release f;
        f.publishZip("App.zip", 1, {{"Tervik.exe", test::patternBytes(20 * 1024, 3)}});
        f.db->execute("UPDATE [Tervik].dbo.PexaConfiguration SET Status = " + std::to_string(k.mode));
        f.startOffice();
        test::FakeMachine machine;
        machine.onOpenAdmin = [](const std::string& cs, const fs::path& dir) {
            return db::openAdmin(cs, dir);
        };
        machine.start("Tervik.exe", k.refusesToEnd);
        WrappedPhases phases;
        phases.closeProgramsWrap = [](Console& c, DeploymentPhases&) {
            ClosingLimits quick{std::chrono::milliseconds(20), std::chrono::milliseconds(300),
                                std::chrono::milliseconds(300), std::chrono::milliseconds(50)};
            return ClosingRunningPrograms(c, quick) ? PhaseOutcome::Continue : PhaseOutcome::RunEnded;
        };
        const auto& r = f.run(nullptr, &machine, &phases, [&](test::RecordingOperator& op) {
            op.answers = {k.agrees};
            op.someoneThere = k.mode == 1;
        });
        EXPECT_THAT(r.log, HasSubstr(k.logged));
        EXPECT_THAT(r.log, ::testing::Not(HasSubstr(">>-Replacing Exe Tervik.exe")));
        EXPECT_EQ(r.console->state.run.outcome, RunOutcome::Stopped);
        EXPECT_THAT(r.op.informed, Contains("Quillan Pending"));
        EXPECT_EQ(f.installation(), f.installationBefore);
        EXPECT_THAT(f.hotfixesRecorded(), IsEmpty());
        if (k.refusesToEnd) {
            EXPECT_THAT(machine.endRequests, Contains("Tervik.exe"));
        }
        f.expectReleaseCompleted(f.run()); // the program is gone: the real machine finds none
    }
}

// The second program's target is a folder: its safe replace fails, and the undo puts the first
// program, already replaced, back.
TEST(InstallationFault, ATargetThatCannotBeReplacedIsUndoneWithTheFilesBeforeIt) {
    Release f;
    f.publishZip("App.zip", 1,
                 {{"Tervik.exe", test::patternBytes(20 * 1024, 3)}, {"Helper.exe", "the new helper"}});
    f.addFile("Helper.exe", 2, 0, "exe");
    test::writeFile(f.c.programFolder() / "Helper.exe" / "inside", "a folder where the helper goes");
    f.installationBefore = f.installation();
    const auto extensions = f.fileExtensions();
    f.startOffice();
    const auto& r = f.run();
    EXPECT_THAT(r.log, HasSubstr(">>-Replacing Exe Tervik.exe"));
    EXPECT_THAT(r.log, HasSubstr(" in Replacing "));
    f.expectUndone(r, extensions);

    fs::remove_all(f.c.programFolder() / "Helper.exe");
    f.installationBefore = f.installation();
    f.installedByRelease.push_back("Helper.exe");
    f.expectReleaseCompleted(f.run());
}

// Hotfix batch 2 of 3 fails after batch 1 changed rows: the undo restores the database from the
// run's backup, so the rows are as before, and puts the replaced program back.
TEST(InstallationFault, HotfixBatchTwoOfThreeFailsAndTheDatabaseIsRestored) {
    Release f({"INSERT INTO [Tervik].dbo.FileExtension VALUES ('FIX', 1, 0)",
               "INSERT INTO [Tervik].dbo.NoSuchTable VALUES (1)"});
    f.publishZip("App.zip", 1, {{"Tervik.exe", test::patternBytes(20 * 1024, 3)}});
    const auto extensions = f.fileExtensions();
    f.startOffice();
    const auto& r = f.run();
    EXPECT_THAT(r.log, HasSubstr("batch 2 of 3 failed"));
    f.expectUndone(r, extensions);
}

// The disk fills while the database is backed up (the program ends before anything is changed)
// or while the new program is copied into place (the undo puts the old one back).
TEST(InstallationFault, TheDiskFillsDuringTheDatabaseBackupOrAProgramsCopy) {
    for (bool duringBackup : {true, false}) {
        SCOPED_TRACE(duringBackup ? "database backup" : "program copy");
        Release f;
        f.publishZip("App.zip", 1, {{"Tervik.exe", test::patternBytes(3 * kRoom, 3)}});
        const auto extensions = f.fileExtensions();
        if (duringBackup) { // a database larger than the room left
            f.db->execute("CREATE TABLE [Tervik].dbo.Ballast (Filler VARCHAR(1000))");
            for (int i = 0; i < 1200; ++i)
                f.db->execute("INSERT INTO [Tervik].dbo.Ballast VALUES (" +
                              db::sqlQuote(std::string(1000, 'a' + i % 26)) + ")");
        }
        f.startOffice();
        WrappedPhases phases;
        if (duringBackup)
            phases.databaseBackupWrap = [](Console& c, DeploymentPhases& p) {
                test::WriteLimit limit(kRoom);
                return p.DeploymentPhases::databaseBackup(c);
            };
        else
            phases.replaceExesWrap = [](Console& c, DeploymentPhases& p) {
                test::WriteLimit limit(kRoom);
                return p.DeploymentPhases::replaceExes(c);
            };
        const auto& r = f.run(nullptr, nullptr, &phases);
        EXPECT_TRUE(r.console->state.run.runFailed);
        if (duringBackup) {
            EXPECT_THAT(r.log, HasSubstr(" in Backup DB"));
            EXPECT_EQ(r.console->ending(), Ending::Failure);
            EXPECT_EQ(r.console->model.label(Label::LblStatus),
                      "Error while Taking backup check the log file");
            EXPECT_EQ(f.installation(), f.installationBefore);
            EXPECT_THAT(f.hotfixesRecorded(), IsEmpty());
        } else {
            EXPECT_THAT(r.log, HasSubstr(" in Replacing "));
            f.expectUndone(r, extensions);
        }
        f.expectReleaseCompleted(f.run());
    }
}

} // namespace
} // namespace quillan
