#pragma once
// The undo of a run that failed in an installation phase: what the run changed is put back
// before the run is closed (docs/finishing.md gives the table of what is undone after each phase).
#include "base/Console.h"

#include <string>
#include <vector>

namespace quillan {

// True when closing this run takes the undo: it failed, the operator did not stop it, and it
// stopped in an installation phase (phaseReached, the completedPhase it stopped at, 4 to 11).
bool undoApplies(const RunState& run, int phaseReached);

struct UndoResult {
    std::vector<std::string> notPutBack; // what the undo could not put back or clean; empty: all done
    bool complete() const { return notPutBack.empty(); }
};

// Shows the step after `phaseReached` failed and drives step 14 "Roll Back for Error" through the
// actions, each only after the one before succeeded: removing the update folder's backup copies,
// restoring the database (when a hotfix ran), putting back the old files (when files were
// replaced), removing the backup folder's copies (phase 6 on). An action not taken because an
// earlier one failed is listed as not put back too.
UndoResult undoFailedRun(Console& c, int phaseReached);

} // namespace quillan
