#pragma once
// The backup of every file about to be replaced (checklist row 7): each installed file of the
// release is copied flat into the backup folder under its own name, beside the database backups,
// where the undo of a failed run finds it again (install/PutBackOldFiles.h).
#include "base/Console.h"

namespace quillan {

// True when the run goes on. A copy that fails ends the phase: the row fails and the run is closed
// through RollBack (false). completedPhase stays as the database backup left it.
bool BackupSupportingFiles(Console& c);

} // namespace quillan
