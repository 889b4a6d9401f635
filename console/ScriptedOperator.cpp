#include "console/ScriptedOperator.h"

#include "console/RunLog.h"

#include <algorithm>
#include <cctype>
#include <istream>

namespace quillan {

namespace {
const char* answerText(bool yes, bool okCancel) {
    if (okCancel)
        return yes ? "OK" : "Cancel";
    return yes ? "Yes" : "No";
}
} // namespace

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
        std::string line;
        if (!std::getline(in_, line))
            return std::nullopt; // end of input: the safe answer, reported by the caller
        std::transform(line.begin(), line.end(), line.begin(),
                       [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
        line.erase(0, line.find_first_not_of(" \t"));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        if (line == "y" || line == "yes" || line == "ok" || line == "o")
            return true;
        if (line == "n" || line == "no" || line == "cancel" || line == "c")
            return false;
    }
}

} // namespace quillan
