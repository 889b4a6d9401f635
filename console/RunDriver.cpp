#include "console/RunDriver.h"

#include "base/Progress.h"
#include "base/StatusLine.h"
#include "console/DeploymentPhases.h"
#include "console/RunPhases.h"

#include <exception>
#include <string>
#include <vector>

namespace quillan {

std::unique_ptr<RunPhases> makeRunPhases() {
    return std::make_unique<DeploymentPhases>();
}

namespace {

void say(Console& c, const std::string& line) {
    c.status(line);
    c.log.line(line);
}

// True when the run goes on after a phase. A phase that ended the program without recording it
// is recorded as a failure here, so that the owner ends the program.
bool goOn(Console& c, PhaseOutcome outcome) {
    if (outcome == PhaseOutcome::ProgramEnded && !c.programEnded())
        c.endProgram(Ending::Failure);
    return outcome == PhaseOutcome::Continue && !c.programEnded();
}

// The pending check's branches; true when the run goes on.
bool afterPendingCheck(Console& c, PendingCheck answer) {
    switch (answer) {
    case PendingCheck::Pending:
        return true;
    case PendingCheck::NothingRecorded:
        say(c, ">>-No Record found to continue the Deploy Process");
        return true;
    case PendingCheck::Applied:
        c.op.inform("Updates Completed successfully");
        say(c, kReleaseAppliedLine);
        c.endProgram(Ending::AlreadyUpToDate);
        return false;
    case PendingCheck::Failed:
        // The check could not tell whether the release is applied: claiming success would hide
        // the error, going on would install blind. Nothing is installed yet, so the program ends
        // on the failure, as it does when a package cannot be fetched.
        c.state.run.runFailed = true;
        say(c, ">>-Deployment status could not be checked; the deployment is not started");
        showErrorSentence(c, "Error while checking the deployment status. Check Log for details");
        ErrorDisplay(c);
        c.endProgram(Ending::Failure);
        return false;
    }
    return false;
}

void runSteps(Console& c, RunPhases& p) {
    c.state.run.operatorStopped = false;
    c.model.setOverall(true, 0);
    advanceOverall(c); // 10

    if (!goOn(c, p.scriptDownload(c)))
        return;
    advanceOverall(c); // 20
    if (!goOn(c, p.scriptImport(c)))
        return;

    if (!afterPendingCheck(c, p.pendingCheck(c)) || c.programEnded())
        return;

    if (!goOn(c, p.pathCorrections(c)))
        return;
    advanceOverall(c); // 30
    if (!goOn(c, p.programDownload(c)))
        return;
    if (!goOn(c, p.downloadVerification(c)))
        return;
    setOverall(c, 40);

    if (!goOn(c, p.unpacking(c)))
        return;
    advanceOverall(c);
    if (!goOn(c, p.databaseBackup(c)))
        return;
    advanceOverall(c);
    if (!goOn(c, p.fileBackup(c)))
        return;
    if (!goOn(c, p.closePrograms(c)))
        return;
    advanceOverall(c);
    if (!goOn(c, p.replaceExes(c)))
        return;
    advanceOverall(c);
    if (!goOn(c, p.hotfixes(c)))
        return;
    advanceOverall(c);
    if (!goOn(c, p.replaceReports(c)))
        return;
    if (!goOn(c, p.replaceOtherFiles(c)))
        return;
    advanceOverall(c); // 100 (capped when the unpacking phase advanced it too)
    if (!goOn(c, p.registration(c)))
        return;
    if (!goOn(c, p.completion(c)))
        return;
    resetProgressDisplay(c);
}

// An error no phase handled: the description alone in a box, and the run ends where it stands,
// without the finishing operation. The failure is kept in runFailed so that no owner reports
// the run as a success.
//
// Nothing is put back on this path, so once the run had changed the installation or the database
// the box and the log say what stays changed, and where the old files are.
std::vector<std::string> changesLeft(const ConsoleState& s) {
    const RunState& run = s.run;
    std::vector<std::string> out;
    if (run.exesReplaced)
        out.push_back("programs replaced in " + s.appPath +
                      " (the run log's \"Replacing Exe\" lines name them)");
    if (run.hotfixRunStarted)
        out.push_back("hotfix scripts run on the database " + s.dbPrefix);
    if (run.reportsReplaced)
        out.push_back("reports replaced (the run log's \"Replacing\" lines name them)");
    if (run.otherFilesReplaced)
        out.push_back("other files replaced (the run log's \"Replacing\" lines name them)");
    if (run.componentsRegistered)
        out.push_back("components registered or replaced");
    return out;
}

void unexpectedError(Console& c, const std::string& description) {
    c.state.run.runFailed = true;
    c.log.line(description + " In RunDeployment");
    const auto changed = changesLeft(c.state);
    std::string message = description;
    if (!changed.empty()) {
        message += "\r\nThe installation is NOT as it was before the run. Changed and not put back:";
        for (const auto& what : changed) {
            c.state.run.notPutBack.push_back(what);
            c.log.line(">>-Not put back: " + what);
            message += "\r\n- " + what;
        }
        if (c.state.run.filesBackedUp)
            message += "\r\nThe old files are kept in " + c.state.backupFolder;
    }
    c.op.inform(message);
}

} // namespace

void RunDeployment(Console& c, RunPhases& phases) {
    try {
        runSteps(c, phases);
    } catch (const std::exception& e) {
        unexpectedError(c, e.what());
    } catch (...) {
        unexpectedError(c, "Unknown error");
    }
}

void Timer1_Timer(Console& c, RunPhases& phases) {
    // The event fires once: the timer is disabled before anything can fail, so that an error in
    // the connection check cannot bring the event (and a run) round again.
    if (!c.state.timerEnabled)
        return;
    c.state.timerEnabled = false;
    c.state.run = RunState{};
    try {
        c.model.processEvents();
        if (c.state.transferMode == 1 && !c.state.ftpConnected) {
            c.status(">>-Connecting to FTP Server");
            phases.ftpLogin(c);
        } else if (c.state.transferMode == 2 && !c.state.httpAvailable) {
            c.status(">>-Connecting to HTTP Server");
            phases.httpLogin(c);
        }
        if (c.programEnded())
            return;
        if (!c.state.isLocalServer)
            c.log.line(">>-Connected to LAN");
        else if (c.state.transferMode == 1)
            c.log.line(">>-Connected to FTP Server");
        else
            c.log.line(">>-Connected to HTTP Server");
        RunDeployment(c, phases);
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In Timer1_Timer ");
    }
}

} // namespace quillan
