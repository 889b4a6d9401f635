#pragma once
// The console as text: every status-box message, every event-grid row written and every label
// change worth reading becomes one line on the output. A status box that shows the run log
// (ErrorDisplay) prints only the log lines not printed before.
#include "base/ConsoleModel.h"

#include <ostream>
#include <string>

namespace quillan {

class HeadlessView : public ModelObserver {
public:
    explicit HeadlessView(std::ostream& out) : out_(out) {}

    void labelChanged(Label l, const std::string& text) override;
    void gridRowChanged(int row, const GridRow& r) override;
    void statusBoxChanged(bool visible, const std::string& text) override;
    void panelChanged(bool current, int index, const std::string& text) override;

private:
    std::ostream& out_;
    std::string lastBox_;
    std::string logShown_; // the part of the run log already printed
};

const char* labelName(Label l);
const char* rowStatusName(RowStatus s);

} // namespace quillan
