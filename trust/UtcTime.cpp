#include "trust/UtcTime.h"

#include <chrono>
#include <cstdio>

namespace quillan::trust {

namespace ch = std::chrono;

std::string formatUtc(std::int64_t secondsSince1970) {
    const ch::sys_seconds t{ch::seconds(secondsSince1970)};
    const auto day = ch::floor<ch::days>(t);
    const ch::year_month_day ymd{day};
    const ch::hh_mm_ss hms{t - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                  static_cast<int>(hms.seconds().count()));
    return text;
}

namespace {
// The decimal number of `text[from, from + digits)`, or -1 when one is no digit.
int digitsAt(std::string_view text, std::size_t from, std::size_t digits) {
    int v = 0;
    for (std::size_t i = from; i < from + digits; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}
} // namespace

std::optional<std::int64_t> parseUtc(std::string_view text) {
    // 0123456789012345678 9
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    const int y = digitsAt(text, 0, 4), mo = digitsAt(text, 5, 2), d = digitsAt(text, 8, 2);
    const int h = digitsAt(text, 11, 2), mi = digitsAt(text, 14, 2), s = digitsAt(text, 17, 2);
    if (y < 1970 || mo < 0 || d < 0 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return std::nullopt;
    const ch::year_month_day ymd{ch::year(y), ch::month(static_cast<unsigned>(mo)),
                                 ch::day(static_cast<unsigned>(d))};
    if (!ymd.ok())
        return std::nullopt;
    const auto t = ch::sys_days(ymd) + ch::hours(h) + ch::minutes(mi) + ch::seconds(s);
    return ch::duration_cast<ch::seconds>(t.time_since_epoch()).count();
}

std::int64_t nowUtc() {
    return ch::duration_cast<ch::seconds>(ch::system_clock::now().time_since_epoch()).count();
}

} // namespace quillan::trust
