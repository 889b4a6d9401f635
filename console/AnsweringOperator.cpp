#include "console/AnsweringOperator.h"

#include "base/RunLog.h"

namespace quillan {

bool AnsweringOperator::given(Question q, const std::string& text, bool okCancel, bool& answer) {
    const auto it = answers_.find(q);
    if (it == answers_.end())
        return false;
    answer = it->second;
    if (log_)
        log_->line(std::string(">>-Answered from the command line (") + questionKey(q) + "): " + text +
                   " -> " + answerText(answer, okCancel));
    return true;
}

bool AnsweringOperator::askYesNo(Question q, const std::string& text) {
    bool a = false;
    return given(q, text, false, a) ? a : behind_.askYesNo(q, text);
}

bool AnsweringOperator::askOkCancel(Question q, const std::string& text) {
    bool a = false;
    return given(q, text, true, a) ? a : behind_.askOkCancel(q, text);
}

} // namespace quillan
