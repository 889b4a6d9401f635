#pragma once
// The hotfix runner (checklist row 8): every hotfix script of the release that HotFixLog has not
// recorded, by release and hotfix number, split at its "GO" lines and run batch by batch on the
// application database through the administration interface. Only on the database server's own
// machine; elsewhere the step shows completed without running anything.
#include "base/Console.h"

#include <string>

namespace quillan {

// The phase in the run. A failed hotfix rolls the run back and stops it: false then (the window
// stays open). Otherwise it ends with completedPhase 9 and the overall bar advanced.
bool HotfixPhase(Console& c);

// Runs one script (a Windows path): true when it ran or HotFixLog already holds its number.
// Missing file, no number, a failing batch (logged as "batch i of n" with the server's message)
// log their line and answer False; a failure logs its description + " in Running Hotfix ".
// Batches run before a failing one stay applied. A script that ran without recording its number
// in HotFixLog is named in a warning, since the next run offers it again; so is a file whose
// number differs from `rowNumber` (its SetupDetails row's HotfixNo; 0: not known).
bool RunningHotfix(Console& c, const std::string& path, double rowNumber = 0);

} // namespace quillan
