#pragma once
// How a process ended, for a scheduler. Documented in docs/usage.md.
#include "base/Console.h"
#include "console/Startup.h"

namespace quillan {

enum class ExitCode {
    Completed = 0,           // run finished without error, or the release was already applied
    CompletedWithErrors = 1, // run finished (closed through the finishing operation) with a failure
    StoppedWithoutRun = 2,   // start-up stopped without a run, the operator cancelled, or a run is pending
    EndedOnFailure = 3,      // the program ended early on a failure (space checks, download, unpacking...)
    AnotherRunHolds = 6,     // refused: another process runs on this installation; nothing changed
    ReleaseRefused = 7,      // a file of the release failed its verification; nothing was changed
    Usage = 64,              // bad command line
};

ExitCode exitCodeFor(const Console& c, StartupOutcome startup);

} // namespace quillan
