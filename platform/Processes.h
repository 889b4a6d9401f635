#pragma once
// Finding and ending running programs by executable name. Names compare without regard to case.
#include <chrono>
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
// True when `processes` holds one whose executable name equals `exeName` without regard to case
// (IsProcessRunning on a list given by the caller, such as a fake process table).
bool listsProgram(const std::vector<ProcessEntry>& processes, const std::string& exeName);
bool KillProcessById(std::uint32_t pid, std::uint32_t exitCode);

// Ends every process whose executable name equals `exeName` without regard to case (never by the
// end of a name: "app.exe" leaves "myapp.exe" running), each with exit code 0, and waits until
// none is left or `wait` has passed, ending again any that is still (or newly) there. True when no
// such process runs at the end. The file replacement relies on the program being gone, not only
// asked to go, which is why this waits where KillProcess does not.
bool endProgramAndWait(const std::string& exeName, std::chrono::milliseconds wait);

} // namespace quillan
