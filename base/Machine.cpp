#include "base/Machine.h"

#include "platform/FileAttributes.h"
#include "platform/FolderListing.h"
#include "platform/SafeReplace.h"

namespace quillan {

namespace fs = std::filesystem;

bool Machine::isRunning(const std::string& programName) {
    return listsProgram(processes(), programName);
}

std::vector<FixedDrive> RealMachine::scanDrives(const PathMap& map) {
    return scanFixedDrives(map);
}

std::string RealMachine::computerName() {
    return quillan::computerName();
}

std::string RealMachine::systemDrive() {
    return systemDriveText();
}

std::unique_ptr<db::Connection> RealMachine::openConnection(const std::string& connString,
                                                            const fs::path& appDir) {
    return db::openConnection(connString, appDir);
}

std::unique_ptr<db::DbAdmin> RealMachine::openAdmin(const std::string& connString, const fs::path& appDir) {
    return db::openAdmin(connString, appDir);
}

std::unique_ptr<RunLock> RealMachine::lockRun(const fs::path& file) {
    return tryLockRun(file);
}

std::vector<ProcessEntry> RealMachine::processes() {
    return listProcesses();
}

bool RealMachine::endProgram(const std::string& programName, std::chrono::milliseconds wait) {
    return endProgramAndWait(programName, wait);
}

ProgramRun RealMachine::runProgram(const fs::path& program, const std::vector<std::string>& arguments,
                                   std::chrono::milliseconds timeout,
                                   const std::function<void()>& whileWaiting) {
    return quillan::runProgram(program, arguments, timeout, whileWaiting);
}

ComponentCall RealMachine::callRegistrationEntry(const fs::path& library, RegistrationEntry entry) {
    return quillan::callRegistrationEntry(library, entry);
}

void RealMachine::replaceFile(const fs::path& source, const fs::path& target) {
    replaceFileSafely(source, target);
}

std::vector<fs::path> RealMachine::listPlainFiles(const fs::path& folder) {
    return quillan::listPlainFiles(folder);
}

void RealMachine::clearFileAttributes(const fs::path& file) {
    quillan::clearFileAttributes(file);
}

bool RealMachine::forceDelete(const fs::path& file) {
    return quillan::forceDelete(file);
}

Machine& realMachine() {
    static RealMachine machine;
    return machine;
}

} // namespace quillan
