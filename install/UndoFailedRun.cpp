#include "install/UndoFailedRun.h"

#include "base/Progress.h"
#include "install/CutRunCopies.h"
#include "install/PutBackOldFiles.h"
#include "install/RemovingFiles.h"
#include "install/RestoreDb.h"

#include <functional>

namespace quillan {

namespace {

constexpr int kFirstInstallationPhase = 4, kLastInstallationPhase = 11;
constexpr int kBackupFolderFromPhase = 6; // before the database backup the folder holds no copy of this run

struct Action {
    std::string notDone; // what stays as the failed run left it when this action does not succeed
    std::function<std::vector<std::string>()> run; // answers what it could not do; empty: done
};

std::vector<std::string> onlyIf(bool ok, const std::string& notDone) {
    return ok ? std::vector<std::string>{} : std::vector<std::string>{notDone};
}

std::vector<Action> actionsFor(Console& c, int phaseReached) {
    const RunState& run = c.state.run;
    std::vector<Action> actions;
    const std::string update = "the backup copies in " + c.state.updateFolder + " were not removed";
    actions.push_back(
        {update, [&c, update] { return onlyIf(RemovingFiles(c, c.state.updateFolder), update); }});
    if (run.hotfixRunStarted) {
        const std::string db = "the database " + c.state.dbPrefix + " was not restored";
        actions.push_back({db, [&c, db] {
                               if (!c.state.run.databaseBackedUp) {
                                   c.log.line(
                                       ">>-The database cannot be restored: no backup of it was taken");
                                   return std::vector<std::string>{db};
                               }
                               return onlyIf(RestoreDb(c), db);
                           }});
    } else if (phaseReached >= 7) {
        c.log.line(">>-The database is left as it is: no hotfix script ran on it");
    }
    if (run.filesChanged())
        actions.push_back(
            {"the installed files the run replaced were not put back", [&c] { return putBackOldFiles(c); }});
    if (phaseReached >= kBackupFolderFromPhase) {
        // Told now, before the first action empties the update folder they are told by.
        const KeptBackupCopies keep = backupCopiesToKeep(c, phaseReached);
        const std::string backup = "the backup copies in " + c.state.backupFolder + " were not removed";
        actions.push_back(
            {backup, [&c, backup, keep] { return onlyIf(removeBackupFolderCopies(c, keep), backup); }});
    }
    return actions;
}

} // namespace

bool undoApplies(const RunState& run, int phaseReached) {
    return run.runFailed && !run.operatorStopped && phaseReached >= kFirstInstallationPhase &&
           phaseReached <= kLastInstallationPhase;
}

UndoResult undoFailedRun(Console& c, int phaseReached) {
    failRow(c, static_cast<Row>(phaseReached + 1));
    const auto actions = actionsFor(c, phaseReached);
    startRow(c, Row::RollBackForError, static_cast<int>(actions.size()));
    const int gridRow = nextGridRow(c);
    LoadToGrid(c, gridRow, "Roll Back for Error", c.state.backupFolder, 2,
               rowPercent(c, Row::RollBackForError));
    c.status(">>-Started Roll Back for Error");
    c.log.line(">>-Started Roll Back for Error");

    UndoResult result;
    for (const auto& action : actions) {
        if (!result.complete()) { // an earlier action failed: this one is not attempted
            result.notPutBack.push_back(action.notDone);
            continue;
        }
        for (auto& what : action.run())
            result.notPutBack.push_back(what);
        stepRow(c, Row::RollBackForError);
    }

    if (result.complete()) {
        completeRow(c, Row::RollBackForError);
        LoadToGrid(c, gridRow, "Roll Back for Error", c.state.backupFolder, 3,
                   rowPercent(c, Row::RollBackForError));
        c.log.line(">>-Roll Back for Error completed");
    } else {
        failRow(c, Row::RollBackForError);
        LoadToGrid(c, gridRow, "Roll Back for Error", c.state.backupFolder, 4,
                   rowPercent(c, Row::RollBackForError));
        c.log.line(">>-Roll Back for Error failed. Not put back:");
        for (const auto& what : result.notPutBack)
            c.log.line(">>-  " + what);
    }
    return result;
}

} // namespace quillan
