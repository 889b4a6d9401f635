#include "console/Session.h"

#include "console/RunDriver.h"
#include "console/RunPhases.h"
#include "status/StatusPanel.h"

namespace quillan {

Session::Session(std::filesystem::path programFolder, Operator& op)
    : ownMachine_(std::make_unique<RealMachine>()), console_(std::move(programFolder), op, *ownMachine_),
      phases_(makeRunPhases()) {}

Session::Session(std::filesystem::path programFolder, Operator& op, Machine& machine)
    : console_(std::move(programFolder), op, machine), phases_(makeRunPhases()) {}

Session::~Session() = default;

StartupOutcome Session::start() {
    console_.model.setBusy(true);
    startup_ = Form_Load(console_);
    // Armed, the wait goes on until the run has ended; otherwise nothing more happens.
    console_.model.setBusy(startup_ == StartupOutcome::Armed && !console_.programEnded());
    return startup_;
}

void Session::runOnce() {
    if (ran_ || startup_ != StartupOutcome::Armed || !console_.state.timerEnabled || console_.programEnded())
        return;
    ran_ = true;
    Timer1_Timer(console_, *phases_);
    console_.model.setBusy(false);
}

void Session::refreshPanels() {
    // A program that is ending, or a connection already released, has nothing left to show.
    if (ran_ && !console_.programEnded() && console_.conn)
        CurrentDeployStatus(console_);
}

ExitCode Session::exitCode() const {
    return exitCodeFor(console_, startup_);
}

} // namespace quillan
