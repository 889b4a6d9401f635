// The undo of a run that failed in an installation phase, after each phase number, on the engine:
// the old files come back byte for byte from the backup folder, the database comes back from the
// run's own backup (unpacked from its archive), and an undo that cannot put something back says so.
#include "archive/Zip.h"
#include "install/Finishing.h"
#include "install/PutBackOldFiles.h"
#include "tests/install/FinishingFixture.h"

#include <cstdlib>

namespace quillan {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const char* const kOld = "old ";
const char* const kNew = "new ";

struct Undo : test::FinishingFixture {
    void SetUp() override {
        FinishingFixture::SetUp();
        for (const char* e : {"exe", "rpt", "txt", "dll", "tmp"})
            addExtension(e, 1);
        addFile("a.exe", 1);
        addFile("r.rpt", 1);
        addFile("o.txt", 1);
        addFile("c.dll", 1, 0, 1);
        addFile("added.txt", 1); // new in this release: no old copy anywhere
        for (const char* name : {"a.exe", "r.rpt", "o.txt", "c.dll"}) {
            writeFile(app / name, std::string(kOld) + name);
            writeFile(update / name, std::string(kNew) + name);
        }
        writeFile(update / "added.txt", "added");
        writeFile(update / "leftover.tmp", "x");
        writeFile(backup / "leftover.tmp", "x");
        setenv("QUILLAN_REGISTRATION_TOOL", "/opt/tools/regsvr32", 1);
    }
    void TearDown() override {
        unsetenv("QUILLAN_REGISTRATION_TOOL");
        FinishingFixture::TearDown();
    }

    // The database backup as the backup phase leaves it: only the archive of the .bak.
    void backUpDatabase() {
        c->state.backupFileName = "D01_01022024101500.bak";
        auto admin = db::openEmbeddedAdmin(dir / "Data");
        admin->connect("", "", "");
        admin->backup("Tervik", backup / c->state.backupFileName, {});
        cZip zip;
        zip.ZipFile(backup / "D01_01022024101500.zip");
        zip.AddFileSpec((backup / c->state.backupFileName).string());
        zip.Zip();
        fs::remove(backup / c->state.backupFileName);
        c->state.run.databaseBackedUp = true;
    }
    void backUpFiles() {
        for (const char* name : {"a.exe", "r.rpt", "o.txt", "c.dll"})
            fs::copy_file(app / name, backup / name);
        c->state.run.filesBackedUp = true;
    }
    void replace(bool RunState::*flag, std::initializer_list<const char*> names) {
        c->state.run.*flag = true;
        c->state.run.installedFileReplaced = true;
        for (const char* name : names)
            fs::copy_file(update / name, app / name, fs::copy_options::overwrite_existing);
    }
    void runHotfix() {
        c->state.run.hotfixRunStarted = true;
        conn->execute("INSERT INTO [Tervik].dbo.HotFixLog VALUES (31)");
        conn->execute("UPDATE [Tervik].dbo.SetupDetails SET VersionNo = 9 WHERE File_Names = 'a.exe'");
    }
    // What the phases would have done by the time `phase` is the completed phase.
    void runUpTo(int phase) {
        if (phase >= 6) {
            backUpDatabase();
            backUpFiles();
        }
        if (phase == 8 || phase == 7 || phase >= 9)
            replace(&RunState::exesReplaced, {"a.exe"});
        if (phase == 7 || phase >= 9)
            runHotfix();
        if (phase >= 9)
            replace(&RunState::reportsReplaced, {"r.rpt"});
        if (phase >= 10)
            replace(&RunState::otherFilesReplaced, {"o.txt", "added.txt"});
        if (phase >= 11)
            replace(&RunState::componentsRegistered, {"c.dll"});
        c->state.run.completedPhase = phase;
        c->state.run.runFailed = true;
    }
    std::string installed(const char* name) { return readFile(app / name); }
};

struct UndoAfterPhase : Undo, ::testing::WithParamInterface<int> {};

TEST_P(UndoAfterPhase, PutsBackExactlyWhatThePhasesChanged) {
    {
        const int phase = GetParam();
        runUpTo(phase);
        EXPECT_TRUE(RollBack(*c));

        for (const char* name : {"a.exe", "r.rpt", "o.txt", "c.dll"})
            EXPECT_EQ(installed(name), std::string(kOld) + name) << name;
        EXPECT_EQ(fs::exists(app / "added.txt"), phase >= 10) << "files the release adds are left";
        EXPECT_EQ(count("[Tervik].dbo.HotFixLog"), 0);
        EXPECT_EQ(
            column("SELECT VersionNo FROM [Tervik].dbo.SetupDetails WHERE File_Names = 'a.exe'", "VersionNo"),
            std::vector<std::string>{"1"});
        EXPECT_FALSE(fs::exists(update / "leftover.tmp"));
        EXPECT_EQ(fs::exists(backup / "leftover.tmp"), phase < 6);
        EXPECT_EQ(fs::exists(backup / "a.exe"), false);
        if (!c->state.backupFileName.empty()) {
            EXPECT_FALSE(fs::exists(backup / c->state.backupFileName))
                << "the unpacked backup is not left behind";
        }

        EXPECT_EQ(statuses(), std::vector<std::string>(5, phase >= 7 ? "2" : "1"));
        EXPECT_EQ(c->model.label(Label::LblStatus), "Download with Error, Check Error Log for Errors");
        EXPECT_EQ(op.informed, std::vector<std::string>{"Download with Error, Check Error Log for Errors"});
        EXPECT_EQ(c->model.checklist(static_cast<Row>(phase + 1)).status, RowStatus::Failed);
        EXPECT_EQ(c->model.checklist(Row::RollBackForError).status, RowStatus::Completed);
        EXPECT_EQ(c->state.run.outcome, RunOutcome::CompletedWithErrors);
        EXPECT_TRUE(c->model.buttonEnabled(Button::CmdExit));
        EXPECT_EQ(c->state.run.completedPhase, 12);

        const std::string l = log();
        EXPECT_EQ(has(l, ">>-Started Restoring Exe \r\n>>-Restoring Exe a.exe\r\n>>-Restore Exe completed"),
                  c->state.run.exesReplaced);
        EXPECT_EQ(has(l, ">>-Started Restoring RTM and RPT \r\n>>-Restoring r.rpt\r\n"), phase >= 9);
        EXPECT_EQ(has(l, ">>-Started Restoring Other Files \r\n"), phase >= 10);
        EXPECT_EQ(has(l, ">>-Restoring o.txt\r\n"), phase >= 10);
        EXPECT_EQ(has(l, ">>-No backup copy of added.txt"), phase >= 10);
        EXPECT_EQ(has(l, ">>-Started RollBack Registry files "), phase >= 11);
        if (phase >= 11) {
            ASSERT_EQ(machine.runs.size(), 2u);
            EXPECT_EQ(machine.runs[0].program, fs::path("/opt/tools/regsvr32"));
            EXPECT_EQ(machine.runs[0].arguments,
                      (std::vector<std::string>{"/u", "/s", (app / "c.dll").string()}));
            EXPECT_EQ(machine.runs[1].arguments, (std::vector<std::string>{"/s", (app / "c.dll").string()}));
        } else {
            EXPECT_TRUE(machine.runs.empty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Phases, UndoAfterPhase, ::testing::Values(4, 5, 6, 8, 7, 9, 10, 11));

// The run stopped between two other files: the one it never reached is not said to be left as
// the release installed it.
TEST_F(Undo, AFileTheRunNeverReachedIsNotSaidToBeInstalled) {
    runUpTo(9);
    replace(&RunState::otherFilesReplaced, {"o.txt"});
    c->state.run.completedPhase = 10;
    EXPECT_TRUE(RollBack(*c));
    EXPECT_EQ(installed("o.txt"), std::string(kOld) + "o.txt");
    EXPECT_TRUE(
        has(log(), ">>-No backup copy of added.txt: the run did not install it, nothing to put back\r\n"))
        << log();
    EXPECT_FALSE(has(log(), "added.txt: left as the release installed it"));
}

TEST_F(Undo, FailedCopyKeepsTheBackupAndSaysWhatIsNotPutBack) {
    runUpTo(10);
    machine.lockedCopies = {"r.rpt"};
    EXPECT_FALSE(RollBack(*c));
    EXPECT_EQ(installed("r.rpt"), "new r.rpt");
    EXPECT_EQ(installed("a.exe"), "old a.exe") << "the other files are still put back";
    EXPECT_EQ(installed("o.txt"), "old o.txt");
    EXPECT_EQ(readFile(backup / "r.rpt"), "old r.rpt") << "the only old copy is kept";
    EXPECT_TRUE(fs::exists(backup / "a.exe"));
    ASSERT_EQ(op.informed.size(), 1u);
    const std::string& message = op.informed[0];
    EXPECT_TRUE(has(message, "NOT as it was"));
    EXPECT_TRUE(has(message, (app / "r.rpt").string()));
    EXPECT_TRUE(has(message, "were not removed")) << "the backup folder's cleanup is named as not done";
    EXPECT_FALSE(has(message, "a.exe"));
    EXPECT_TRUE(has(log(), ">>-Roll Back for Error failed. Not put back:"));
    EXPECT_TRUE(has(log(), "file is locked"));
    EXPECT_EQ(c->model.checklist(Row::RollBackForError).status, RowStatus::Failed);
    EXPECT_EQ(c->state.run.outcome, RunOutcome::CompletedWithErrors);
}

TEST_F(Undo, MissingDatabaseBackupStopsTheUndoAndSaysSo) {
    runUpTo(7);
    fs::remove(backup / "D01_01022024101500.zip");
    EXPECT_FALSE(RollBack(*c));
    EXPECT_TRUE(has(log(), " in Restore DB\r\n"));
    EXPECT_EQ(installed("a.exe"), "new a.exe") << "each action runs only after the one before succeeded";
    const std::string& message = op.informed.at(0);
    EXPECT_TRUE(has(message, "the database [Tervik] was not restored"));
    EXPECT_TRUE(has(message, "were not put back"));
    EXPECT_TRUE(fs::exists(backup / "a.exe"));
}

TEST_F(Undo, FailedRunAfterReplacementKeepsTheBackupCopiesWithoutUndo) {
    runUpTo(11);
    c->state.run.completedPhase = 12; // an earlier failure let the run go on to its end
    EXPECT_TRUE(RollBack(*c));
    EXPECT_TRUE(fs::exists(backup / "a.exe"));
    EXPECT_TRUE(has(log(), ">>-Backup copies kept in "));
    EXPECT_FALSE(fs::exists(update / "leftover.tmp"));
}

// A release row whose name climbs out of its folder: its "backup copy" (a file of that literal
// name, which POSIX allows) is never written outside the application folder.
TEST_F(Undo, AHostileNameIsNotPutBackOutsideItsFolder) {
    addFile("..\\evil.txt", 1);
    writeFile(backup / "..\\evil.txt", "evil");
    c->state.run.filesBackedUp = true;
    c->state.run.otherFilesReplaced = true;
    putBackOldFiles(*c);
    EXPECT_FALSE(fs::exists(dir / "evil.txt"));
    EXPECT_TRUE(has(log(), ">>-'..\\evil.txt' is not a plain file name: refused"));
}

} // namespace
} // namespace quillan
