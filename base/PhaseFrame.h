#pragma once
// The frame every phase drives its checklist row and its event-grid row through: start, one
// step per item, then success or failure. The bar and the percent label show while the phase
// moves them, and the grid row's "Status %" cell follows the label until the phase ends.
#include "base/Console.h"

#include <optional>
#include <string>

namespace quillan {

struct PhaseRow {
    std::optional<Row> checklistRow; // empty: the phase has no checklist row of its own
    int gridRow = 0;
    std::string eventText;
    std::string processingName;
};

// Status box gets the start message; row in progress with its bar and percent label shown,
// maximum = items, value 0; grid row written with status 2, its percent following the row;
// lblDl names the phase.
void phaseStart(Console& c, const PhaseRow& r, const std::string& startMessage, const std::string& phaseLabel,
                int itemCount);
// One item: bar + 1 and its percent text; lblDownLoad / lblLocation show the item.
void phaseItem(Console& c, const PhaseRow& r, const std::string& item, const std::string& location);
// Row completed, grid row status 3, status box gets the completion message, item labels emptied,
// bar 0 and hidden, percent label hidden, then the log so far in the status box.
void phaseSuccess(Console& c, const PhaseRow& r, const std::string& completionMessage);
// runFailed; row failed, its bar and label hidden; grid row status 4 with the percent the phase
// had reached; LblStatus gets the error sentence in red. What
// follows (go on, finish the run, end the program) is the phase's own decision.
void phaseFailure(Console& c, const PhaseRow& r, const std::string& errorSentence);

// The percent text the grid copies for this phase ("" without a checklist row).
std::string phasePercent(const Console& c, const PhaseRow& r);

} // namespace quillan
