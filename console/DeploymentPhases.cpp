#include "console/DeploymentPhases.h"

#include "base/PhaseFrame.h"
#include "base/Progress.h"
#include "platform/DateTime.h"

#include "console/DownloadVerification.h"
#include "console/PathCorrections.h"
#include "console/ProgramDownload.h"
#include "install/ClosingPrograms.h"
#include "install/CompletionRecords.h"
#include "install/DatabaseBackup.h"
#include "install/FileBackup.h"
#include "install/FileReplacement.h"
#include "install/Finishing.h"
#include "install/Hotfixes.h"
#include "install/Registration.h"
#include "install/Unpacking.h"
#include "scripts/ReleaseTrust.h"
#include "scripts/ScriptPhases.h"
#include "transfer/Ftp.h"
#include "transfer/Http.h"

namespace quillan {

bool DeploymentPhases::ftpLogin(Console& c) {
    return FtpLogin(c, transfer_.ftp);
}

bool DeploymentPhases::httpLogin(Console& c) {
    return HTTPLogin(c, transfer_.http);
}

// A failed script download or import lets the run go on to the pending check.
PhaseOutcome DeploymentPhases::scriptDownload(Console& c) {
    DeployScriptDownloadPhase(c, transfer_);
    return PhaseOutcome::Continue;
}

// The panels were filled at start-up from the release rows then recorded; the import has just
// replaced them with the release this run installs, so they are read again.
PhaseOutcome DeploymentPhases::scriptImport(Console& c) {
    DeployScriptImportPhase(c);
    CurrentDeployStatus(c);
    return PhaseOutcome::Continue;
}

PendingCheck DeploymentPhases::pendingCheck(Console& c) {
    return DeployProcessCheck(c);
}

PhaseOutcome DeploymentPhases::pathCorrections(Console& c) {
    PathCorrections(c);
    return PhaseOutcome::Continue;
}
PhaseOutcome DeploymentPhases::programDownload(Console& c) {
    return ProgramDownload(c, transfer_);
}
PhaseOutcome DeploymentPhases::downloadVerification(Console& c) {
    return DownloadVerification(c);
}
PhaseOutcome DeploymentPhases::unpacking(Console& c) {
    return Unpacking(c) ? PhaseOutcome::Continue : PhaseOutcome::ProgramEnded;
}
PhaseOutcome DeploymentPhases::databaseBackup(Console& c) {
    return DatabaseBackupPhase(c) ? PhaseOutcome::Continue : PhaseOutcome::ProgramEnded;
}
PhaseOutcome DeploymentPhases::fileBackup(Console& c) {
    return BackupSupportingFiles(c) ? PhaseOutcome::Continue : PhaseOutcome::RunEnded;
}
PhaseOutcome DeploymentPhases::closePrograms(Console& c) {
    return ClosingRunningPrograms(c) ? PhaseOutcome::Continue : PhaseOutcome::RunEnded;
}
PhaseOutcome DeploymentPhases::replaceExes(Console& c) {
    return ReplaceFiles(c, ReplacedFiles::Exes) ? PhaseOutcome::Continue : PhaseOutcome::RunEnded;
}
PhaseOutcome DeploymentPhases::hotfixes(Console& c) {
    return HotfixPhase(c) ? PhaseOutcome::Continue : PhaseOutcome::RunEnded;
}
PhaseOutcome DeploymentPhases::replaceReports(Console& c) {
    return ReplaceFiles(c, ReplacedFiles::Reports) ? PhaseOutcome::Continue : PhaseOutcome::RunEnded;
}
PhaseOutcome DeploymentPhases::replaceOtherFiles(Console& c) {
    return ReplaceFiles(c, ReplacedFiles::OtherFiles) ? PhaseOutcome::Continue : PhaseOutcome::RunEnded;
}
PhaseOutcome DeploymentPhases::registration(Console& c) {
    return RegisterComponents(c) ? PhaseOutcome::Continue : PhaseOutcome::RunEnded;
}
// The records, then RollBack; the driver resets the display after it.
PhaseOutcome DeploymentPhases::completion(Console& c) {
    UpdateDeploymentStatus(c);
    // A release verified and installed without a failure is the one an older one may not replace.
    if (c.state.run.verifiedRelease > 0 && c.state.run.outcome == RunOutcome::Completed) {
        try {
            recordAppliedRelease(c, c.state.run.verifiedRelease);
        } catch (const std::exception& e) {
            c.log.line(">>-" + std::string(e.what()) + " recording release " +
                       std::to_string(c.state.run.verifiedRelease) + " as applied");
        }
    }
    return PhaseOutcome::Continue;
}

} // namespace quillan
