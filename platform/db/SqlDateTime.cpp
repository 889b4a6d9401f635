#include "platform/db/SqlDateTime.h"

namespace quillan::db {

std::string sqlDateTime(const DateTime& when) {
    const std::string date = when.isoDate();
    const std::string time = when.iso().substr(date.size() + 1); // "HH:MM:SS"
    return "'" + date + "T" + time + "'";
}

} // namespace quillan::db
