#pragma once
// The database backup's file name: distributor code + "_" + "DDMMYYYYhhmmss" + ".bak". The code
// comes from the Distributor table and goes into a file name, a listing pattern ("<code>*.zip")
// and SQL text, so only a code that stays a plain name is used.
#include "platform/DateTime.h"

#include <string>
#include <string_view>

namespace quillan {

// "DDMMYYYYhhmmss": day, month, four-digit year, hour 00-23, minute, second.
std::string backupStamp(const DateTime& when);
// code + "_" + stamp + ".bak".
std::string backupFileNameFor(const std::string& distributorCode, const DateTime& when);
// False for a code that could leave the backup folder or widen a listing pattern: one holding
// "\", "/", ":", "..", "*", "?" or a control character. A blank code passes (the prune then takes
// the code's own archives by their exact form).
bool isUsableDistributorCode(std::string_view code);

} // namespace quillan
