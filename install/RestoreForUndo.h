#pragma once
// Putting the database back from the run's own backup, for the undo of a failed run.
#include "base/Console.h"

namespace quillan {

// Restores the database `dbName` from backupFolder + "\" + backupFileName through the
// administration interface: the .bak is unpacked from its archive (same base name + ".zip") first
// when only the archive is left, the other server processes attached to the database are ended (up
// to five passes), and the restore's percents drive checklist step 13. True when the restore ran.
// A missing backup, a failed unpack or restore logs its description + " in Restore DB" and answers
// False.
bool restoreDatabaseForUndo(Console& c);

} // namespace quillan
