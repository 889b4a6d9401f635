#pragma once
// Putting the application database back from the run's own backup, for the undo of a failed run.
#include "base/Console.h"

namespace quillan {

// Restores `dbName` from backupFolder + "\" + backupFileName through the administration interface,
// with the restore's percents on checklist row 13. When the backup phase left only the archive
// (same base name + ".zip"), the archive is tested (every member's CRC) and the .bak unpacked from
// it first, and deleted again afterwards. Then the other sessions attached to the database are
// ended with "Kill" in five passes (reconnecting ones are caught by the later passes), sparing the
// server's system sessions and the administration interface's own. The console's own connection
// leaves the database for the restore (the server refuses to replace a database in use) and is
// opened again afterwards; when that fails, every later statement fails with the reason.
// True when the restore ran. No backup, a failed test, kill or restore log the description +
// " in Restore DB" and answer False.
bool RestoreDb(Console& c);

} // namespace quillan
