#pragma once
// This system's settings (rows of the application's configuration table) and the run log.
#include "base/Console.h"
#include "base/CreateLogFile.h"

#include <optional>
#include <string>

namespace quillan {

// Reads and checks the settings in their fixed order, opens the run log once the log folder is
// known, and answers true when every setting the transfer mode needs is present. A missing log
// folder ends the program ("Error Log Folder not Configured"); any other missing setting writes
// its ">>-... Not Configured" line and answers false.
bool ValidateData(Console& c);

// The first row's `column` of a query, or nothing when no row comes back.
std::optional<std::string> firstText(Console& c, const std::string& sql, const std::string& column);

} // namespace quillan
