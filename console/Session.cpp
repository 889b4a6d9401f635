#include "console/Session.h"

#include "console/RunDriver.h"
#include "console/RunPhases.h"

namespace quillan {

Session::Session(std::filesystem::path programFolder, Operator& op)
    : ownMachine_(std::make_unique<RealMachine>()), console_(std::move(programFolder), op, *ownMachine_),
      phases_(makeRunPhases()) {}

Session::Session(std::filesystem::path programFolder, Operator& op, Machine& machine)
    : console_(std::move(programFolder), op, machine), phases_(makeRunPhases()) {}

Session::~Session() = default;

// The busy notice shows from start-up until the run has ended (the finishing operation clears it
// as soon as the outcome is written); start-up that arms no run clears it at once.
StartupOutcome Session::start() {
    console_.model.setBusy(true);
    startup_ = Form_Load(console_);
    if (startup_ != StartupOutcome::Armed)
        console_.model.setBusy(false);
    return startup_;
}

void Session::runOnce() {
    if (ran_ || startup_ != StartupOutcome::Armed || !console_.state.timerEnabled || console_.programEnded())
        return;
    ran_ = true;
    Timer1_Timer(console_, *phases_);
    console_.model.setBusy(false);
}

ExitCode Session::exitCode() const {
    return exitCodeFor(console_, startup_);
}

} // namespace quillan
