#pragma once
// The phases of a run, each calling its phase and mapping the result to an outcome: a failed
// installation phase closes the run at once, so that no later phase changes the installation on
// top of a step that did not happen.
#include "console/RunPhases.h"
#include "transfer/TransferSession.h"

namespace quillan {

class DeploymentPhases : public RunPhases {
public:
    bool ftpLogin(Console& c) override;
    bool httpLogin(Console& c) override;

    PhaseOutcome scriptDownload(Console& c) override;
    PhaseOutcome scriptImport(Console& c) override;
    PendingCheck pendingCheck(Console& c) override;
    PhaseOutcome pathCorrections(Console& c) override;
    PhaseOutcome programDownload(Console& c) override;
    PhaseOutcome downloadVerification(Console& c) override;
    PhaseOutcome unpacking(Console& c) override;
    PhaseOutcome databaseBackup(Console& c) override;
    PhaseOutcome fileBackup(Console& c) override;
    PhaseOutcome closePrograms(Console& c) override;
    PhaseOutcome replaceExes(Console& c) override;
    PhaseOutcome hotfixes(Console& c) override;
    PhaseOutcome replaceReports(Console& c) override;
    PhaseOutcome replaceOtherFiles(Console& c) override;
    PhaseOutcome registration(Console& c) override;
    PhaseOutcome completion(Console& c) override;

    // The transports' state of this run (login connection, listing, script mode, download
    // state), handed to every transfer procedure a phase calls.
    TransferSession& transfer() { return transfer_; }

private:
    TransferSession transfer_;
};

} // namespace quillan
