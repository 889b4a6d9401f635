#include "platform/db/embedded/WorkbookDates.h"

#include <cmath>
#include <cstdio>

namespace quillan::db::embedded {

namespace {

constexpr double kFirstSerial = 61;           // 1900-03-01
constexpr double kEndSerial = 2958466;        // 10000-01-01
constexpr long long kEpochDayNumber = 693899; // 1899-12-30 as days since 0000-03-01, below

// The civil date of a day number counted from 1 March of year 0 (proleptic Gregorian calendar).
void civilDate(long long day, long long& year, unsigned& month, unsigned& dayOfMonth) {
    const long long era = day / 146097;
    const long long dayOfEra = day - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shiftedMonth = (5 * dayOfYear + 2) / 153; // 0 is March
    dayOfMonth = static_cast<unsigned>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<unsigned>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

bool has(std::string_view code, char lower) {
    for (const char c : code)
        if (c == lower || c == lower - ('a' - 'A'))
            return true;
    return false;
}

} // namespace

DateKind builtinFormatKind(unsigned formatIndex) {
    if (formatIndex >= 14 && formatIndex <= 17)
        return DateKind::Date;
    if ((formatIndex >= 18 && formatIndex <= 21) || (formatIndex >= 45 && formatIndex <= 47))
        return DateKind::Time;
    return formatIndex == 22 ? DateKind::DateTime : DateKind::Number;
}

DateKind formatCodeKind(std::string_view code) {
    const bool y = has(code, 'y'), m = has(code, 'm'), d = has(code, 'd'), h = has(code, 'h'),
               s = has(code, 's');
    if (m && (y || d))
        return y && d && h ? DateKind::DateTime : DateKind::Date;
    return m && (h || s) ? DateKind::Time : DateKind::Number;
}

bool isConvertibleSerial(double serial) {
    return serial >= kFirstSerial && serial < kEndSerial; // false for NaN too
}

std::string serialDateText(double serial, DateKind kind) {
    const double days = std::floor(serial);
    long long day = static_cast<long long>(days);
    long long seconds = static_cast<long long>((serial - days) * 86400.0 + 0.5);
    if (seconds >= 86400 && kind != DateKind::Date) {
        seconds -= 86400;
        ++day;
    }
    long long year = 0;
    unsigned month = 0, dayOfMonth = 0;
    civilDate(day + kEpochDayNumber, year, month, dayOfMonth);
    char text[64]; // room for any value the compiler can see, not only the years 1900-9999
    const int hh = static_cast<int>(seconds / 3600), mm = static_cast<int>(seconds / 60 % 60),
              ss = static_cast<int>(seconds % 60);
    if (kind == DateKind::Time)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", hh, mm, ss);
    else if (kind == DateKind::DateTime)
        std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02d:%02d:%02d", year, month, dayOfMonth, hh, mm,
                      ss);
    else
        std::snprintf(text, sizeof text, "%04lld-%02u-%02u", year, month, dayOfMonth);
    return text;
}

} // namespace quillan::db::embedded
