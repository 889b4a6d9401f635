// A headless run through the installation's file phases on this machine: the release already
// unpacked in the update folder (the phases before are tested on their own), a program of the
// release running, the operator's answer given on the command line. The run backs up and replaces
// the programs, reports and other files, closes the program after the answer, registers a
// component and closes as completed.
#include "base/Machine.h"
#include "console/DeploymentPhases.h"
#include "console/RunDriver.h"
#include "console/ScriptedOperator.h"
#include "tests/platform/ChildPrograms.h"
#include "tests/support/EngineCatalog.h"
#include "tests/support/Files.h"

#include <sstream>

namespace quillan {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// The phases up to the database backup and the hotfixes stand for what they leave behind: the
// release imported, downloaded and unpacked, no database change.
class FilePhasesOnly : public DeploymentPhases {
public:
    PhaseOutcome scriptDownload(Console&) override { return PhaseOutcome::Continue; }
    PhaseOutcome scriptImport(Console&) override { return PhaseOutcome::Continue; }
    PendingCheck pendingCheck(Console&) override { return PendingCheck::Pending; }
    PhaseOutcome pathCorrections(Console&) override { return PhaseOutcome::Continue; }
    PhaseOutcome programDownload(Console& c) override { return at(c, 4); }
    PhaseOutcome downloadVerification(Console&) override { return PhaseOutcome::Continue; }
    PhaseOutcome unpacking(Console& c) override { return at(c, 5); }
    PhaseOutcome databaseBackup(Console& c) override { return at(c, 6); }
    PhaseOutcome hotfixes(Console& c) override { return at(c, 9); }

private:
    static PhaseOutcome at(Console& c, int phase) {
        c.state.run.completedPhase = phase;
        return PhaseOutcome::Continue;
    }
};

class InstallRun : public test::EngineCatalog {
protected:
    test::ChildPrograms children;
    std::string program = children.name("", "Tervik.exe");
    std::ostringstream out;
    ScriptedOperator op{{{Question::Close, true}}, out};
    std::unique_ptr<Console> c;
    fs::path app, update, backup;

    void SetUp() override {
        EngineCatalog::SetUp();
        app = children.dir(); // the program runs from the application folder
        update = dir / "Update";
        backup = dir / "UploadBackup";
        fs::create_directories(update);
        fs::create_directories(backup);
        c = std::make_unique<Console>(app, op, realMachine());
        db::EmbeddedOptions o;
        o.dataFolder = dir / "Data";
        c->conn = db::openEmbeddedConnection(o);
        c->state.dbPrefix = P;
        c->state.isLocalServer = true;
        c->state.updateFolder = c->paths.toWindows(update);
        c->state.backupFolder = c->paths.toWindows(backup);
        c->log.open(dir / "DeployErrlog.log");
        op.setLog(&c->log);
    }
    void TearDown() override { c.reset(); }

    FilePhasesOnly phases;
};

TEST_F(InstallRun, BacksUpReplacesClosesAndRegisters) {
    conn->execute("INSERT INTO [Tervik].dbo.PexaConfiguration VALUES ('AutoConfig2', 2, 1)");
    conn->execute("INSERT INTO [Tervik].dbo.PexaConfiguration VALUES ('AutoConfig1', 1, 0)");
    addFile(program, 1);
    addFile("Sales.rpt", 1, 0, 0, 100, 100, "", 1, 0, "App.Path\\Reports");
    addFile("readme.txt", 1);
    addFile("Comp.dll", 1, 0, /*reg=*/1);
    const auto pid = children.start(program);
    writeFile(app / "readme.txt", "old readme");
    writeFile(update / program, "new program");
    writeFile(update / "Sales.rpt", "new report");
    writeFile(update / "readme.txt", "new readme");
    fs::copy_file(QUILLAN_TEST_COMPONENT, update / "Comp.dll");

    RunDeployment(*c, phases);

    const std::string log = c->log.readAll();
    EXPECT_EQ(c->state.run.outcome, RunOutcome::Completed) << log;
    EXPECT_TRUE(children.ended(pid));
    EXPECT_EQ(readFile(app / program), "new program");
    EXPECT_EQ(readFile(app / "Reports" / "Sales.rpt"), "new report");
    EXPECT_EQ(readFile(app / "readme.txt"), "new readme");
    EXPECT_EQ(readFile(backup / "readme.txt"), "old readme");
    EXPECT_TRUE(fs::exists(app / "Comp.dll"));
    for (const std::string& line : std::vector<std::string>{
             ">>-Closed " + program, ">>-Replacing Exe completed", ">>-Replacing RTM and RPT completed",
             ">>-Replacing Other Files completed", ">>-Registered Comp.dll"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_NE(out.str().find("Close the " + program + " to continue Quillan -> Yes"), std::string::npos);
    for (Row row :
         {Row::FileBackup, Row::ReplaceExes, Row::ReplaceReports, Row::ReplaceOtherFiles, Row::Registration})
        EXPECT_EQ(c->model.checklist(row).status, RowStatus::Completed) << rowIndex(row);
}

} // namespace
} // namespace quillan
