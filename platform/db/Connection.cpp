#include "platform/db/Connection.h"

namespace quillan::db {

std::vector<Recordset> Connection::queryAll(const std::string& sql) {
    auto rs = query(sql);
    if (rs.columns().empty())
        return {};
    return {std::move(rs)};
}

} // namespace quillan::db
