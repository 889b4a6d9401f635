#pragma once
// The verification after the program download: every package complete, split packages joined,
// files of the update folder that are no package of the release removed, a mandatory release
// marked as downloaded and the operator asked whether to go on. Ends with completedPhase 4 and
// the overall bar at 40.
#include "base/Console.h"
#include "console/RunPhases.h"

#include <string>

namespace quillan {

// RunEnded when a package is incomplete, a split package cannot be joined, or the operator stops
// after a mandatory download; Continue otherwise.
PhaseOutcome DownloadVerification(Console& c);

// Why the update folder must not be swept ("" when it may): a drive root, or a folder that holds
// the application folder, would lose files that are no package.
std::string sweepRefusal(const Console& c);

} // namespace quillan
