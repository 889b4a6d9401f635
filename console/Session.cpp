#include "console/Session.h"

#include "console/RunDriver.h"
#include "console/RunPhases.h"
#include "console/RunSummary.h"
#include "status/RecordedRelease.h"
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
      phases_(makeRunPhases()) {
    console_.model.addObserver(&phaseTimes_);
}

Session::Session(std::filesystem::path programFolder, Operator& op, Machine& machine)
    : console_(std::move(programFolder), op, machine), phases_(makeRunPhases()) {
    console_.model.addObserver(&phaseTimes_);
}

Session::~Session() {
    console_.model.removeObserver(&phaseTimes_);
    if (panelRefresh_)
        console_.model.removeObserver(panelRefresh_.get());
}

// The busy notice shows from start-up until the run has ended (the finishing operation clears it
// as soon as the outcome is written); start-up that arms no run clears it at once.
StartupOutcome Session::start() {
    console_.model.setBusy(true);
    startup_ = Form_Load(console_);
    // Armed, the wait goes on until the run has ended; otherwise nothing more happens.
    console_.model.setBusy(startup_ == StartupOutcome::Armed && !console_.programEnded());
    // The current-deployment panel's version, as start-up filled it: the release before the run.
    if (const std::string& version = console_.model.panel(true, 1); !version.empty())
        releaseBefore_ = version;
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

std::string Session::finish() {
    if (summary_)
        return *summary_;
    RunFacts facts;
    facts.started = started_;
    facts.finished = DateTime::now();
    facts.code = exitCode();
    facts.phases = &phaseTimes_;
    facts.releaseBefore = releaseBefore_;
    // Only a run that installed the release (or found it installed) changes what is installed.
    const bool installed = facts.code == ExitCode::Completed || facts.code == ExitCode::CompletedWithErrors ||
                           facts.code == ExitCode::AlreadyApplied;
    facts.releaseAfter = installed ? NewestRecordedRelease(console_) : releaseBefore_;
    summary_ = runSummaryLine(console_, facts);
    if (const auto file = runsFile(console_)) {
        if (const std::string error = appendRunLine(*file, *summary_); !error.empty())
            console_.log.line(">>-The run summary is not recorded: " + error);
    }
    return *summary_;
}

} // namespace quillan
