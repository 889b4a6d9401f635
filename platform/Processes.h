#pragma once
// Finding and ending running programs by executable name. Names compare without regard to case.
#include <cstdint>
#include <string>
#include <vector>

namespace quillan {

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::string exeName; // executable file name as the platform reports it
};

std::vector<ProcessEntry> listProcesses();

// Ends every process whose executable name ends with `exeName` (so "app.exe" also matches
// "myapp.exe"), each with exit code 0. True when at least one matched.
bool KillProcess(const std::string& exeName);
// True when a process whose executable name equals `exeName` exists.
bool IsProcessRunning(const std::string& exeName);
bool KillProcessById(std::uint32_t pid, std::uint32_t exitCode);

} // namespace quillan
