#pragma once
// How a process ended, for a scheduler: one code per thing a scheduler does next (nothing, read
// the log, try again later, repair by hand). Documented in docs/usage.md and the README.
#include "base/Console.h"
#include "console/Startup.h"

namespace quillan {

enum class ExitCode {
    Completed = 0,           // the release was installed
    CompletedWithErrors = 1, // completed with errors, nothing undone (e.g. a registration failed)
    Stopped = 2,             // stopped by the operator, or the run is still pending
    FailedPutBack = 3,       // failed, and the installation is as it was (put back, or never changed)
    FailedNotPutBack = 4,    // failed, and NOT everything was put back (named in the log and summary)
    Refused = 5,             // refused before any change: configuration or start-up checks
    Locked = 6,              // refused: another run holds the installation
    Unverified = 7,          // refused: the release failed verification
    AlreadyApplied = 8,      // nothing to do: the recorded release was already applied
    Usage = 64,              // bad command line
};

ExitCode exitCodeFor(const Console& c, StartupOutcome startup);

// One line for people: "completed with errors", "failed and put back", ...
const char* exitCodeText(ExitCode code);

} // namespace quillan
