#pragma once
// The progress operations every phase uses: checklist rows, the overall bar, event-grid rows and
// the status box. They write the console's model; views render it.
#include "base/Console.h"

#include <string>

namespace quillan {

// Writes one event-grid row (time column = now, "DD/MM/YYYY HH:MM:SS"; the percent column in the
// one form "N %" whatever form the label has). Any status other than
// 1 to 4 writes nothing.
void LoadToGrid(Console& c, int row, const std::string& eventText, const std::string& processingName,
                int status, const std::string& percentText);
// Shows the whole run log in the status box (read through a second, read-only stream).
void ErrorDisplay(Console& c);

// Checklist row picture.
void setRowStatus(Console& c, Row row, RowStatus status);
// Phase start: maximum = items, value 0, bar and percent label shown, so that the operator sees
// the step move (the grid's "Status %" column is copied from the label's text).
void startRow(Console& c, Row row, int itemCount);
// Sets the row's bar value (clamped to its maximum) and its percent text; a row in progress shows
// both.
void setRowValue(Console& c, Row row, int value);
// Advances the row's bar by one item.
void stepRow(Console& c, Row row);
// Success: picture completed, bar 0 and hidden, percent label hidden.
void completeRow(Console& c, Row row);
// Failure: picture failed, bar hidden, percent label "0 %" and hidden (the row no longer moves;
// the grid row keeps how far the step got); sets runFailed.
void failRow(Console& c, Row row);
const std::string& rowPercent(const Console& c, Row row);

// Overall bar: add 10 to Prgbar1 (capped at 100) and update lblPercent(15).
void advanceOverall(Console& c);
void setOverall(Console& c, int value);

// Takes the next event-grid row number from the run's counter (starts at 4).
int nextGridRow(Console& c);

// Every checklist row's bar 0 and hidden, its percent label emptied and hidden; the overall bar
// and the row pictures stay.
void resetChecklistBars(Console& c);
// End of a run: every row's bar 0 and hidden, every percent label emptied and hidden, the overall
// bar hidden. Row pictures stay, so the checklist still tells how each step ended.
void resetProgressDisplay(Console& c);

} // namespace quillan
