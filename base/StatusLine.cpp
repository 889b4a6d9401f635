#include "base/StatusLine.h"

namespace quillan {

void showErrorSentence(Console& c, const std::string& sentence) {
    c.model.setLabel(Label::LblStatus, sentence);
    c.model.setLabelColour(Label::LblStatus, kRed);
}

void showStatusNote(Console& c, const std::string& sentence) {
    c.model.setLabel(Label::LblStatus, sentence);
    c.model.setLabelColour(Label::LblStatus, LabelColour{});
}

void showOutcome(Console& c, const std::string& state, const LabelColour& colour) {
    c.model.setLabel(Label::lblPrs, state);
    c.model.setLabelColour(Label::lblPrs, colour);
    c.model.setLabelColour(Label::LblStatus, colour);
}

} // namespace quillan
