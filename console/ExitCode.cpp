#include "console/ExitCode.h"

namespace quillan {

namespace {
ExitCode forEnding(Ending why) {
    switch (why) {
    case Ending::AlreadyUpToDate:
        return ExitCode::Completed;
    case Ending::OperatorCancelled:
        return ExitCode::StoppedWithoutRun;
    case Ending::AnotherRunHolds:
        return ExitCode::AnotherRunHolds;
    case Ending::ReleaseRefused:
        return ExitCode::ReleaseRefused;
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
    switch (c.state.run.outcome) {
    case RunOutcome::NotClosed: // the run broke off before its finishing operation
        return ExitCode::EndedOnFailure;
    case RunOutcome::CompletedWithErrors:
        return ExitCode::CompletedWithErrors;
    case RunOutcome::Stopped: // the operator stopped the run; the release is still pending
        return ExitCode::StoppedWithoutRun;
    case RunOutcome::Completed:
        break;
    }
    // A failure recorded after the run was closed (a later message of the phase) still counts.
    return c.state.run.runFailed ? ExitCode::CompletedWithErrors : ExitCode::Completed;
}

} // namespace quillan
