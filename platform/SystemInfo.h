#pragma once
// What start-up asks of the machine: its drives, its name and its system drive.
#include "platform/PathMap.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillan {

struct FixedDrive {
    char letter = 0;             // upper case, no colon
    std::uint64_t freeBytes = 0; // available to this user
};

// Fixed, ready drives in the platform's order (Windows: A to Z; POSIX: the drive map's letters in
// order). Throws std::system_error on failure.
std::vector<FixedDrive> scanFixedDrives(const PathMap& map);

// Free bytes / 1073741824, rounded to two decimals.
double freeGigabytes(std::uint64_t freeBytes);

// The computer name (Windows: GetComputerName; POSIX: the host name up to its first dot).
std::string computerName();

// First two characters of the system folder ("C:"). POSIX: QUILLAN_SYSTEM_DRIVE when set, else "C:".
std::string systemDriveText();

// The system folder that holds the system's own tools (Windows: GetSystemDirectory, such as
// "C:\Windows\System32"); empty on POSIX, which has no such folder. Never a search of PATH.
std::filesystem::path systemToolFolder();

// Opens a file with the program the desktop associates with it (CmdViewLog). False on failure.
bool openWithAssociatedProgram(const std::filesystem::path& file);

// Creates `folder` when it is missing, one level only (its parent must exist). False with the
// system's description of the failure in `error`; True, creating nothing, when it already exists.
bool createFolderLevel(const std::filesystem::path& folder, std::string& error);

// The folder the running program's executable lies in (the program folder when none is given);
// argv0 is the fallback when the platform cannot tell.
std::filesystem::path executableFolder(const char* argv0);
// True when standard input is a terminal (then open questions are asked there).
bool standardInputIsTerminal();
// True when this session has a display a window can open on (Windows: always; POSIX: an X or a
// Wayland display is named in the environment).
bool graphicalDisplayNamed();

} // namespace quillan
