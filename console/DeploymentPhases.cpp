#include "console/DeploymentPhases.h"

#include "console/PhaseFrame.h"
#include "console/Progress.h"
#include "platform/DateTime.h"

// The connection checks belong to the transfer library; until it is part of the build the check
// reports itself as not built.
#if defined(QUILLAN_HAVE_TRANSFER) && __has_include("transfer/Ftp.h")
#include "transfer/Ftp.h"
#define QUILLAN_FTP_CHECK 1
#endif
#if defined(QUILLAN_HAVE_TRANSFER) && __has_include("transfer/Http.h")
#include "transfer/Http.h"
#define QUILLAN_HTTP_CHECK 1
#endif

namespace quillan {

namespace {
constexpr const char* kNotBuilt = "not built yet in this version";
} // namespace

std::string notBuiltLine(const std::string& phaseName) {
    return ">>-" + phaseName + ": " + kNotBuilt;
}

void DeploymentPhases::notBuilt(Console& c, int checklistRow, int gridRow, const std::string& phaseName) {
    const std::string line = notBuiltLine(phaseName);
    c.status(line);
    c.log.line(line);
    phaseFailure(c, PhaseRow{checklistRow, gridRow, phaseName, kNotBuilt},
                 phaseName + " is " + kNotBuilt + ". Check Log for details");
}

PhaseOutcome DeploymentPhases::notBuiltEndsRun(Console& c, int checklistRow, const std::string& phaseName) {
    notBuilt(c, checklistRow, nextGridRow(c), phaseName);
    RollBack(c, c.state.completedPhase);
    return PhaseOutcome::RunEnded;
}

bool DeploymentPhases::ftpLogin(Console& c) {
#ifdef QUILLAN_FTP_CHECK
    return FtpLogin(c);
#else
    notBuilt(c, 0, 1, "FTP connection check");
    return false;
#endif
}

bool DeploymentPhases::httpLogin(Console& c) {
#ifdef QUILLAN_HTTP_CHECK
    return HTTPLogin(c);
#else
    notBuilt(c, 0, 1, "HTTP connection check");
    return false;
#endif
}

// A failed script download or import lets the run go on to the pending check.
PhaseOutcome DeploymentPhases::scriptDownload(Console& c) {
    notBuilt(c, 2, 2, "Deploy-script download");
    return PhaseOutcome::Continue;
}

PhaseOutcome DeploymentPhases::scriptImport(Console& c) {
    notBuilt(c, 3, 3, "Deploy-script import");
    return PhaseOutcome::Continue;
}

PendingCheck DeploymentPhases::pendingCheck(Console& c) {
    return DeployProcessCheck(c);
}

PhaseOutcome DeploymentPhases::pathCorrections(Console& c) {
    return notBuiltEndsRun(c, -1, "Path corrections");
}
PhaseOutcome DeploymentPhases::programDownload(Console& c) {
    return notBuiltEndsRun(c, 4, "Program download");
}
PhaseOutcome DeploymentPhases::downloadVerification(Console& c) {
    return notBuiltEndsRun(c, 4, "Download verification");
}
PhaseOutcome DeploymentPhases::unpacking(Console& c) {
    return notBuiltEndsRun(c, 5, "Unpacking");
}
PhaseOutcome DeploymentPhases::databaseBackup(Console& c) {
    return notBuiltEndsRun(c, 6, "Database backup");
}
PhaseOutcome DeploymentPhases::fileBackup(Console& c) {
    return notBuiltEndsRun(c, 7, "File backup");
}
PhaseOutcome DeploymentPhases::closePrograms(Console& c) {
    return notBuiltEndsRun(c, -1, "Closing running programs");
}
PhaseOutcome DeploymentPhases::replaceExes(Console& c) {
    return notBuiltEndsRun(c, 9, "EXE replacement");
}
PhaseOutcome DeploymentPhases::hotfixes(Console& c) {
    return notBuiltEndsRun(c, 8, "Hotfix scripts");
}
PhaseOutcome DeploymentPhases::replaceReports(Console& c) {
    return notBuiltEndsRun(c, 10, "Report replacement");
}
PhaseOutcome DeploymentPhases::replaceOtherFiles(Console& c) {
    return notBuiltEndsRun(c, 11, "Other files replacement");
}
PhaseOutcome DeploymentPhases::registration(Console& c) {
    return notBuiltEndsRun(c, 12, "Component registration");
}
PhaseOutcome DeploymentPhases::completion(Console& c) {
    return notBuiltEndsRun(c, -1, "Completion records");
}

bool DeploymentPhases::RollBack(Console& c, int& completedPhase) {
    (void)completedPhase;
    return finishNotBuilt(c, "RollBack");
}

bool DeploymentPhases::RollBack1(Console& c, int& completedPhase) {
    (void)completedPhase;
    return finishNotBuilt(c, "RollBack1");
}

// Without the finishing operation nothing is cleaned up and no release row is marked; the run is
// still brought to an end the operator can see and leave.
bool DeploymentPhases::finishNotBuilt(Console& c, const std::string& operation) {
    c.log.line(">>-" + operation + ": the finishing operation is " + kNotBuilt +
               "; backup copies are not removed and SetupDetails is not marked");
    c.state.runFailed = true;
    failRow(c, 13);
    LoadToGrid(c, nextGridRow(c), "Removing backup Files", kNotBuilt, 4, rowPercent(c, 13));
    c.state.runFinished = true;
    c.state.timerEnabled = false;
    c.model.setLabel(Label::lblEndTime, DateTime::now().display());
    c.model.setLabel(Label::LblStatus, "Run ended with errors: phases are missing in this version");
    c.model.setLabel(Label::lblPrs, "Error");
    c.model.setLabel(Label::lblDownLoad, "");
    c.model.setLabel(Label::lblLocation, "");
    c.model.setButton(Button::CmdExit, true);
    c.model.setButton(Button::CmdViewLog, true);
    ErrorDisplay(c);
    c.op.inform("Completed with Error, Check Error Log for Errors");
    return false;
}

} // namespace quillan
