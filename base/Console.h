#pragma once
// The console core: the main window's state and the services every phase uses (the database
// connection, the run log, the progress model, the operator). It knows nothing of Qt.
#include "base/ConsoleModel.h"
#include "base/ConsoleState.h"
#include "base/Operator.h"
#include "base/RunLog.h"
#include "platform/PathMap.h"
#include "platform/RunLock.h"
#include "platform/db/Connection.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace quillan {

class Machine; // base/Machine.h: what callers of Console::os include

// How the program must end, as the core decides it. Library code never exits the process; it
// records the decision here and unwinds, and the owner (window or headless runner) acts on it.
enum class Ending {
    None,              // keep running / window stays open
    AlreadyUpToDate,   // program ended: the recorded release is already applied
    OperatorCancelled, // program ended: the operator cancelled at a decision point
    Failure,           // program ended: a check or phase failed ("ends the program at once")
    AnotherRunHolds,   // program ended before any change: another process runs on this installation
    ReleaseRefused,    // program ended: a file of the release failed its verification, nothing changed
};

class Console {
public:
    // On this machine (the process-wide realMachine()).
    Console(std::filesystem::path programFolder, Operator& op);
    // On a given machine, which must outlive the console (the session's own; a test's fake).
    Console(std::filesystem::path programFolder, Operator& op, Machine& machine);

    ConsoleState state;
    ConsoleModel model;
    RunLog log;
    Operator& op;
    Machine& os; // every question to the operating system goes through it
    PathMap paths;
    std::unique_ptr<db::Connection> conn;
    std::unique_ptr<RunLock> runLock; // taken first at start-up, held until the console goes

    const std::filesystem::path& programFolder() const { return programFolder_; }
    // Windows text -> native path, resolved without regard to case where the file exists.
    std::filesystem::path native(std::string_view windowsPath) const;

    // The current text of the status box is replaced (each run message replaces the last).
    void status(const std::string& text) { model.setStatusBox(text); }

    // Records that the program must end now; callers return at once after it.
    void endProgram(Ending why = Ending::Failure) { ending_ = why; }
    bool programEnded() const { return ending_ != Ending::None; }
    Ending ending() const { return ending_; }

private:
    std::filesystem::path programFolder_;
    Ending ending_ = Ending::None;
};

} // namespace quillan
