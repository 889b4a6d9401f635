#pragma once
// The database backup phase (checklist row 6): on the database server's own machine, a full
// backup of the application database into the backup folder, compressed into a ZIP archive that
// is tested before the .bak is deleted, after pruning the folder's older backups.
#include "base/Console.h"

#include <string>

namespace quillan {

// The phase in the run. Skipped (silently) unless the server is this machine. A failed backup
// rolls the run back and ends the program: false then. Either way it ends with row 6's bar
// hidden, the overall bar advanced and completedPhase 6.
bool DatabaseBackupPhase(Console& c);

// Prunes the backup folder (and "C:\UploadBackUp" when the backup drive is another one), takes the
// backup into backupFolder + "\" + backupFileName with its percents on row 6, compresses and
// tests it, and deletes the .bak. A failure logs its description + " in Backup DB": false.
bool BackupDb(Console& c);

// Keeps the two newest backups of `folder` (a Windows text) through TempBackupFile: the .bak
// files, "Backup*.zip" and "<distributor code>*.zip" archives; plain files only, folders are never
// touched. Surviving .bak files are compressed, tested and deleted. A blank distributor code prunes
// nothing; a code that is no plain name neither. A failure logs its description
// + " - ClearBackUpFromFolder": false.
bool ClearBackUpFromFolder(Console& c, const std::string& folder);

} // namespace quillan
