#pragma once
// The status sentence `LblStatus` and the run state `lblPrs`, with the colour that tells how
// things stand: an error sentence red, a note in the window's own colour, and at the end of a
// run both labels in the outcome's colour, so the sentence never reads as a success in red or
// as an error in green.
#include "base/Console.h"

#include <string>

namespace quillan {

// A failure's sentence, in red.
void showErrorSentence(Console& c, const std::string& sentence);
// A sentence that reports no failure, in the window's own colour.
void showStatusNote(Console& c, const std::string& sentence);
// The run's outcome: the run state's text, and its colour on both labels.
void showOutcome(Console& c, const std::string& state, const LabelColour& colour);

} // namespace quillan
