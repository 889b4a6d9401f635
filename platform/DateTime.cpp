// Calendar arithmetic and the text forms of date values. Zone-dependent work goes through OsHooks.
#include "platform/DateTime.h"

#include "platform/Text.h"

#include "platform/OsHooks.h"

#include <cctype>
#include <ctime>

namespace quillan {
namespace {

constexpr std::int64_t secondsPerDay = 86400;

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

// A cursor over the text being parsed; every reader answers false on a mismatch.
struct Scanner {
    std::string_view text;
    std::size_t pos = 0;

    bool atEnd() const { return pos == text.size(); }
    bool number(int& out, std::size_t minDigits, std::size_t maxDigits) {
        std::size_t n = 0;
        out = 0;
        while (pos < text.size() && n < maxDigits && std::isdigit(static_cast<unsigned char>(text[pos]))) {
            out = out * 10 + (text[pos] - '0');
            ++pos;
            ++n;
        }
        return n >= minDigits;
    }
    bool accept(char c) {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
};

std::string twoDigits(int v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

std::string fourDigits(int v) {
    std::string s = std::to_string(v);
    return std::string(s.size() < 4 ? 4 - s.size() : 0, '0') + s;
}

} // namespace

DateTime DateTime::now() {
    return fromSecondsSinceEpochLocal(static_cast<std::int64_t>(std::time(nullptr)));
}

DateTime DateTime::fromSecondsSinceEpochLocal(std::int64_t unixSeconds) {
    if (auto local = os::localFromUnix(unixSeconds)) {
        return *local;
    }
    // Outside what the C library represents: show the instant as if the zone were UTC.
    return fromSerialSeconds(DateTime{1970, 1, 1, 0, 0, 0}.serialSeconds() + unixSeconds);
}

std::optional<DateTime> DateTime::parse(std::string_view text) {
    Scanner s{trimmed(text)};
    DateTime dt{};
    dt.hour = dt.minute = dt.second = 0;
    if (!s.number(dt.year, 4, 4)) {
        return std::nullopt;
    }
    const char sep = s.accept('-') ? '-' : (s.accept('/') ? '/' : '\0');
    if (sep == '\0' || !s.number(dt.month, 1, 2) || !s.accept(sep) || !s.number(dt.day, 1, 2)) {
        return std::nullopt;
    }
    if (!s.atEnd()) {
        if (!s.accept('T') && !s.accept(' ')) {
            return std::nullopt;
        }
        while (s.accept(' ')) {
        }
        if (!s.number(dt.hour, 1, 2) || !s.accept(':') || !s.number(dt.minute, 2, 2)) {
            return std::nullopt;
        }
        if (s.accept(':')) {
            if (!s.number(dt.second, 2, 2)) {
                return std::nullopt;
            }
            int fraction = 0;
            if (s.accept('.') && !s.number(fraction, 1, 9)) {
                return std::nullopt;
            }
        }
    }
    if (!s.atEnd() || !dt.valid()) {
        return std::nullopt;
    }
    return dt;
}

std::string DateTime::iso() const {
    return isoDate() + " " + twoDigits(hour) + ":" + twoDigits(minute) + ":" + twoDigits(second);
}

std::string DateTime::isoDate() const {
    return fourDigits(year) + "-" + twoDigits(month) + "-" + twoDigits(day);
}

std::string DateTime::display() const {
    return twoDigits(day) + "/" + twoDigits(month) + "/" + fourDigits(year) + " " + twoDigits(hour) + ":" +
           twoDigits(minute) + ":" + twoDigits(second);
}

std::int64_t DateTime::serialSeconds() const {
    return daysFromCivil(year, month, day) * secondsPerDay + hour * 3600 + minute * 60 + second;
}

DateTime DateTime::fromSerialSeconds(std::int64_t s) {
    std::int64_t days = s / secondsPerDay;
    std::int64_t rest = s % secondsPerDay;
    if (rest < 0) {
        rest += secondsPerDay;
        --days;
    }
    DateTime dt;
    civilFromDays(days, dt.year, dt.month, dt.day);
    dt.hour = static_cast<int>(rest / 3600);
    dt.minute = static_cast<int>(rest / 60 % 60);
    dt.second = static_cast<int>(rest % 60);
    return dt;
}

std::int64_t DateTime::toUnixSecondsLocal() const {
    return os::unixFromLocal(*this);
}

bool DateTime::valid() const {
    return month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month) && hour >= 0 &&
           hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

} // namespace quillan
