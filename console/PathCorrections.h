#pragma once
// The path corrections after the pending check: registered components recorded on drive C: move
// to the system drive, the report runtime's components point at its folder when the recorded one
// is missing, and the target folder of every program of the release is created.
#include "base/Console.h"

namespace quillan {

// Database failures are left to the run's general handler.
void PathCorrections(Console& c);

} // namespace quillan
