#pragma once
// The completion records written when the last installation phase is done: the mandatory-release
// mark and this system's version row. The run is then closed through RollBack.
#include "base/Console.h"

namespace quillan {

// Hides lblRegMessage, sets completedPhase to 12, writes both records and calls RollBack. A record
// that cannot be written is logged with " in UpdateDeploymentStatus" and sets runFailed, and the
// run is still closed (with errors). Answers RollBack's result, False when a record failed.
bool UpdateDeploymentStatus(Console& c);

} // namespace quillan
