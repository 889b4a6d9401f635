#include "install/Finishing.h"

#include "base/Progress.h"
#include "platform/DateTime.h"

#include <string>

namespace quillan {

namespace {

constexpr const char* kNotBuilt = "not built yet in this version";

// Without the finishing operation nothing is cleaned up and no release row is marked; the run is
// still brought to an end the operator can see and leave, and it says it ended with errors.
bool finishNotBuilt(Console& c, const std::string& operation) {
    c.log.line(">>-" + operation + ": the finishing operation is " + kNotBuilt +
               "; backup copies are not removed and SetupDetails is not marked");
    c.state.run.runFailed = true;
    failRow(c, Row::RemovingFiles);
    LoadToGrid(c, nextGridRow(c), "Removing backup Files", kNotBuilt, 4, rowPercent(c, Row::RemovingFiles));
    c.state.run.outcome = RunOutcome::CompletedWithErrors;
    c.state.timerEnabled = false;
    c.model.setLabel(Label::lblEndTime, DateTime::now().display());
    c.model.setLabel(Label::LblStatus, "Run ended with errors: phases are missing in this version");
    c.model.setLabel(Label::lblPrs, "Error");
    c.model.setLabel(Label::lblDownLoad, "");
    c.model.setLabel(Label::lblLocation, "");
    c.model.setButton(Button::CmdExit, true);
    c.model.setButton(Button::CmdViewLog, true);
    ErrorDisplay(c);
    c.op.inform("Completed with Error, Check Error Log for Errors");
    return false;
}

} // namespace

bool RollBack(Console& c) {
    return finishNotBuilt(c, "RollBack");
}

bool RollBack1(Console& c) {
    return finishNotBuilt(c, "RollBack1");
}

} // namespace quillan
