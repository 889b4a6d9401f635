#pragma once
// Start-up of the main window (Form_Load) and the operations it calls.
#include "base/Console.h"
#include "base/Machine.h"

namespace quillan {

enum class StartupOutcome {
    Armed,             // Timer1 armed: the run starts at its first event
    StoppedWithoutRun, // window stays open, no run
    ProgramEnded,      // see Console::ending() for why
};

// On the console's machine (Console::os).
StartupOutcome Form_Load(Console& c);
// The same on a given machine (drives, computer name, system drive, connection); tests pass the
// machine their console holds.
StartupOutcome Form_Load(Console& c, Machine& m);

// The file in the program folder whose lock the running process holds (one run per installation).
inline constexpr const char* kRunLockFileName = "Quillan.lock";

// The platform's busy notices while a component call keeps the window busy (title "Quillan").
inline constexpr const char* kRequestPendingText = " PLEASE WAIT... OPERATION IN PROGRESS";
inline constexpr const char* kServerBusyText = "PLEASE WAIT... OPERATION IN PROGRESS";

} // namespace quillan
