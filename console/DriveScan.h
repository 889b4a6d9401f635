#pragma once
// The two drive scans of start-up: the drive holding the program folder, and the fixed drive
// with the most free space (where backups go).
#include "base/Console.h"
#include "platform/SystemInfo.h"

#include <functional>
#include <vector>

namespace quillan {

using DriveScanner = std::function<std::vector<FixedDrive>(const PathMap&)>;

// Index in state.driveList of the drive whose letter is the program folder's first character;
// 0 when none matches. Entries of other drives stay empty. A failed scan shows its description
// + " In FindInsDiskSize" and answers with what it had found.
int FindInsDiskSize(Console& c, const DriveScanner& scan);

// Fills every entry and answers the index of the first drive with the most free space (0 when no
// drive has any). A failed scan shows its description + " In FindDiskSize".
int FindDiskSize(Console& c, const DriveScanner& scan);

} // namespace quillan
