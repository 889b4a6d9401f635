#pragma once
// The operator's answers given ahead of time on the command line ("--answer continue=yes").
#include "base/Operator.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quillan {

using Answers = std::map<Question, bool>; // true: Yes / OK

// Parses "KEY=VALUE": KEY one of notice, server, continue, close; VALUE yes, no, ok or cancel
// (any letter case). Returns nullopt for anything else, so a typo never turns into a silent No.
std::optional<std::pair<Question, bool>> parseAnswer(std::string_view text);

// Question key from its command-line name; nullopt for an unknown name.
std::optional<Question> questionFromKey(std::string_view key);

// The button an answer stands for: "Yes" / "No", or "OK" / "Cancel" for an OK/Cancel question.
const char* answerText(bool yes, bool okCancel);

} // namespace quillan
