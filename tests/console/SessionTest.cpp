#include "console/Session.h"
#include "TestInstall.h"
#include "console/ExitCode.h"

using namespace quillan;
using namespace quillan::test;

TEST(ExitCode, StartupOutcomesAndRunEndings) {
    FakeInstall inst;
    auto fresh = [&] { return inst.console(); };

    auto c = fresh();
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::StoppedWithoutRun), ExitCode::StoppedWithoutRun);

    c = fresh();
    c->endProgram(Ending::Failure);
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::ProgramEnded), ExitCode::EndedOnFailure);
    c = fresh();
    c->endProgram(Ending::OperatorCancelled);
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::ProgramEnded), ExitCode::StoppedWithoutRun);

    c = fresh();
    c->state.timerEnabled = true; // armed, run not started
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::Armed), ExitCode::StoppedWithoutRun);

    c = fresh();
    c->endProgram(Ending::AlreadyUpToDate);
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::Armed), ExitCode::Completed);

    c = fresh();
    c->state.runFinished = true;
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::Armed), ExitCode::Completed);
    c->state.runFailed = true;
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::Armed), ExitCode::CompletedWithErrors);

    c = fresh();
    c->state.runFinished = true;
    c->model.setLabel(Label::lblPrs, "Pending"); // stopped after the download by the operator
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::Armed), ExitCode::StoppedWithoutRun);

    c = fresh();
    c->state.runFinished = true;
    c->state.operatorStopped = true;
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::Armed), ExitCode::StoppedWithoutRun);

    c = fresh(); // the run broke off on an unexpected error: never reached the finishing operation
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::Armed), ExitCode::EndedOnFailure);

    c = fresh();
    c->endProgram(Ending::Failure); // e.g. a failed package download
    EXPECT_EQ(exitCodeFor(*c, StartupOutcome::Armed), ExitCode::EndedOnFailure);
}

TEST(Session, StartReportsTheOutcomeAndItsExitCode) {
    FakeInstall inst;
    inst.db.answerEmpty("seqno=31 and", "Condition");
    Session s(inst.program, inst.op, inst.machine());
    EXPECT_EQ(s.start(), StartupOutcome::StoppedWithoutRun);
    EXPECT_EQ(s.exitCode(), ExitCode::StoppedWithoutRun);
    const auto before = inst.db.statements.size();
    s.runOnce(); // not armed: no run
    EXPECT_EQ(inst.db.statements.size(), before);
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
