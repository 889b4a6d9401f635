// The run driver: phase order, overall-bar steps, the pending-check branches, phase outcomes and
// the unexpected-error path, driven through a recording RunPhases double (the phases as wired run
// on the engine in RunOnEngineTest).
#include "console/RunDriver.h"
#include "console/RunPhases.h"
#include "tests/console/RecordingPhases.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TestConsole.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace quillan {
namespace {

using test::RecordingPhases;
using test::TestConsole;

bool contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

// A console armed for a local FTP run whose connection is already known, with recording phases.
struct Driven {
    TestConsole t;
    RecordingPhases p;
    test::RecordingView history{t.c.model};
    Driven() {
        t.c.state.isLocalServer = true;
        t.c.state.transferMode = 1;
        t.c.state.ftpConnected = true;
        t.c.model.setButton(Button::CmdExit, false);
        t.c.model.setButton(Button::CmdViewLog, false);
    }
};
struct RunDriverTest : ::testing::Test, Driven {};

const std::vector<std::string> kAllPhases = {
    "scriptDownload",  "scriptImport",         "pendingCheck", "pathCorrections",
    "programDownload", "downloadVerification", "unpacking",    "databaseBackup",
    "fileBackup",      "closePrograms",        "replaceExes",  "hotfixes",
    "replaceReports",  "replaceOtherFiles",    "registration", "completion"};

TEST_F(RunDriverTest, FullRunCallsEveryPhaseInOrderAndStepsTheOverallBar) {
    ChecklistRow shown = t.c.model.checklist(Row::Unpacking);
    shown.status = RowStatus::Completed;
    shown.barVisible = shown.percentVisible = true;
    shown.barValue = 3;
    shown.percentText = "75 %";
    t.c.model.setChecklist(Row::Unpacking, shown);
    t.c.state.run.operatorStopped = true;
    bool visibleAtFirstPhase = false;
    p.effects["scriptDownload"] = [&](Console& c) { visibleAtFirstPhase = c.model.overallVisible(); };

    RunDeployment(t.c, p);

    EXPECT_FALSE(t.c.state.run.operatorStopped) << "set-up clears it";
    EXPECT_TRUE(visibleAtFirstPhase);
    EXPECT_EQ(p.names(), kAllPhases);
    int step = 0;
    for (const char* phase :
         {"scriptDownload", "scriptImport", "programDownload", "unpacking", "databaseBackup", "fileBackup",
          "replaceExes", "hotfixes", "replaceReports", "registration"})
        EXPECT_EQ(p.overallAt(phase), step += 10) << phase;
    EXPECT_EQ(t.c.model.overallPercent(), "100 %");

    // The display is reset at the end; pictures keep telling how each step ended.
    EXPECT_FALSE(t.c.model.overallVisible());
    const ChecklistRow& r = t.c.model.checklist(Row::Unpacking);
    EXPECT_EQ(r.status, RowStatus::Completed);
    EXPECT_FALSE(r.barVisible);
    EXPECT_EQ(r.barValue, 0);
    EXPECT_FALSE(r.percentVisible);
    EXPECT_EQ(r.percentText, "");
    EXPECT_FALSE(t.c.programEnded());
}

TEST_F(RunDriverTest, VerificationSetsFortyAndTheBarNeverPassesOneHundred) {
    p.effects["downloadVerification"] = [](Console& c) { setOverall(c, 35); };
    p.effects["unpacking"] = [](Console& c) { advanceOverall(c); }; // the unpacking phase adds its own 10
    RunDeployment(t.c, p);
    EXPECT_EQ(p.overallAt("unpacking"), 40);
    EXPECT_EQ(p.overallAt("databaseBackup"), 60);
    EXPECT_EQ(p.overallAt("replaceReports"), 100);
    EXPECT_EQ(p.overallAt("registration"), 100);
}

TEST_F(RunDriverTest, NothingRecordedIsLoggedAndTheRunGoesOn) {
    p.pending = PendingCheck::NothingRecorded;
    RunDeployment(t.c, p);
    EXPECT_TRUE(history.sawStatus(">>-No Record found to continue the Deploy Process"));
    EXPECT_TRUE(contains(t.log(), ">>-No Record found to continue the Deploy Process\r\n"));
    EXPECT_EQ(p.names(), kAllPhases);
    EXPECT_FALSE(t.c.programEnded());
}

TEST_F(RunDriverTest, FailedScriptDownloadAndImportStillReachThePendingCheck) {
    auto fail = [](Row row) { return [row](Console& c) { failRow(c, row); }; };
    p.effects["scriptDownload"] = fail(Row::ScriptDownload);
    p.effects["scriptImport"] = fail(Row::ScriptImport);
    p.pending = PendingCheck::Applied;
    RunDeployment(t.c, p);
    EXPECT_EQ(p.names(), (std::vector<std::string>{"scriptDownload", "scriptImport", "pendingCheck"}));
    EXPECT_TRUE(t.c.state.run.runFailed);
    EXPECT_EQ(t.c.model.statusBox(), ">>-Deployment Process Completed") << "an applied release ends there";
    EXPECT_EQ(t.c.ending(), Ending::AlreadyUpToDate);
}

TEST_F(RunDriverTest, FailedPendingCheckIsNotTakenForAnAppliedRelease) {
    p.pending = PendingCheck::Failed;
    RunDeployment(t.c, p);
    EXPECT_EQ(p.names().back(), "pendingCheck");
    EXPECT_TRUE(t.op.informed.empty()) << "no success box";
    EXPECT_EQ(t.c.ending(), Ending::Failure);
    EXPECT_TRUE(t.c.state.run.runFailed);
    EXPECT_FALSE(contains(t.log(), "Deployment Process Completed"));
}

TEST(RunDriverPhases, APhaseThatClosesTheRunOrEndsTheProgramStopsTheRunThere) {
    struct Case {
        const char* phase;
        std::function<void(RecordingPhases&)> script;
        bool ended;
    };
    const Case cases[] = {
        {"hotfixes", [](RecordingPhases& p) { p.outcomes["hotfixes"] = PhaseOutcome::RunEnded; }, false},
        {"unpacking", [](RecordingPhases& p) { p.outcomes["unpacking"] = PhaseOutcome::ProgramEnded; }, true},
        // Ended inside the phase, whatever the phase then answers.
        {"programDownload",
         [](RecordingPhases& p) {
             p.effects["programDownload"] = [](Console& c) { c.endProgram(Ending::Failure); };
         },
         true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.phase);
        Driven d;
        k.script(d.p);
        RunDeployment(d.t.c, d.p);
        EXPECT_EQ(d.p.names().back(), k.phase);
        EXPECT_EQ(d.t.c.programEnded(), k.ended);
        if (k.ended) {
            EXPECT_EQ(d.t.c.ending(), Ending::Failure) << "an ending the phase did not record is a failure";
        } else {
            EXPECT_TRUE(d.t.c.model.overallVisible()) << "the display is reset only after completion";
        }
    }
}

TEST_F(RunDriverTest, UnexpectedErrorShowsTheDescriptionAloneAndEndsTheRun) {
    p.effects["replaceExes"] = [](Console&) { throw std::runtime_error("Permission denied"); };
    RunDeployment(t.c, p);
    EXPECT_EQ(p.names().back(), "replaceExes");
    EXPECT_EQ(t.op.informed, std::vector<std::string>{"Permission denied"});
    EXPECT_FALSE(t.c.programEnded());
    EXPECT_FALSE(t.c.state.run.closed());
    EXPECT_FALSE(t.c.model.buttonEnabled(Button::CmdExit)) << "only the finishing operations enable it";
    EXPECT_TRUE(t.c.state.run.runFailed) << "the run must not count as a success";
}

// Without the finishing operation nothing is put back: once the run had changed the installation
// or the database, the box and the log say what stays changed.
TEST_F(RunDriverTest, UnexpectedErrorAfterChangesSaysWhatStaysChanged) {
    t.c.state.appPath = "C:\\Tervik";
    t.c.state.dbPrefix = "[Tervik]";
    t.c.state.backupFolder = "C:\\UploadBackup";
    p.effects["replaceReports"] = [](Console& c) {
        c.state.run.filesBackedUp = c.state.run.exesReplaced = c.state.run.hotfixRunStarted = true;
        throw std::runtime_error("Communication link failure");
    };
    RunDeployment(t.c, p);
    const std::string changed = "Communication link failure\r\nThe installation is NOT as it was before the "
                                "run. Changed and not put back:\r\n- programs replaced in C:\\Tervik (the "
                                "run log's \"Replacing Exe\" lines name them)\r\n- hotfix scripts run on the "
                                "database [Tervik]\r\nThe old files are kept in C:\\UploadBackup";
    EXPECT_EQ(t.op.informed, std::vector<std::string>{changed});
    EXPECT_TRUE(contains(t.c.log.readAll(), ">>-Not put back: programs replaced in C:\\Tervik"));
    EXPECT_TRUE(contains(t.c.log.readAll(), ">>-Not put back: hotfix scripts run on the database [Tervik]"));
}

// ---- Timer1_Timer ---------------------------------------------------------------------------

TEST_F(RunDriverTest, TimerDoesNothingUnlessArmedAndAProcessPerformsAtMostOneRun) {
    Timer1_Timer(t.c, p);
    EXPECT_TRUE(p.calls.empty());
    t.c.state.timerEnabled = true;
    Timer1_Timer(t.c, p);
    Timer1_Timer(t.c, p);
    const auto names = p.names();
    EXPECT_EQ(std::count(names.begin(), names.end(), "scriptDownload"), 1);
    EXPECT_FALSE(t.c.state.timerEnabled);
}

TEST(RunDriverChecks, ConnectionCheckRunsOnlyWhenNeededAndTheRunFollows) {
    struct Case {
        const char* what;
        int mode;
        bool local, known;        // known: the FTP server connected / the HTTP server known available
        const char* first;        // the first phase called
        const char* connecting;   // status text of the check, shown only when the check runs
        const char* connected;    // the run log line
        const char* notConnected; // a run log line that must not appear
    };
    const Case cases[] = {
        {"FTP not connected, the check answers False", 1, true, false, "ftpLogin",
         ">>-Connecting to FTP Server", ">>-Connected to FTP Server\r\n", ">>-Connected to LAN"},
        {"HTTP known available", 2, true, true, "scriptDownload", ">>-Connecting to HTTP Server",
         ">>-Connected to HTTP Server\r\n", ">>-Connected to FTP Server"},
        {"HTTP not known", 2, true, false, "httpLogin", ">>-Connecting to HTTP Server",
         ">>-Connected to HTTP Server\r\n", ">>-Connected to LAN"},
        {"LAN client", 1, false, true, "scriptDownload", ">>-Connecting to FTP Server",
         ">>-Connected to LAN\r\n", ">>-Connected to FTP Server"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Driven d;
        d.t.c.state.timerEnabled = true;
        d.t.c.state.transferMode = k.mode;
        d.t.c.state.isLocalServer = k.local;
        d.t.c.state.ftpConnected = k.known;
        d.t.c.state.httpAvailable = k.known;
        d.p.outcomes["ftpLogin"] = PhaseOutcome::RunEnded;
        Timer1_Timer(d.t.c, d.p);
        ASSERT_GE(d.p.calls.size(), 2u);
        EXPECT_EQ(d.p.calls[0].name, k.first);
        const bool checked = std::string(k.first) != "scriptDownload";
        EXPECT_EQ(d.p.calls[checked ? 1 : 0].name, "scriptDownload");
        EXPECT_EQ(d.history.sawStatus(k.connecting), checked);
        EXPECT_TRUE(contains(d.t.log(), k.connected));
        EXPECT_FALSE(contains(d.t.log(), k.notConnected));
    }
}

TEST_F(RunDriverTest, CheckThatEndsTheProgramPreventsTheRun) {
    t.c.state.timerEnabled = true;
    t.c.state.transferMode = 2;
    p.effects["httpLogin"] = [](Console& c) { c.endProgram(Ending::Failure); };
    Timer1_Timer(t.c, p);
    EXPECT_EQ(p.names(), std::vector<std::string>{"httpLogin"});
}

TEST_F(RunDriverTest, ErrorInTheTimerEventIsReportedWithItsSuffixAndStartsNoRun) {
    t.c.state.timerEnabled = true;
    t.c.state.ftpConnected = false;
    p.effects["ftpLogin"] = [](Console&) { throw std::runtime_error("Out of memory"); };
    Timer1_Timer(t.c, p);
    EXPECT_EQ(t.op.informed, std::vector<std::string>{"Out of memory In Timer1_Timer "});
    EXPECT_EQ(p.names(), std::vector<std::string>{"ftpLogin"});
    Timer1_Timer(t.c, p);
    EXPECT_EQ(p.calls.size(), 1u) << "the event does not come round again";
}

} // namespace
} // namespace quillan
