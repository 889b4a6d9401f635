#pragma once
// A calendar date and time of day without a time zone: the "date value" the system stores in the
// database and compares with file times. Always local time, to the second.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillan {

struct DateTime {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;

    static DateTime now();                                                // local clock
    static DateTime fromSecondsSinceEpochLocal(std::int64_t unixSeconds); // a UTC instant shown in local time
    // Accepts "YYYY-MM-DD[ HH:MM[:SS[.fff]]]", "YYYY/MM/DD[ ...]" and "YYYY-MM-DDTHH:MM:SS".
    static std::optional<DateTime> parse(std::string_view text);

    std::string iso() const;     // "YYYY-MM-DD HH:MM:SS" (database text form)
    std::string isoDate() const; // "YYYY-MM-DD"
    std::string display() const; // "DD/MM/YYYY HH:MM:SS" (on screen)

    // Seconds on a continuous scale (proleptic Gregorian, no time zone): differences are exact.
    std::int64_t serialSeconds() const;
    static DateTime fromSerialSeconds(std::int64_t s);
    // The instant this local time denotes, in seconds since the Unix epoch (uses the machine's zone).
    std::int64_t toUnixSecondsLocal() const;

    bool valid() const;
    auto operator<=>(const DateTime&) const = default;
};

} // namespace quillan
