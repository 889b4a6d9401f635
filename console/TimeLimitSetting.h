#pragma once
// The longest one database statement or hotfix batch may run. An unattended run must not wait for
// ever on a statement that never ends (a hotfix's runaway join): past the limit the statement is
// cancelled on the server and the run fails into its undo. The default is far beyond any sane
// hotfix; an installation may set its own in an optional row of the configuration table.
#include "base/Console.h"

#include <chrono>
#include <optional>
#include <string_view>

namespace quillan {

inline constexpr int kLongestTimeLimitMinutes = 24 * 60;

// "15" -> 15 minutes; blanks around the number are allowed; nothing for anything but a whole
// number from 1 to kLongestTimeLimitMinutes.
std::optional<std::chrono::minutes> parseTimeLimitMinutes(std::string_view text);

// Reads the setting (the default when the row is missing; the default and a log line when its
// value is no such number) into the console state and gives it to the connection.
void ReadTimeLimit(Console& c);

} // namespace quillan
