#pragma once
// The phases of a run as built so far. A phase that is not built yet says so in the status box
// and the run log, and records a failure through the phase frame: it never reports work it did
// not do as completed. After a missing installation phase the run is closed at once, so that no
// later phase changes the installation on top of a step that did not happen.
#include "console/RunPhases.h"
#include "transfer/TransferSession.h"

#include <optional>
#include <string>

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

protected:
    // Reports a phase that is not built: status box and log line, failure through the frame.
    void notBuilt(Console& c, std::optional<Row> checklistRow, int gridRow, const std::string& phaseName);
    // notBuilt, then the run is closed through the finishing operation.
    PhaseOutcome notBuiltEndsRun(Console& c, std::optional<Row> checklistRow, const std::string& phaseName);

private:
    TransferSession transfer_;
};

// The line a missing piece writes to the status box and the run log.
std::string notBuiltLine(const std::string& phaseName);

} // namespace quillan
