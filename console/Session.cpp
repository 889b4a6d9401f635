#include "console/Session.h"

#include "console/RunDriver.h"
#include "console/RunPhases.h"
#include "status/StatusPanel.h"

namespace quillan {

// The run has reached its end when the model drops its wait banner (the finishing operation does,
// before it shows the outcome). A program that is ending, or a connection already released, has
// nothing left to show.
class Session::PanelRefresh : public ModelObserver {
public:
    explicit PanelRefresh(Session& s) : s_(s) {}
    void busyChanged(bool busy) override {
        Console& c = s_.console_;
        if (busy || done_ || !s_.ran_ || c.programEnded() || !c.conn)
            return;
        done_ = true;
        CurrentDeployStatus(c);
    }

private:
    Session& s_;
    bool done_ = false;
};

Session::Session(std::filesystem::path programFolder, Operator& op)
    : ownMachine_(std::make_unique<RealMachine>()), console_(std::move(programFolder), op, *ownMachine_),
      phases_(makeRunPhases()) {}

Session::Session(std::filesystem::path programFolder, Operator& op, Machine& machine)
    : console_(std::move(programFolder), op, machine), phases_(makeRunPhases()) {}

Session::~Session() {
    if (panelRefresh_)
        console_.model.removeObserver(panelRefresh_.get());
}

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

void Session::refreshPanelsAtRunEnd() {
    if (panelRefresh_)
        return;
    panelRefresh_ = std::make_unique<PanelRefresh>(*this);
    console_.model.addObserver(panelRefresh_.get());
}

ExitCode Session::exitCode() const {
    return exitCodeFor(console_, startup_);
}

} // namespace quillan
