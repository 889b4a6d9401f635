#include "base/Progress.h"

#include "platform/DateTime.h"

#include <algorithm>
#include <exception>

namespace quillan {

namespace {

// The grid's "Status %" column in one form, "N %", whichever form the step's label has ("75 %",
// "100%", a plain "25"); any other text is shown as it is.
std::string gridPercent(const std::string& text) {
    std::size_t digits = 0;
    while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    if (digits == 0)
        return text;
    const std::string rest = text.substr(digits);
    if (rest.empty() || rest == "%" || rest == " %")
        return text.substr(0, digits) + " %";
    return text;
}

} // namespace

void LoadToGrid(Console& c, int row, const std::string& eventText, const std::string& processingName,
                int status, const std::string& percentText) {
    if (status < 1 || status > 4)
        return;
    try {
        GridRow r;
        r.status = static_cast<RowStatus>(status);
        r.event = eventText;
        r.processingName = processingName;
        r.time = DateTime::now().display();
        r.percent = gridPercent(percentText);
        c.model.setGridRow(row, r);
        c.model.processEvents();
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In LoadToGrid");
    }
}

void ErrorDisplay(Console& c) {
    c.model.setStatusBoxVisible(true);
    c.model.setStatusBox("");
    try {
        c.model.setStatusBox(c.log.readAll());
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In Error Display");
    }
}

void setRowStatus(Console& c, Row row, RowStatus status) {
    ChecklistRow r = c.model.checklist(row);
    r.status = status;
    c.model.setChecklist(row, r);
}

void startRow(Console& c, Row row, int itemCount) {
    ChecklistRow r = c.model.checklist(row);
    r.status = RowStatus::InProgress;
    // The step's bar and percent label show from its start, so that the operator sees it move.
    r.barVisible = true;
    r.percentVisible = true;
    r.barMax = std::max(itemCount, 0);
    r.barValue = 0;
    r.percentText = percentText(0, r.barMax);
    c.model.setChecklist(row, r);
}

void setRowValue(Console& c, Row row, int value) {
    ChecklistRow r = c.model.checklist(row);
    r.barValue = std::clamp(value, 0, r.barMax);
    r.percentText = percentText(r.barValue, r.barMax);
    // A step that moves is seen moving; a finished or failed step's bar stays as it was left.
    if (r.status == RowStatus::InProgress)
        r.barVisible = r.percentVisible = true;
    c.model.setChecklist(row, r);
}

void stepRow(Console& c, Row row) {
    setRowValue(c, row, c.model.checklist(row).barValue + 1);
    const ChecklistRow& r = c.model.checklist(row);
    c.model.reportAmount(row, static_cast<std::uint64_t>(std::max(r.barValue, 0)),
                         static_cast<std::uint64_t>(std::max(r.barMax, 0)), AmountUnit::Items);
    c.model.processEvents();
}

void completeRow(Console& c, Row row) {
    ChecklistRow r = c.model.checklist(row);
    r.status = RowStatus::Completed;
    r.barValue = 0;
    r.barVisible = false;
    r.percentVisible = false;
    c.model.setChecklist(row, r);
}

void failRow(Console& c, Row row) {
    c.state.run.runFailed = true;
    ChecklistRow r = c.model.checklist(row);
    r.status = RowStatus::Failed;
    r.barVisible = false;
    r.percentVisible = false;
    r.percentText = "0 %";
    c.model.setChecklist(row, r);
}

const std::string& rowPercent(const Console& c, Row row) {
    return c.model.checklist(row).percentText;
}

void advanceOverall(Console& c) {
    setOverall(c, c.model.overallValue() + 10);
}

void setOverall(Console& c, int value) {
    c.model.setOverall(c.model.overallVisible(), std::clamp(value, 0, 100));
}

int nextGridRow(Console& c) {
    return c.state.run.gridRowCounter++;
}

void resetChecklistBars(Console& c) {
    for (int i = 0; i < kChecklistRows; ++i) {
        const Row row = static_cast<Row>(i);
        ChecklistRow r = c.model.checklist(row);
        r.barValue = 0;
        r.barVisible = false;
        r.percentText.clear();
        r.percentVisible = false;
        c.model.setChecklist(row, r);
    }
}

void resetProgressDisplay(Console& c) {
    resetChecklistBars(c);
    c.model.setOverall(false, c.model.overallValue());
}

} // namespace quillan
