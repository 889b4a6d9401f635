#pragma once
// The run: the start timer's event and the fixed sequence of phases.
#include "base/Console.h"

#include <memory>

namespace quillan {

class RunPhases; // the phases the driver calls (console/RunPhases.h)

// The run log's line of a run that found the release already applied: nothing to do.
inline constexpr const char* kReleaseAppliedLine = ">>-Deployment Process Completed";

// The phases of a run, each wired to the procedure that does it (docs/run-driver.md).
std::unique_ptr<RunPhases> makeRunPhases();

// Start timer event: connection check, log line, then RunDeployment. Runs at most once per
// Console (the timer disables itself).
void Timer1_Timer(Console& c, RunPhases& phases);
void RunDeployment(Console& c, RunPhases& phases);

} // namespace quillan
