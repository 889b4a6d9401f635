#pragma once
// The phases the run driver calls, in the order it calls them. Each phase drives its own
// checklist row, grid row, run-log lines and failure reaction (the finishing operation, a
// message, ending the program) and answers how the run goes on; the driver owns only the order,
// the overall bar, the pending-check branches and the unexpected-error path.
#include "base/Console.h"
#include "status/StatusPanel.h"

namespace quillan {

enum class PhaseOutcome {
    Continue,     // done, or a failure recorded that lets the run go on
    RunEnded,     // the phase closed the run (finishing operation called); the window stays open
    ProgramEnded, // the phase ended the program (Console::endProgram)
};

class RunPhases {
public:
    virtual ~RunPhases() = default;

    // Server connection check before the run (checklist row 0; the HTTP check also grid row 1).
    // Any answer lets the run start.
    virtual bool ftpLogin(Console& c) = 0;
    virtual bool httpLogin(Console& c) = 0;

    virtual PhaseOutcome scriptDownload(Console& c) = 0; // row 2, grid row 2
    virtual PhaseOutcome scriptImport(Console& c) = 0;   // row 3, grid row 3
    // Whether the recorded release is still to be applied.
    virtual PendingCheck pendingCheck(Console& c) = 0;
    virtual PhaseOutcome pathCorrections(Console& c) = 0;      // component paths, program folders
    virtual PhaseOutcome programDownload(Console& c) = 0;      // row 4, grid rows from 4
    virtual PhaseOutcome downloadVerification(Console& c) = 0; // sizes, split packages, continue?
    virtual PhaseOutcome unpacking(Console& c) = 0;            // row 5
    virtual PhaseOutcome databaseBackup(Console& c) = 0;       // row 6 (skips itself on a LAN client)
    virtual PhaseOutcome fileBackup(Console& c) = 0;           // row 7
    virtual PhaseOutcome closePrograms(Console& c) = 0;        // running programs of the release
    virtual PhaseOutcome replaceExes(Console& c) = 0;          // row 9
    virtual PhaseOutcome hotfixes(Console& c) = 0;             // row 8 (skips itself on a LAN client)
    virtual PhaseOutcome replaceReports(Console& c) = 0;       // row 10
    virtual PhaseOutcome replaceOtherFiles(Console& c) = 0;    // row 11
    virtual PhaseOutcome registration(Console& c) = 0;         // row 12
    // Completion records, then the finishing operation; the driver resets the display after it.
    virtual PhaseOutcome completion(Console& c) = 0;
};

} // namespace quillan
