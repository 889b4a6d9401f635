#pragma once
// The replacement of the release's files from the update folder, in three sub-phases that share one
// algorithm: the EXEs (checklist row 9), the report files RPT and RTM (row 10) and the other files
// (row 11). Every copy goes through the safe replace (a temporary file renamed over the target), so
// a target that is read-only or a running program on POSIX is replaced whole, the copy keeps the
// new file's modification time, and a target that cannot be replaced is left as it was.
#include "base/Console.h"

#include <chrono>

namespace quillan {

enum class ReplacedFiles { Exes, Reports, OtherFiles };

// True when the run goes on; completedPhase is then 7, 10 or 11 (the overall bar advanced after the
// EXEs and the other files). A file that cannot be replaced fails the row and closes the run
// through RollBack, whose undo puts back what was already replaced (false). A running program is
// ended first (by its exact name, waiting up to `endWait` until it is gone) only when the operator
// agreed to have it ended (RunState::programsToEnd).
bool ReplaceFiles(Console& c, ReplacedFiles which,
                  std::chrono::milliseconds endWait = std::chrono::seconds(10));

} // namespace quillan
