#include "install/Finishing.h"

#include "base/Progress.h"
#include "base/StatusLine.h"
#include "install/CutRunCopies.h"
#include "install/FinishingStatements.h"
#include "install/HotfixScriptPruning.h"
#include "install/RemovingFiles.h"
#include "install/UndoFailedRun.h"
#include "platform/DateTime.h"

#include <exception>
#include <string>

namespace quillan {

namespace {

constexpr const char* kCompletedWithError = "Completed with Error, Check Error Log for Errors";
constexpr const char* kUndone = "Download with Error, Check Error Log for Errors";

enum class Closing { RollBack, RollBack1 };

const char* failureSuffix(Closing how) {
    return how == Closing::RollBack ? " in RollBack " : " in RollBack1 ";
}

// Exit and View log enabled, the run timer stopped, the busy notice gone: whatever else failed,
// the operator can read the log and leave.
void releaseWindow(Console& c) {
    c.model.setBusy(false); // the run has reached its end: no more waiting, whatever the box says
    c.model.setButton(Button::CmdExit, true);
    c.model.setButton(Button::CmdViewLog, true);
    c.state.timerEnabled = false;
    c.model.setBusy(false);
}

// The error ending: run state "Error" in red, the log shown, the closing message.
void errorOutcome(Console& c, const std::string& message) {
    c.state.run.runFailed = true;
    c.state.run.outcome = RunOutcome::CompletedWithErrors;
    releaseWindow(c);
    showOutcome(c, "Error", kRed);
    ErrorDisplay(c);
    c.op.inform(message);
}

// Step 13: the backup copies of the update folder, then of the backup folder. After a failure
// once installed files were replaced, the backup folder's copies are the only old files left:
// they are kept. A run that did not install the release keeps the copies a cut run saved.
bool removeBackupCopies(Console& c, int phaseReached, bool releaseInstalled) {
    const std::string action = "Removing backup Files";
    setRowStatus(c, Row::RemovingFiles, RowStatus::InProgress);
    const int row = nextGridRow(c);
    LoadToGrid(c, row, action, c.state.updateFolder, 2, rowPercent(c, Row::RemovingFiles));
    const KeptBackupCopies keep = releaseInstalled ? KeptBackupCopies{} : backupCopiesToKeep(c, phaseReached);
    bool ok = RemovingFiles(c, c.state.updateFolder);
    if (ok && c.state.run.runFailed && c.state.run.filesChanged())
        c.log.line(
            ">>-Backup copies kept in " + c.state.backupFolder +
            (c.state.run.installedFileReplaced
                 ? ": the run failed after installed files were replaced"
                 : ": the run failed in a phase that replaces installed files, before it replaced one"));
    else if (ok)
        ok = removeBackupFolderCopies(c, keep);
    if (ok) {
        setRowStatus(c, Row::RemovingFiles, RowStatus::Completed);
        LoadToGrid(c, row, action, c.state.updateFolder, 3, rowPercent(c, Row::RemovingFiles));
    } else {
        failRow(c, Row::RemovingFiles);
        LoadToGrid(c, row, action, c.state.updateFolder, 4, rowPercent(c, Row::RemovingFiles));
    }
    return ok;
}

// Step 3 of both operations, after the release rows were marked.
void writeClosingLabels(Console& c, const std::string& statusText) {
    c.model.setLabel(Label::lblEndTime, DateTime::now().display());
    c.model.setLabel(Label::LblStatus, statusText);
    releaseWindow(c);
    c.model.setLabel(Label::lblDownLoad, "");
    c.model.setLabel(Label::lblLocation, "");
    c.model.setLabel(Label::lblDl, "Downloading      :");
}

bool closeUndone(Console& c, int phaseReached) {
    c.state.run.undoTaken = true;
    const UndoResult undo = undoFailedRun(c, phaseReached);
    c.state.run.undoFinished = true;
    c.state.run.notPutBack = undo.notPutBack;
    if (phaseReached >= 7)
        c.conn->execute(undoneReleaseRowsStatement(c.state.dbPrefix));
    writeClosingLabels(c, kUndone);
    std::string message = kUndone;
    if (!undo.complete()) {
        message += "\r\nThe installation is NOT as it was before the run. Not put back:";
        for (const auto& what : undo.notPutBack)
            message += "\r\n- " + what;
    }
    errorOutcome(c, message);
    return undo.complete();
}

bool close(Console& c, Closing how) {
    RunState& run = c.state.run;
    const int phaseReached = run.completedPhase;
    run.completedPhase = 12;
    if (how == Closing::RollBack && undoApplies(run, phaseReached))
        return closeUndone(c, phaseReached);

    if (!removeBackupCopies(c, phaseReached, how == Closing::RollBack && !run.runFailed)) {
        c.log.line(">>-Backup copies could not be removed; the release rows are left in progress");
        errorOutcome(c, kCompletedWithError);
        return false;
    }
    c.conn->execute(finishReleaseRowsStatement(c.state.dbPrefix));
    writeClosingLabels(c, "Completed Successfuly");
    if (run.runFailed) {
        errorOutcome(c, kCompletedWithError);
    } else if (how == Closing::RollBack) {
        pruneHotfixScripts(c);
        run.outcome = RunOutcome::Completed;
        showOutcome(c, "Completed", kGreen);
        ErrorDisplay(c);
        c.op.inform("Completed Successfully");
    } else {
        pruneHotfixScripts(c);
        setOverall(c, 100);
        run.outcome = RunOutcome::Stopped;
        showOutcome(c, "Pending", kGreen);
        ErrorDisplay(c);
        c.op.inform(run.operatorStopped ? "Quillan Pending" : "File downloaded successfully");
    }
    return true;
}

bool finish(Console& c, Closing how) {
    bool ok = false;
    try {
        ok = close(c, how);
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + failureSuffix(how));
        errorOutcome(c, kCompletedWithError);
    }
    if (how == Closing::RollBack1)
        resetChecklistBars(c);
    return ok;
}

} // namespace

bool RollBack(Console& c) {
    return finish(c, Closing::RollBack);
}

bool RollBack1(Console& c) {
    return finish(c, Closing::RollBack1);
}

} // namespace quillan
