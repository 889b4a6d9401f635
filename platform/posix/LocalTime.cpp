// Local-time conversions through the C library's zone rules (TZ, /etc/localtime).
#include "platform/OsHooks.h"

#include <ctime>

namespace quillan::os {

std::optional<DateTime> localFromUnix(std::int64_t unixSeconds) {
    const auto t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        return std::nullopt;
    }
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::int64_t unixFromLocal(const DateTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1; // let the zone rules decide, as Windows does for local file times
    return static_cast<std::int64_t>(std::mktime(&tm));
}

} // namespace quillan::os
