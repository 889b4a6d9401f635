#include "app/release/CsvScript.h"

namespace quillan::release {

std::string csvScript(const std::vector<SetupRow>& rows) {
    std::string s;
    const auto line = [&s](const std::vector<std::pair<std::string, std::string>>& columns, bool header) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            s += (i ? "\t" : "") + (header ? columns[i].first : columns[i].second);
        s += "\r\n";
    };
    line(columnTexts(SetupRow{}), true);
    for (const auto& row : rows)
        line(columnTexts(row), false);
    return s;
}

} // namespace quillan::release
