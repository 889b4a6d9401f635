#include "console/Progress.h"

#include "platform/DateTime.h"

#include <algorithm>
#include <exception>

namespace quillan {

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
        r.percent = percentText;
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

void setRowStatus(Console& c, int index, RowStatus status) {
    ChecklistRow r = c.model.checklist(index);
    r.status = status;
    c.model.setChecklist(index, r);
}

void startRow(Console& c, int index, int itemCount) {
    ChecklistRow r = c.model.checklist(index);
    r.status = RowStatus::InProgress;
    r.barVisible = false;
    r.percentVisible = false;
    r.barMax = std::max(itemCount, 0);
    r.barValue = 0;
    r.percentText = percentText(0, r.barMax);
    c.model.setChecklist(index, r);
}

void setRowValue(Console& c, int index, int value) {
    ChecklistRow r = c.model.checklist(index);
    r.barValue = std::clamp(value, 0, r.barMax);
    r.percentText = percentText(r.barValue, r.barMax);
    c.model.setChecklist(index, r);
}

void stepRow(Console& c, int index) {
    setRowValue(c, index, c.model.checklist(index).barValue + 1);
    c.model.processEvents();
}

void completeRow(Console& c, int index) {
    ChecklistRow r = c.model.checklist(index);
    r.status = RowStatus::Completed;
    r.barValue = 0;
    r.barVisible = false;
    r.percentVisible = false;
    c.model.setChecklist(index, r);
}

void failRow(Console& c, int index) {
    c.state.runFailed = true;
    ChecklistRow r = c.model.checklist(index);
    r.status = RowStatus::Failed;
    r.percentText = "0 %";
    c.model.setChecklist(index, r);
}

const std::string& rowPercent(const Console& c, int index) {
    return c.model.checklist(index).percentText;
}

void advanceOverall(Console& c) {
    setOverall(c, c.model.overallValue() + 10);
}

void setOverall(Console& c, int value) {
    c.model.setOverall(c.model.overallVisible(), std::clamp(value, 0, 100));
}

int nextGridRow(Console& c) {
    return c.state.gridRowCounter++;
}

void resetProgressDisplay(Console& c) {
    for (int i = 0; i < kChecklistRows; ++i) {
        ChecklistRow r = c.model.checklist(i);
        r.barValue = 0;
        r.barVisible = false;
        r.percentText.clear();
        r.percentVisible = false;
        c.model.setChecklist(i, r);
    }
    c.model.setOverall(false, c.model.overallValue());
}

} // namespace quillan
