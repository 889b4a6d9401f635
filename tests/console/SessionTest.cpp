#include "console/Session.h"
#include "TestInstall.h"
#include "console/ExitCode.h"

using namespace quillan;
using namespace quillan::test;

TEST(ExitCode, StartupOutcomesAndRunEndings) {
    using O = StartupOutcome;
    using E = ExitCode;
    struct Case {
        const char* what;
        O outcome;
        std::function<void(Console&)> leave; // how start-up and the run left the console
        E expected;
    };
    const Case cases[] = {
        {"stopped at start-up", O::StoppedWithoutRun, [](Console&) {}, E::Refused},
        {"ended at start-up", O::ProgramEnded, [](Console& c) { c.endProgram(Ending::Failure); }, E::Refused},
        {"notice cancelled", O::ProgramEnded, [](Console& c) { c.endProgram(Ending::OperatorCancelled); },
         E::Stopped},
        {"armed, run not started", O::Armed, [](Console& c) { c.state.timerEnabled = true; }, E::Stopped},
        {"already applied", O::Armed, [](Console& c) { c.endProgram(Ending::AlreadyUpToDate); },
         E::AlreadyApplied},
        {"run finished", O::Armed, [](Console& c) { c.state.run.outcome = RunOutcome::Completed; },
         E::Completed},
        {"finished with errors, nothing undone", O::Armed,
         [](Console& c) {
             c.state.run.outcome = RunOutcome::CompletedWithErrors;
             c.state.run.runFailed = true;
             c.state.run.componentsRegistered = true;
         },
         E::CompletedWithErrors},
        {"closed with errors before any change", O::Armed,
         [](Console& c) {
             c.state.run.outcome = RunOutcome::CompletedWithErrors;
             c.state.run.runFailed = true;
         },
         E::FailedPutBack},
        {"failed and put back", O::Armed,
         [](Console& c) {
             c.state.run.outcome = RunOutcome::CompletedWithErrors;
             c.state.run.exesReplaced = c.state.run.undoTaken = c.state.run.undoFinished = true;
         },
         E::FailedPutBack},
        {"failed, the undo left a file", O::Armed,
         [](Console& c) {
             c.state.run.outcome = RunOutcome::CompletedWithErrors;
             c.state.run.undoTaken = c.state.run.undoFinished = true;
             c.state.run.notPutBack = {"Tervik.exe"};
         },
         E::FailedNotPutBack},
        {"the undo itself broke off", O::Armed,
         [](Console& c) {
             c.state.run.outcome = RunOutcome::CompletedWithErrors;
             c.state.run.undoTaken = true;
         },
         E::FailedNotPutBack},
        {"operator stopped", O::Armed,
         [](Console& c) {
             c.state.run.outcome = RunOutcome::Stopped;
             c.state.run.operatorStopped = true;
         },
         E::Stopped},
        // Never reached the finishing operation: judged by what it had started to change.
        {"broke off before any change", O::Armed, [](Console&) {}, E::FailedPutBack},
        {"broke off after a hotfix ran", O::Armed, [](Console& c) { c.state.run.hotfixRunStarted = true; },
         E::FailedNotPutBack},
        {"a phase ended the program", O::Armed, [](Console& c) { c.endProgram(Ending::Failure); },
         E::FailedPutBack},
    };
    FakeInstall inst;
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        auto c = inst.console();
        k.leave(*c);
        EXPECT_EQ(exitCodeFor(*c, k.outcome), k.expected);
    }
}

TEST(Session, StartReportsTheOutcomeAndItsExitCode) {
    FakeInstall inst;
    inst.db.answer("seqno=31 and", {"Condition"});
    Session s(inst.program, inst.op, inst.machine());
    EXPECT_EQ(s.start(), StartupOutcome::StoppedWithoutRun);
    EXPECT_EQ(s.exitCode(), ExitCode::Refused);
    const auto before = inst.db.transcript.size();
    s.runOnce(); // not armed: no run
    EXPECT_EQ(inst.db.transcript.size(), before);
    EXPECT_EQ(s.exitCode(), ExitCode::Refused);

    FakeInstall ok; // an armed start is pending until the run
    Session armed(ok.program, ok.op, ok.machine());
    ASSERT_EQ(armed.start(), StartupOutcome::Armed);
    EXPECT_EQ(armed.exitCode(), ExitCode::Stopped);
}

TEST(ConsoleMachine, AConsoleUsesTheMachineItIsGivenOrElseThisMachine) {
    FakeInstall inst;
    EXPECT_EQ(&inst.console()->os, &inst.machine());
    Console onReal(inst.program, inst.op);
    EXPECT_NE(dynamic_cast<RealMachine*>(&onReal.os), nullptr);
}
