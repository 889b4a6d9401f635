#pragma once
// The few zone- and OS-dependent primitives the portable platform code rests on. Each platform
// folder (posix/, win32/) implements them; nothing outside platform/ includes this header.
#include "platform/DateTime.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>

namespace quillan::os {

// The local calendar time of a UTC instant; nullopt when the C library cannot represent it.
std::optional<DateTime> localFromUnix(std::int64_t unixSeconds);
// The UTC instant a local calendar time denotes (daylight saving decided by the zone rules).
std::int64_t unixFromLocal(const DateTime& local);

// The drive map used when nothing is configured (POSIX: C is "/"; Windows: every letter is itself).
std::map<char, std::filesystem::path> defaultDriveMap();

// This process's identifier, which the process helpers never end.
std::uint32_t currentProcessId();

// Renames `from` over `to` in one step, replacing `to` when it exists (POSIX rename; Windows
// MoveFileEx with MOVEFILE_REPLACE_EXISTING). Throws std::filesystem::filesystem_error.
void renameOver(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace quillan::os
