#include "console/Answers.h"

#include "platform/Text.h"

namespace quillan {

std::optional<Question> questionFromKey(std::string_view key) {
    const std::string k = lowerCase(key);
    for (Question q : {Question::Notice, Question::Server, Question::Continue, Question::Close})
        if (k == questionKey(q))
            return q;
    return std::nullopt;
}

std::optional<std::pair<Question, bool>> parseAnswer(std::string_view text) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    const auto q = questionFromKey(text.substr(0, eq));
    if (!q)
        return std::nullopt;
    const std::string v = lowerCase(text.substr(eq + 1));
    if (v == "yes" || v == "ok")
        return std::make_pair(*q, true);
    if (v == "no" || v == "cancel")
        return std::make_pair(*q, false);
    return std::nullopt;
}

const char* answerText(bool yes, bool okCancel) {
    if (okCancel)
        return yes ? "OK" : "Cancel";
    return yes ? "Yes" : "No";
}

} // namespace quillan
