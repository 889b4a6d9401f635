// The file backup and the three replacement sub-phases on real files: flat backup copies, the safe
// replace over read-only and running targets, modification times kept, hostile names refused, and
// a file that cannot be replaced failing the phase so that the undo puts back what was replaced.
#include "install/FileReplacement.h"
#include "install/DatabaseBackup.h"
#include "install/FileBackup.h"
#include "tests/install/InstallPhasesFixture.h"
#include "tests/platform/ChildPrograms.h"

namespace quillan {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class FilePhases : public test::InstallPhasesFixture {
protected:
    // A time no copy made "now" can have.
    const fs::file_time_type stamp = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);

    void write(const fs::path& p, const std::string& bytes, bool readOnly = false) {
        writeFile(p, bytes);
        fs::last_write_time(p, stamp);
        if (readOnly)
            fs::permissions(p, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    bool writable(const fs::path& p) const {
        return (fs::status(p).permissions() & fs::perms::owner_write) != fs::perms::none;
    }
};

TEST_F(FilePhases, BackupCopiesEveryInstalledFileFlatKeepingItsTime) {
    addReleaseFile("Tervik.exe");
    addReleaseFile("Sales.rpt", "App.Path\\Reports");
    addReleaseFile("readme.txt"); // not installed yet
    addFile("Pack.zip", 1);       // a package is never backed up
    write(app / "Tervik.exe", "old exe", /*readOnly=*/true);
    write(app / "Reports" / "Sales.rpt", "old rpt");
    write(app / "Pack.zip", "package");
    write(backup / "Tervik.exe", "a copy of an earlier run", /*readOnly=*/true);

    ASSERT_TRUE(BackupSupportingFiles(*c)) << log();
    EXPECT_EQ(test::fileNamesIn(backup), (std::vector<std::string>{"Sales.rpt", "Tervik.exe"}));
    EXPECT_EQ(readFile(backup / "Tervik.exe"), "old exe");
    EXPECT_EQ(readFile(backup / "Sales.rpt"), "old rpt");
    EXPECT_EQ(fs::last_write_time(backup / "Tervik.exe"), stamp);
    EXPECT_TRUE(writable(backup / "Tervik.exe")); // attributes reset
    EXPECT_TRUE(logHas(">>-Backing Up Tervik.exe"));
    EXPECT_TRUE(logHas(">>-File Not Found readme.txt"));
    EXPECT_TRUE(logHas(">>-Backing Other Files completed"));
    EXPECT_TRUE(c->state.run.filesBackedUp);
    EXPECT_EQ(c->model.checklist(Row::FileBackup).status, RowStatus::Completed);
    EXPECT_EQ(c->model.grid().at(4).event, "Backup Supporting files ");
}

// A run killed after it replaced Tervik.exe left the old copies of Tervik.exe and Sales.rpt in
// the backup folder. The next run's database backup keeps the copy whose installed file already
// holds the release's bytes, and its file backup does not save the new program over it; a stale
// copy of a file that is not installed anew still goes. A copy of an extension the finishing
// operation never removes (Help.chm) may be of any earlier run: it is not kept.
TEST_F(FilePhases, TheOldCopiesOfARunCutAfterItReplacedFilesSurviveTheNextRunsBackups) {
    addExtension("EXE", 1);
    addExtension("rpt", 1);
    addReleaseFile("Tervik.exe");
    addReleaseFile("Sales.rpt", "App.Path\\Reports");
    write(app / "Tervik.exe", "new exe");
    write(update / "Tervik.exe", "new exe");
    write(backup / "Tervik.exe", "old exe");
    write(app / "Reports" / "Sales.rpt", "old rpt");
    write(update / "Sales.rpt", "new rpt");
    write(backup / "Sales.rpt", "an earlier copy");
    write(backup / "Stale.exe", "of no file of the release");
    addReleaseFile("Help.chm");
    write(app / "Help.chm", "new chm");
    write(update / "Help.chm", "new chm");
    write(backup / "Help.chm", "a release ago");
    c->state.isLocalServer = true;
    c->state.distributorCode = "D01";
    c->state.backupDrive = "C";

    ASSERT_TRUE(DatabaseBackupPhase(*c)) << log();
    EXPECT_EQ(readFile(backup / "Tervik.exe"), "old exe");
    EXPECT_FALSE(fs::exists(backup / "Sales.rpt")); // not replaced yet: the installed one is old
    EXPECT_FALSE(fs::exists(backup / "Stale.exe"));

    ASSERT_TRUE(BackupSupportingFiles(*c)) << log();
    EXPECT_EQ(readFile(backup / "Tervik.exe"), "old exe");
    EXPECT_EQ(readFile(backup / "Sales.rpt"), "old rpt");
    EXPECT_TRUE(logHas(">>-Keeping the copy a cut run saved of Tervik.exe"));
    EXPECT_TRUE(logHas(">>-Backing Up Sales.rpt"));
    EXPECT_EQ(readFile(backup / "Help.chm"), "new chm");

    // Without a copy to keep, an installed file that equals the new one is copied as usual.
    fs::remove(backup / "Tervik.exe");
    ASSERT_TRUE(BackupSupportingFiles(*c)) << log();
    EXPECT_EQ(readFile(backup / "Tervik.exe"), "new exe");
}

struct Kind {
    ReplacedFiles which;
    const char* name;
    const char* filePath;
    const char* folder; // below the application folder
    Row row;
    const char* link;
    const char* fileLine;
    int completedPhase;
    bool RunState::*flag;
};

TEST_F(FilePhases, EachSubPhaseReplacesItsFilesWholeWithTheNewTime) {
    const Kind kinds[] = {
        {ReplacedFiles::Exes, "Tervik.exe", "App.Path", "", Row::ReplaceExes, "Show Exes",
         ">>-Replacing Exe Tervik.exe", 7, &RunState::exesReplaced},
        {ReplacedFiles::Reports, "Sales.rpt", "App.Path\\Reports", "Reports", Row::ReplaceReports,
         "Show RPTs&RTMs", ">>-Replacing Sales.rpt", 10, &RunState::reportsReplaced},
        {ReplacedFiles::OtherFiles, "readme.txt", "App.Path\\Docs", "Docs", Row::ReplaceOtherFiles,
         "Show Other File", ">>-Replacing readme.txt", 11, &RunState::otherFilesReplaced},
    };
    for (const auto& k : kinds) {
        addReleaseFile(k.name, k.filePath);
        write(update / k.name, std::string("new ") + k.name);
    }
    write(app / "Tervik.exe", "old exe", /*readOnly=*/true); // a read-only target
    // Reports has no folder yet: it is created. Docs holds a read-only old copy.
    write(app / "Docs" / "readme.txt", "old", /*readOnly=*/true);
    fs::last_write_time(update / "Tervik.exe", stamp - std::chrono::hours(1));

    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        const auto row = c->state.run.gridRowCounter;
        ASSERT_TRUE(ReplaceFiles(*c, k.which));
        const fs::path target = app / k.folder / k.name;
        EXPECT_EQ(readFile(target), std::string("new ") + k.name);
        EXPECT_EQ(fs::last_write_time(target), fs::last_write_time(update / k.name));
        EXPECT_TRUE(logHas(k.fileLine));
        EXPECT_EQ(c->state.run.completedPhase, k.completedPhase);
        EXPECT_TRUE(c->state.run.*k.flag);
        EXPECT_EQ(c->model.grid().at(row).link, k.link);
        EXPECT_EQ(c->model.checklist(k.row).status, RowStatus::Completed);
    }
    EXPECT_TRUE(machine.endRequests.empty()); // no program was running
    EXPECT_FALSE(c->state.run.runFailed);
}

TEST_F(FilePhases, NamesAndFoldersThatLeaveTheirFolderAreRefused) {
    const std::pair<std::string, std::string> rows[] = {
        {"..\\evil.txt", "App.Path"}, {"C:evil.txt", "App.Path"},
        {"sub/evil.txt", "App.Path"}, {"evil.txt", "App.Path\\..\\..\\outside"},
        {"fine.txt", "App.Path"},
    };
    for (const auto& [name, path] : rows) {
        addReleaseFile(name, path);
        write(update / name, "bytes");
    }
    write(update / "evil.txt", "bytes");
    ASSERT_TRUE(ReplaceFiles(*c, ReplacedFiles::OtherFiles));
    EXPECT_EQ(test::fileNamesIn(app), std::vector<std::string>{"fine.txt"});
    EXPECT_FALSE(fs::exists(dir / "evil.txt"));
    EXPECT_FALSE(fs::exists(dir / "outside"));
    EXPECT_FALSE(fs::exists(dir.parent_path() / "outside"));
    EXPECT_TRUE(logHas(">>-'..\\evil.txt' is not a plain file name: refused"));
    EXPECT_TRUE(logHas(">>-'C:evil.txt' is not a plain file name: refused"));
    EXPECT_TRUE(logHas(">>-The folder 'App.Path\\..\\..\\outside' of evil.txt is refused"));
    EXPECT_TRUE(c->state.run.runFailed); // the run does not report a success
}

TEST_F(FilePhases, AFileThatCannotBeReplacedFailsThePhaseAndTheUndoPutsBackTheOthers) {
    for (const char* name : {"a.txt", "b.txt"}) {
        addReleaseFile(name);
        write(app / name, std::string("old ") + name);
        write(update / name, std::string("new ") + name);
    }
    ASSERT_TRUE(BackupSupportingFiles(*c)) << log();
    machine.lockedCopies = {"b.txt"}; // the installed one, and so its put-back too
    c->state.run.completedPhase = 10;
    EXPECT_FALSE(ReplaceFiles(*c, ReplacedFiles::OtherFiles));
    EXPECT_EQ(readFile(app / "a.txt"), "old a.txt"); // replaced, then put back
    EXPECT_EQ(readFile(app / "b.txt"), "old b.txt");
    EXPECT_TRUE(logHas("file is locked"));
    EXPECT_TRUE(logHas(">>-Started Restoring Other Files "));
    EXPECT_EQ(c->model.checklist(Row::ReplaceOtherFiles).status, RowStatus::Failed);
    EXPECT_EQ(c->state.run.outcome, RunOutcome::CompletedWithErrors);
}

// A program of the release that runs while its EXE is replaced.
class RunningProgram : public FilePhases {
protected:
    test::ChildPrograms children;
    std::string program = children.name("", "Tervik.exe");

    void SetUp() override {
        FilePhases::SetUp();
        useRealMachine();
        addReleaseFile(program, c->paths.toWindows(children.dir()));
        write(update / program, "new program");
    }
};

// POSIX renames the new copy over the running program, which keeps its old one until it ends;
// Windows refuses, and the phase fails cleanly with the program's file as it was.
TEST_F(RunningProgram, IsNotEndedWhenNobodyAgreed) {
    const auto pid = children.start(program);
    const std::string before = readFile(children.dir() / program);
#ifdef _WIN32
    EXPECT_FALSE(ReplaceFiles(*c, ReplacedFiles::Exes));
    EXPECT_EQ(readFile(children.dir() / program), before);
#else
    ASSERT_TRUE(ReplaceFiles(*c, ReplacedFiles::Exes));
    EXPECT_EQ(readFile(children.dir() / program), "new program");
#endif
    EXPECT_TRUE(children.stillRunning(pid));
    EXPECT_TRUE(logHas(program + " is running and the operator was not asked to close it: not ended"));
}

TEST_F(RunningProgram, IsEndedFirstWhenTheOperatorAgreed) {
    const auto pid = children.start(program);
    c->state.run.programsToEnd = {program};
    ASSERT_TRUE(ReplaceFiles(*c, ReplacedFiles::Exes));
    EXPECT_TRUE(children.ended(pid));
    EXPECT_EQ(readFile(children.dir() / program), "new program");
    EXPECT_EQ(c->state.run.completedPhase, 7);
}

} // namespace
} // namespace quillan
