#pragma once
// The operating system as the console sees it: one interface for everything start-up and the
// phases ask of the machine, so that tests can give them a fake process table, file system and
// database instead of the real ones (tests/support/FakeMachine.h). The console holds one
// (Console::os); RealMachine answers from platform/ and the database layer.
#include "platform/ComponentLoader.h"
#include "platform/Processes.h"
#include "platform/ProgramRunner.h"
#include "platform/RunLock.h"
#include "platform/SystemInfo.h"
#include "platform/db/Connection.h"
#include "platform/db/DbAdmin.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillan {

class Machine {
public:
    virtual ~Machine() = default;

    // --- Start-up ---
    // The fixed drives with their free space: every letter of the map that is there (POSIX), or
    // every fixed drive (Windows).
    virtual std::vector<FixedDrive> scanDrives(const PathMap& map) = 0;
    // This machine's name (not upper-cased).
    virtual std::string computerName() = 0;
    // The system drive's text, of which the caller keeps the first two characters ("C:").
    virtual std::string systemDrive() = 0;
    // The one database connection; throws db::DbError when it cannot be opened.
    virtual std::unique_ptr<db::Connection> openConnection(const std::string& connString,
                                                           const std::filesystem::path& appDir) = 0;
    // The database administration interface (backup, restore, batches), not yet connected.
    virtual std::unique_ptr<db::DbAdmin> openAdmin(const std::string& connString,
                                                   const std::filesystem::path& appDir) = 0;

    // One run per installation: the lock on `file`, or nullptr when another holder has it. Throws
    // std::system_error when the file cannot be opened.
    virtual std::unique_ptr<RunLock> lockRun(const std::filesystem::path& file) = 0;

    // --- Programs ---
    // Every running program with its executable file name and id.
    virtual std::vector<ProcessEntry> processes() = 0;
    // Ends every program whose name equals `programName` without regard to case (never by the end
    // of a name) and waits up to `wait` until none is left. True when none runs at the end.
    virtual bool endProgram(const std::string& programName, std::chrono::milliseconds wait) = 0;
    // Runs a program to its end (or to the time-out, then ends it), calling `whileWaiting` between
    // polls so that the window repaints. Arguments arrive as given, blanks and quotes included.
    virtual ProgramRun runProgram(const std::filesystem::path& program,
                                  const std::vector<std::string>& arguments,
                                  std::chrono::milliseconds timeout,
                                  const std::function<void()>& whileWaiting) = 0;
    // Calls a component's DllRegisterServer or DllUnregisterServer; tells a missing library, a
    // missing entry point and the entry point's answer apart.
    virtual ComponentCall callRegistrationEntry(const std::filesystem::path& library,
                                                RegistrationEntry entry) = 0;

    // --- Files ---
    // Copies `source` over `target` by a temporary sibling and a rename: never half a file under
    // the target's name, the source's modification time kept, a read-only target replaced too.
    // Throws std::system_error / std::filesystem::filesystem_error.
    virtual void replaceFile(const std::filesystem::path& source, const std::filesystem::path& target) = 0;
    // The plain files of a folder, sorted: no folders, hidden or system files. Throws when the
    // folder cannot be read.
    virtual std::vector<std::filesystem::path> listPlainFiles(const std::filesystem::path& folder) = 0;
    // Clears read-only and the other attributes (POSIX: the owner may write). Throws.
    virtual void clearFileAttributes(const std::filesystem::path& file) = 0;
    // Clears the attributes and deletes the file. False when there was none; throws when it stays.
    virtual bool forceDelete(const std::filesystem::path& file) = 0;

    // True when a program of exactly this name (without regard to case) runs; from processes().
    bool isRunning(const std::string& programName);
};

// This machine: forwards to platform/ (SystemInfo, Processes, ProgramRunner, ComponentLoader,
// SafeReplace, FolderListing, FileAttributes) and to db::openConnection / db::openAdmin.
class RealMachine : public Machine {
public:
    std::vector<FixedDrive> scanDrives(const PathMap& map) override;
    std::string computerName() override;
    std::string systemDrive() override;
    std::unique_ptr<db::Connection> openConnection(const std::string& connString,
                                                   const std::filesystem::path& appDir) override;
    std::unique_ptr<db::DbAdmin> openAdmin(const std::string& connString,
                                           const std::filesystem::path& appDir) override;
    std::unique_ptr<RunLock> lockRun(const std::filesystem::path& file) override;
    std::vector<ProcessEntry> processes() override;
    bool endProgram(const std::string& programName, std::chrono::milliseconds wait) override;
    ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                          std::chrono::milliseconds timeout,
                          const std::function<void()>& whileWaiting) override;
    ComponentCall callRegistrationEntry(const std::filesystem::path& library,
                                        RegistrationEntry entry) override;
    void replaceFile(const std::filesystem::path& source, const std::filesystem::path& target) override;
    std::vector<std::filesystem::path> listPlainFiles(const std::filesystem::path& folder) override;
    void clearFileAttributes(const std::filesystem::path& file) override;
    bool forceDelete(const std::filesystem::path& file) override;
};

// One RealMachine for the whole process, for consoles built without a machine of their own. It
// keeps no state, so sharing it is safe.
Machine& realMachine();

} // namespace quillan
