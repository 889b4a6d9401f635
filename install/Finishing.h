#pragma once
// The finishing operation that closes every run: RollBack after a run that ended or failed,
// RollBack1 after the operator stopped it. Both read completedPhase from the run state and
// record the run's outcome there, which the exit code reads.
#include "base/Console.h"

namespace quillan {

// True when the run was closed as the operation intends.
bool RollBack(Console& c);
bool RollBack1(Console& c);

} // namespace quillan
