// Local-time conversions through the C runtime's 64-bit zone functions.
#include "platform/OsHooks.h"

#include <ctime>

namespace quillan::os {

std::optional<DateTime> localFromUnix(std::int64_t unixSeconds) {
    const __time64_t t = unixSeconds;
    std::tm tm{};
    if (_localtime64_s(&tm, &t) != 0) {
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
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(_mktime64(&tm));
}

} // namespace quillan::os
