#include "status/RecordedRelease.h"

#include "status/StatusStatements.h"

#include <exception>

namespace quillan {

std::optional<std::string> NewestRecordedRelease(Console& c) {
    if (!c.conn)
        return std::nullopt;
    try {
        auto rs = c.conn->query(versionQuery(c.state.dbPrefix, false));
        if (rs.eof())
            return std::nullopt;
        return rs.field("Version").textOr("");
    } catch (const std::exception&) {
        return std::nullopt; // the summary says "unknown"; the run's own errors are logged already
    }
}

} // namespace quillan
