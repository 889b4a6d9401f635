#include "console/Session.h"

#ifdef QUILLAN_HAVE_RUN_DRIVER
#include "console/RunDriver.h"
#include "console/RunPhases.h"
#else
namespace quillan {
// This build has no run driver: nothing to hold.
class RunPhases {};
} // namespace quillan
#endif

namespace quillan {

Session::Session(std::filesystem::path programFolder, Operator& op)
    : Session(std::move(programFolder), op, Machine::real()) {}

Session::Session(std::filesystem::path programFolder, Operator& op, Machine machine)
    : console_(std::move(programFolder), op), machine_(std::move(machine)) {
#ifdef QUILLAN_HAVE_RUN_DRIVER
    phases_ = makeRunPhases();
#endif
}

Session::~Session() = default;

bool Session::runDriverBuilt() {
#ifdef QUILLAN_HAVE_RUN_DRIVER
    return true;
#else
    return false;
#endif
}

StartupOutcome Session::start() {
    startup_ = Form_Load(console_, machine_);
    return startup_;
}

void Session::runOnce() {
    if (ran_ || startup_ != StartupOutcome::Armed || !console_.state.timerEnabled || console_.programEnded())
        return;
    ran_ = true;
#ifdef QUILLAN_HAVE_RUN_DRIVER
    Timer1_Timer(console_, *phases_);
#else
    // Say so where the run would start; the timer stays armed, so the outcome reads "pending".
    const std::string text =
        ">>-No run is wired into this build yet: the run driver is not built into this program";
    console_.log.line(text);
    console_.status(text);
#endif
}

ExitCode Session::exitCode() const {
    return exitCodeFor(console_, startup_);
}

} // namespace quillan
