#pragma once
// The closing of the release's running programs before their files are replaced (no checklist
// row). The 'AutoConfig2' switch chooses how: Status 1 asks the operator to close each one and
// ends them after a Yes; any other Status waits until the operator has closed them; no switch row
// tests nothing. When the database server is this machine, the application's FN_Hostnames()
// messages then name the other workstations that still run it, until none is left.
#include "base/Console.h"

#include <chrono>

namespace quillan {

// Every wait of the phase is bounded, and its tests are paced, so that a program nobody closes
// (above all in an unattended run, where nobody reads the boxes) ends in the refusal path instead
// of holding the run for ever.
struct ClosingLimits {
    std::chrono::milliseconds pause{1000};                            // between two tests
    std::chrono::milliseconds attendedWait{std::chrono::minutes(30)}; // the operator's own time
    std::chrono::milliseconds unattendedWait{std::chrono::minutes(2)};
    std::chrono::milliseconds endWait{std::chrono::seconds(10)}; // for an ended program to be gone
};

// True when the run goes on (completedPhase 8, overall bar advanced). False when the operator
// refused, or a wait ran out (taken as a refusal, logged): operatorStopped is set and the run is
// closed through RollBack1.
bool ClosingRunningPrograms(Console& c, const ClosingLimits& limits = {});

// Pauses about `length`, letting the window repaint meanwhile.
void pauseWithEvents(Console& c, std::chrono::milliseconds length);

} // namespace quillan
