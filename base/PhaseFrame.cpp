#include "base/PhaseFrame.h"

#include "base/Progress.h"
#include "base/StatusLine.h"

namespace quillan {

namespace {
bool hasRow(const PhaseRow& r) {
    return r.checklistRow.has_value();
}
} // namespace

std::string phasePercent(const Console& c, const PhaseRow& r) {
    return hasRow(r) ? rowPercent(c, *r.checklistRow) : std::string();
}

void phaseStart(Console& c, const PhaseRow& r, const std::string& startMessage, const std::string& phaseLabel,
                int itemCount) {
    c.status(startMessage);
    if (hasRow(r))
        startRow(c, *r.checklistRow, itemCount);
    LoadToGrid(c, r.gridRow, r.eventText, r.processingName, 2, phasePercent(c, r));
    if (hasRow(r))
        c.model.followInGrid(r.gridRow, *r.checklistRow);
    c.model.setLabel(Label::lblDl, phaseLabel);
}

void phaseItem(Console& c, const PhaseRow& r, const std::string& item, const std::string& location) {
    c.model.setLabel(Label::lblDownLoad, item);
    c.model.setLabel(Label::lblLocation, location);
    if (hasRow(r))
        stepRow(c, *r.checklistRow);
    else
        c.model.processEvents();
}

void phaseSuccess(Console& c, const PhaseRow& r, const std::string& completionMessage) {
    if (hasRow(r))
        setRowStatus(c, *r.checklistRow, RowStatus::Completed);
    LoadToGrid(c, r.gridRow, r.eventText, r.processingName, 3, phasePercent(c, r));
    c.status(completionMessage);
    c.model.setLabel(Label::lblDownLoad, "");
    c.model.setLabel(Label::lblLocation, "");
    if (hasRow(r))
        completeRow(c, *r.checklistRow);
    ErrorDisplay(c);
}

void phaseFailure(Console& c, const PhaseRow& r, const std::string& errorSentence) {
    c.state.run.runFailed = true;
    if (hasRow(r))
        failRow(c, *r.checklistRow);
    // The grid row followed the phase: it keeps how far the phase got.
    LoadToGrid(c, r.gridRow, r.eventText, r.processingName, 4, phasePercent(c, r));
    showErrorSentence(c, errorSentence);
}

} // namespace quillan
