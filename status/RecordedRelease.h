#pragma once
// The newest release recorded in SetupDetails, as the current-deployment panel shows it.
#include "base/Console.h"

#include <optional>
#include <string>

namespace quillan {

// The highest version number recorded; nullopt when it cannot be read (no connection, an error).
std::optional<std::string> NewestRecordedRelease(Console& c);

} // namespace quillan
