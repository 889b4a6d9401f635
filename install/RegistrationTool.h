#pragma once
// Where the system's registration tool lies. It is never searched on the program path, so a
// program of the same name in another folder cannot stand in for it.
#include <filesystem>

namespace quillan {

// QUILLAN_REGISTRATION_TOOL when set and not empty; otherwise the system folder's regsvr32.exe on
// Windows, and nothing (an empty path: registration is skipped) on POSIX.
std::filesystem::path registrationToolPath();

} // namespace quillan
