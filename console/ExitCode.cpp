#include "console/ExitCode.h"

namespace quillan {

namespace {

// A run that failed: did it leave anything changed? The undo of the finishing operation says so
// when it ran; a run that never reached it is judged by what it had started to change.
ExitCode failedRun(const RunState& run) {
    if (run.undoTaken)
        return run.undoComplete() ? ExitCode::FailedPutBack : ExitCode::FailedNotPutBack;
    if (run.filesChanged() || run.hotfixRunStarted)
        return ExitCode::FailedNotPutBack;
    return ExitCode::FailedPutBack;
}

ExitCode forEnding(const Console& c, StartupOutcome startup) {
    switch (c.ending()) {
    case Ending::AlreadyUpToDate:
        return ExitCode::AlreadyApplied;
    case Ending::OperatorCancelled:
        return ExitCode::Stopped;
    case Ending::AnotherRunHolds:
        return ExitCode::Locked;
    case Ending::ReleaseRefused:
        return ExitCode::Unverified;
    case Ending::Failure:
    case Ending::None:
        break;
    }
    // Start-up's checks end the program before anything is changed: a refusal. A phase of the
    // run that ends the program is a failed run.
    if (startup != StartupOutcome::Armed)
        return ExitCode::Refused;
    return failedRun(c.state.run);
}

} // namespace

ExitCode exitCodeFor(const Console& c, StartupOutcome startup) {
    if (c.programEnded())
        return forEnding(c, startup);
    if (startup != StartupOutcome::Armed) // a setting not configured, an unexpected start-up error
        return ExitCode::Refused;
    if (c.state.timerEnabled) // armed, but the run has not started: still pending
        return ExitCode::Stopped;
    const RunState& run = c.state.run;
    switch (run.outcome) {
    case RunOutcome::NotClosed: // the run broke off before its finishing operation
        return failedRun(run);
    case RunOutcome::CompletedWithErrors:
        // Closed after a failure. Without an undo, the release counts as installed (with errors)
        // only when the run got as far as changing the installation; a run that failed before
        // (a download that came short) changed nothing, and says so.
        if (run.undoTaken || !(run.filesChanged() || run.hotfixRunStarted))
            return failedRun(run);
        return ExitCode::CompletedWithErrors;
    case RunOutcome::Stopped: // the operator stopped the run; the release is still pending
        return ExitCode::Stopped;
    case RunOutcome::Completed:
        break;
    }
    // A failure recorded after the run was closed (a later message of the phase) still counts.
    return run.runFailed ? ExitCode::CompletedWithErrors : ExitCode::Completed;
}

const char* exitCodeText(ExitCode code) {
    switch (code) {
    case ExitCode::Completed:
        return "completed";
    case ExitCode::CompletedWithErrors:
        return "completed with errors, nothing undone";
    case ExitCode::Stopped:
        return "stopped by the operator, or pending";
    case ExitCode::FailedPutBack:
        return "failed and put back";
    case ExitCode::FailedNotPutBack:
        return "failed and NOT fully put back";
    case ExitCode::Refused:
        return "refused before any change";
    case ExitCode::Locked:
        return "refused: another run holds the installation";
    case ExitCode::Unverified:
        return "refused: the release failed verification";
    case ExitCode::AlreadyApplied:
        return "nothing to do: the release was already applied";
    case ExitCode::Usage:
        return "bad command line";
    }
    return "?";
}

} // namespace quillan
