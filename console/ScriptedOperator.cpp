#include "console/ScriptedOperator.h"

#include "base/RunLog.h"
#include "platform/Text.h"

#include <istream>

namespace quillan {

ScriptedOperator::ScriptedOperator(Answers answers, std::ostream& out)
    : answers_(std::move(answers)), out_(out) {}

void ScriptedOperator::inform(const std::string& text) {
    out_ << "[Quillan] " << text << std::endl;
}

bool ScriptedOperator::askYesNo(Question q, const std::string& text) {
    return ask(q, text, false);
}

bool ScriptedOperator::askOkCancel(Question q, const std::string& text) {
    return ask(q, text, true);
}

bool ScriptedOperator::ask(Question q, const std::string& text, bool okCancel) {
    const std::string key = questionKey(q);
    if (auto it = answers_.find(q); it != answers_.end()) {
        out_ << "[Quillan ?] " << text << " -> " << answerText(it->second, okCancel) << " (--answer " << key
             << ")" << std::endl;
        return it->second;
    }
    if (auto given = askUnanswered(q, text, okCancel))
        return *given;
    const std::string safe = answerText(false, okCancel);
    out_ << "[Quillan ?] " << text << " -> " << safe << " (no answer given for \"" << key
         << "\": the safe answer was taken)" << std::endl;
    if (log_)
        log_->line(">>-No answer given for the question \"" + key + "\" (" + text + "): the safe answer " +
                   safe + " was taken");
    return false;
}

std::optional<bool> ScriptedOperator::askUnanswered(Question, const std::string&, bool) {
    return std::nullopt;
}

TerminalOperator::TerminalOperator(Answers answers, std::istream& in, std::ostream& out)
    : ScriptedOperator(std::move(answers), out), in_(in) {}

std::optional<bool> TerminalOperator::askUnanswered(Question, const std::string& text, bool okCancel) {
    for (;;) {
        out() << "[Quillan ?] " << text << (okCancel ? " [ok/cancel]: " : " [yes/no]: ") << std::flush;
        std::string typed;
        if (!std::getline(in_, typed))
            return std::nullopt; // end of input: the safe answer, reported by the caller
        const std::string line = lowerCase(trimmed(typed));
        if (line == "y" || line == "yes" || line == "ok" || line == "o")
            return true;
        if (line == "n" || line == "no" || line == "cancel" || line == "c")
            return false;
    }
}

} // namespace quillan
