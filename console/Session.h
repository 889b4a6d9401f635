#pragma once
// One process's life as the owner sees it: build the console, start up, run once, and tell how
// it ended. The headless runner and the window both drive a Session, so they cannot differ.
#include "base/Console.h"
#include "console/ExitCode.h"
#include "console/PhaseTimes.h"
#include "console/Startup.h"
#include "platform/DateTime.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace quillan {

class RunPhases;

class Session {
public:
    // On this machine: the session owns a RealMachine, which its console holds.
    Session(std::filesystem::path programFolder, Operator& op);
    // The same on a given machine, which must outlive the session (tests: a FakeMachine).
    Session(std::filesystem::path programFolder, Operator& op, Machine& machine);
    ~Session();

    Console& console() { return console_; }
    // Form_Load. The owner shows its view before calling it when it has one.
    StartupOutcome start();
    // The start timer's event (call once, about 10 ms after an Armed start); does nothing when
    // start-up did not arm the timer or a run already happened.
    void runOnce();
    // A window calls this before start-up: the deployment panels, filled at start-up, are filled
    // again once the run has reached its end (before its closing box), so that they show what the
    // run installed. The headless runner prints the run instead and leaves them.
    void refreshPanelsAtRunEnd();
    ExitCode exitCode() const;
    StartupOutcome startupOutcome() const { return startup_; }
    // The end of the process: the run summary (console/RunSummary.h) as one line of JSON,
    // appended to the runs file of the log folder (the run log says so when it cannot be).
    // Call once, after the run; a second call answers the same line and writes nothing.
    std::string finish();

private:
    std::unique_ptr<Machine> ownMachine_; // before the console, which refers to it
    PhaseTimes phaseTimes_;               // before the console, whose model refers to it
    Console console_;
    std::unique_ptr<RunPhases> phases_;
    StartupOutcome startup_ = StartupOutcome::StoppedWithoutRun;
    bool ran_ = false;
    DateTime started_ = DateTime::now();
    std::optional<std::string> releaseBefore_;
    std::optional<std::string> summary_;
    class PanelRefresh;
    std::unique_ptr<PanelRefresh> panelRefresh_;
};

} // namespace quillan
