#include "console/Session.h"

#include "console/RunDriver.h"
#include "console/RunPhases.h"

namespace quillan {

Session::Session(std::filesystem::path programFolder, Operator& op)
    : Session(std::move(programFolder), op, Machine::real()) {}

Session::Session(std::filesystem::path programFolder, Operator& op, Machine machine)
    : console_(std::move(programFolder), op), machine_(std::move(machine)), phases_(makeRunPhases()) {}

Session::~Session() = default;

StartupOutcome Session::start() {
    startup_ = Form_Load(console_, machine_);
    return startup_;
}

void Session::runOnce() {
    if (ran_ || startup_ != StartupOutcome::Armed || !console_.state.timerEnabled || console_.programEnded())
        return;
    ran_ = true;
    Timer1_Timer(console_, *phases_);
}

ExitCode Session::exitCode() const {
    return exitCodeFor(console_, startup_);
}

} // namespace quillan
