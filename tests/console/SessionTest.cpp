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
        {"stopped at start-up", O::StoppedWithoutRun, [](Console&) {}, E::StoppedWithoutRun},
        {"ended at start-up", O::ProgramEnded, [](Console& c) { c.endProgram(Ending::Failure); },
         E::EndedOnFailure},
        {"notice cancelled", O::ProgramEnded, [](Console& c) { c.endProgram(Ending::OperatorCancelled); },
         E::StoppedWithoutRun},
        {"armed, run not started", O::Armed, [](Console& c) { c.state.timerEnabled = true; },
         E::StoppedWithoutRun},
        {"already up to date", O::Armed, [](Console& c) { c.endProgram(Ending::AlreadyUpToDate); },
         E::Completed},
        {"run finished", O::Armed, [](Console& c) { c.state.run.outcome = RunOutcome::Completed; },
         E::Completed},
        {"run finished with errors", O::Armed,
         [](Console& c) {
             c.state.run.outcome = RunOutcome::CompletedWithErrors;
             c.state.run.runFailed = true;
         },
         E::CompletedWithErrors},
        {"operator stopped after the download", O::Armed,
         [](Console& c) {
             c.state.run.outcome = RunOutcome::Stopped;
             c.model.setLabel(Label::lblPrs, "Pending");
         },
         E::StoppedWithoutRun},
        {"operator stopped", O::Armed,
         [](Console& c) {
             c.state.run.outcome = RunOutcome::Stopped;
             c.state.run.operatorStopped = true;
         },
         E::StoppedWithoutRun},
        // Broke off on an unexpected error: never reached the finishing operation.
        {"run broke off", O::Armed, [](Console&) {}, E::EndedOnFailure},
        {"a phase ended the program", O::Armed, [](Console& c) { c.endProgram(Ending::Failure); },
         E::EndedOnFailure},
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
    EXPECT_EQ(s.exitCode(), ExitCode::StoppedWithoutRun);
    const auto before = inst.db.transcript.size();
    s.runOnce(); // not armed: no run
    EXPECT_EQ(inst.db.transcript.size(), before);
    EXPECT_EQ(s.exitCode(), ExitCode::StoppedWithoutRun);
}

TEST(Session, ArmedStartIsPendingUntilTheRun) {
    FakeInstall inst;
    inst.drives = {{'C', 4 * kGB}};
    Session ended(inst.program, inst.op, inst.machine());
    EXPECT_EQ(ended.start(), StartupOutcome::ProgramEnded);
    EXPECT_EQ(ended.exitCode(), ExitCode::EndedOnFailure);

    FakeInstall ok;
    Session s(ok.program, ok.op, ok.machine());
    ASSERT_EQ(s.start(), StartupOutcome::Armed);
    EXPECT_EQ(s.exitCode(), ExitCode::StoppedWithoutRun);
}
