#pragma once
// A machine for tests: a process table of programs that "run" (and may refuse to end), a program
// runner that records each call and answers scripted exit codes, component entry points with
// scripted results, file operations that go to the real file system (or are only recorded), and
// the drives, computer name, system drive and database connection start-up asks for.
#include "base/Machine.h"
#include "platform/FileAttributes.h"
#include "platform/FolderListing.h"
#include "platform/SafeReplace.h"
#include "platform/Text.h"

#include <deque>
#include <map>
#include <stdexcept>

namespace quillan::test {

class FakeMachine : public Machine {
public:
    // --- Start-up: plain answers, or hooks that replace them ---
    std::vector<FixedDrive> drives{{'C', 20ULL * 1073741824ULL}};
    std::string name = "QBOX";
    std::string systemDriveText = "C:\\WINDOWS";
    std::function<std::vector<FixedDrive>(const PathMap&)> onScanDrives; // instead of `drives`
    std::function<std::string()> onSystemDrive;                          // instead of the text
    std::function<std::unique_ptr<db::Connection>(const std::string&, const std::filesystem::path&)>
        onOpenConnection; // none: throws DbError
    std::function<std::unique_ptr<db::DbAdmin>(const std::string&, const std::filesystem::path&)>
        onOpenAdmin; // none: throws DbError

    // --- Programs ---
    struct Program {
        std::uint32_t pid;
        std::string name;
        bool refusesToEnd;
    };
    std::vector<Program> running;
    std::vector<std::string> endRequests; // every endProgram call's name
    std::vector<std::uint32_t> killed;    // pids a kill was sent to (refusing ones too)

    std::uint32_t start(const std::string& program, bool refusesToEnd = false) {
        running.push_back({nextPid_++, program, refusesToEnd});
        return running.back().pid;
    }

    struct Run {
        std::filesystem::path program;
        std::vector<std::string> arguments;
    };
    std::vector<Run> runs;
    std::deque<ProgramRun> scriptedRuns; // answered in order; when empty a run exits with 0
    int repaintsPerRun = 1;              // calls of `whileWaiting` each run makes
    int repaints = 0;

    struct EntryCall {
        std::filesystem::path library;
        RegistrationEntry entry;
    };
    std::vector<EntryCall> entryCalls;
    std::map<std::string, ComponentCall> entryResults; // by library file name; default: called, 0

    // --- Files ---
    bool touchFiles = true;           // false: file operations are only recorded
    std::vector<std::string> fileOps; // "replace SRC > DST", "clear F", "delete F", "list D"
    std::map<std::string, std::vector<std::filesystem::path>> listings; // by folder, when !touchFiles

    std::vector<FixedDrive> scanDrives(const PathMap& map) override {
        return onScanDrives ? onScanDrives(map) : drives;
    }
    std::string computerName() override { return name; }
    std::string systemDrive() override { return onSystemDrive ? onSystemDrive() : systemDriveText; }
    std::unique_ptr<db::Connection> openConnection(const std::string& cs,
                                                   const std::filesystem::path& dir) override {
        if (!onOpenConnection)
            throw db::DbError("no connection in this test");
        return onOpenConnection(cs, dir);
    }
    std::unique_ptr<db::DbAdmin> openAdmin(const std::string& cs, const std::filesystem::path& dir) override {
        if (!onOpenAdmin)
            throw db::DbError("no administration interface in this test");
        return onOpenAdmin(cs, dir);
    }

    // The run lock is the real one: the consoles of a test lock their own scratch folders.
    std::unique_ptr<RunLock> lockRun(const std::filesystem::path& file) override { return tryLockRun(file); }

    std::vector<ProcessEntry> processes() override {
        std::vector<ProcessEntry> out;
        for (const auto& p : running)
            out.push_back({p.pid, p.name});
        return out;
    }
    bool endProgram(const std::string& program, std::chrono::milliseconds) override {
        endRequests.push_back(program);
        const std::string wanted = lowerCase(program);
        std::erase_if(running, [&](const Program& p) {
            if (program.empty() || lowerCase(p.name) != wanted)
                return false;
            killed.push_back(p.pid);
            return !p.refusesToEnd;
        });
        return !isRunning(program);
    }
    ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                          std::chrono::milliseconds, const std::function<void()>& whileWaiting) override {
        runs.push_back({program, arguments});
        for (int i = 0; i < repaintsPerRun && whileWaiting; ++i, ++repaints)
            whileWaiting();
        if (scriptedRuns.empty())
            return {ProgramRun::Outcome::Exited, 0, {}};
        ProgramRun next = scriptedRuns.front();
        scriptedRuns.pop_front();
        return next;
    }
    ComponentCall callRegistrationEntry(const std::filesystem::path& library,
                                        RegistrationEntry entry) override {
        entryCalls.push_back({library, entry});
        const auto it = entryResults.find(library.filename().string());
        return it != entryResults.end() ? it->second : ComponentCall{ComponentCall::Outcome::Called, 0, {}};
    }

    void replaceFile(const std::filesystem::path& source, const std::filesystem::path& target) override {
        fileOps.push_back("replace " + source.string() + " > " + target.string());
        if (touchFiles)
            replaceFileSafely(source, target);
    }
    std::vector<std::filesystem::path> listPlainFiles(const std::filesystem::path& folder) override {
        fileOps.push_back("list " + folder.string());
        return touchFiles ? quillan::listPlainFiles(folder) : listings[folder.string()];
    }
    void clearFileAttributes(const std::filesystem::path& file) override {
        fileOps.push_back("clear " + file.string());
        if (touchFiles)
            quillan::clearFileAttributes(file);
    }
    bool forceDelete(const std::filesystem::path& file) override {
        fileOps.push_back("delete " + file.string());
        return touchFiles ? quillan::forceDelete(file) : true;
    }

private:
    std::uint32_t nextPid_ = 1000;
};

} // namespace quillan::test
