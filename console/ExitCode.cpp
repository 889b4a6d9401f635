#include "console/ExitCode.h"

namespace quillan {

namespace {
ExitCode forEnding(Ending why) {
    switch (why) {
    case Ending::AlreadyUpToDate:
        return ExitCode::Completed;
    case Ending::OperatorCancelled:
        return ExitCode::StoppedWithoutRun;
    case Ending::Failure:
    case Ending::None:
        break;
    }
    return ExitCode::EndedOnFailure;
}
} // namespace

ExitCode exitCodeFor(const Console& c, StartupOutcome startup) {
    if (c.programEnded())
        return forEnding(c.ending());
    if (startup != StartupOutcome::Armed)
        return ExitCode::StoppedWithoutRun;
    if (c.state.timerEnabled) // armed, but the run has not started: still pending
        return ExitCode::StoppedWithoutRun;
    if (!c.state.runFinished) // the run broke off before its finishing operation
        return ExitCode::EndedOnFailure;
    if (c.state.runFailed)
        return ExitCode::CompletedWithErrors;
    // Closed through the stop branch: the operator refused to close a program or declined to go on
    // after the download; the release is still pending.
    if (c.state.operatorStopped || c.model.label(Label::lblPrs) == "Pending")
        return ExitCode::StoppedWithoutRun;
    return ExitCode::Completed;
}

} // namespace quillan
