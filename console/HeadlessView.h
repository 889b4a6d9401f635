#pragma once
// The console as text: every status-box message, every event-grid row written and every label
// change worth reading becomes one line on the output, and so does every change of a checklist
// row's picture (new, in progress, completed, failed). A status box that shows the run log
// (ErrorDisplay) prints only the log lines not printed before.
#include "base/ConsoleModel.h"

#include <array>
#include <ostream>
#include <string>

namespace quillan {

class HeadlessView : public ModelObserver {
public:
    explicit HeadlessView(std::ostream& out) : out_(out) { pictures_.fill(RowStatus::New); }

    void labelChanged(Label l, const std::string& text) override;
    void checklistChanged(int index, const ChecklistRow& r) override;
    void gridRowChanged(int row, const GridRow& r) override;
    void statusBoxChanged(bool visible, const std::string& text) override;
    void panelChanged(bool current, int index, const std::string& text) override;

    // The run log's lines not printed yet, at the end of the process: a run that ended early on a
    // box alone (no log shown after its last lines) still prints the lines that tell why.
    void showUnprintedLog(const std::string& wholeLog);

private:
    void printLogDump(const std::string& text);

    std::ostream& out_;
    std::array<RowStatus, kChecklistRows> pictures_; // the picture last printed per row
    std::string lastBox_;
    std::string logShown_; // the part of the run log already printed
};

const char* labelName(Label l);
const char* rowStatusName(RowStatus s);

} // namespace quillan
