#pragma once
// The unpacking phase (checklist row 5): every downloaded package of the release (the rebuilt ones
// when split packages were joined) is extracted flat into the update folder, the attributes of the
// folder's files are cleared, and the last-write time of each plain file of the release is recorded
// in SetupDetails.File_UnZipDate. Each package is checked right before it is unpacked
// (install/PackageCheck.h). A failure closes the run through RollBack and ends the program.
#include "base/Console.h"

#include <string>

namespace quillan {

// True when the phase succeeded (completedPhase 5); false when it ended the program.
bool Unpacking(Console& c);

// Extracts one archive flat into updateFolder, replacing files of the same name. False (and a
// line ending " in Unzip Files") when the archive cannot be read or a member cannot be written.
bool UnzipFiles(Console& c, const std::string& packagePath);
// Records the file's last-write time as File_UnZipDate of its row. A time that cannot be read is
// logged and nothing is written (a zero date would make every later run deploy again); False only
// when the statement fails (" - UpdateUnZipTime").
bool UpdateUnZipTime(Console& c, const std::string& folder, const std::string& fileName);
// Clears the attributes of the folder's plain files (hidden and system files are not listed);
// a file that cannot be changed is passed over. Never fails.
void ResetFileAttributes(Console& c, const std::string& folder);

} // namespace quillan
