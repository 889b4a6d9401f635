#include "platform/db/Connection.h"

namespace quillan::db {

std::vector<Recordset> Connection::queryAll(const std::string& sql) {
    auto rs = query(sql);
    if (rs.columns().empty())
        return {};
    return {std::move(rs)};
}

std::string timeLimitText(std::chrono::milliseconds limit) {
    const auto ms = limit.count();
    const std::string amount = ms % 60000 == 0  ? std::to_string(ms / 60000) + " minutes"
                               : ms % 1000 == 0 ? std::to_string(ms / 1000) + " seconds"
                                                : std::to_string(ms) + " milliseconds";
    return "The statement ran past its time limit of " + amount + " and was cancelled";
}

} // namespace quillan::db
