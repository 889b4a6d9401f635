#include "install/CompletionRecords.h"

#include "install/Finishing.h"
#include "install/FinishingStatements.h"

#include <exception>
#include <string>

namespace quillan {

namespace {

// Each record on its own: a failed mandatory mark does not keep the version row from being written.
bool write(Console& c, const std::string& statement) {
    try {
        c.conn->execute(statement);
        return true;
    } catch (const std::exception& e) {
        c.state.run.runFailed = true;
        c.log.line(std::string(e.what()) + " in UpdateDeploymentStatus");
        return false;
    }
}

} // namespace

bool UpdateDeploymentStatus(Console& c) {
    c.model.setLabel(Label::lblRegMessage, "");
    c.state.run.completedPhase = 12;
    const bool marked = write(c, mandatoryInstallMark(c.state.dbPrefix));
    const bool versioned = write(c, versionRowBatch(c.state.dbPrefix, c.state.computerName));
    const bool closed = RollBack(c);
    return marked && versioned && closed;
}

} // namespace quillan
