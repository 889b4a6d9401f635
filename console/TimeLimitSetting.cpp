#include "console/TimeLimitSetting.h"

#include "console/Settings.h"
#include "platform/Text.h"

#include <charconv>

namespace quillan {

std::optional<std::chrono::minutes> parseTimeLimitMinutes(std::string_view text) {
    const std::string t(trimmed(text));
    int minutes = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), minutes);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || minutes < 1 ||
        minutes > kLongestTimeLimitMinutes)
        return std::nullopt;
    return std::chrono::minutes(minutes);
}

void ReadTimeLimit(Console& c) {
    auto& s = c.state;
    const auto text = firstText(c,
                                "select Condition From " + s.dbPrefix +
                                    ".dbo.configuration Where ModuleName='datatransfer' and "
                                    "DesCription='StatementTimeLimitMinutes' and len(ltrim(Condition))>0",
                                "Condition");
    s.statementTimeLimit = kDefaultStatementTimeLimit;
    if (text) {
        if (const auto minutes = parseTimeLimitMinutes(*text))
            s.statementTimeLimit = *minutes;
        else
            c.log.line(">>-StatementTimeLimitMinutes '" + *text + "' is not a number of minutes from 1 to " +
                       std::to_string(kLongestTimeLimitMinutes) + ": the default of " +
                       std::to_string(kDefaultStatementTimeLimit.count()) + " minutes applies");
    }
    if (c.conn)
        c.conn->setTimeLimit(s.statementTimeLimit);
}

} // namespace quillan
