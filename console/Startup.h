#pragma once
// Start-up of the main window (Form_Load) and the operations it calls.
#include "console/Console.h"

namespace quillan {

enum class StartupOutcome {
    Armed,             // Timer1 armed: the run starts at its first event
    StoppedWithoutRun, // window stays open, no run
    ProgramEnded,      // see Console::ending() for why
};

StartupOutcome Form_Load(Console& c);

} // namespace quillan
