// The portable half of the file-time helpers: record conversions and the pending check's comparison.
#include "platform/FileTimes.h"

#include <cstdlib>
#include <system_error>

namespace quillan {
namespace {

constexpr std::uint64_t ticksPerSecond = 10'000'000; // FILETIME counts 100 ns ticks
constexpr std::int64_t closeEnoughSeconds = 100;

std::string twoDigits(int v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

} // namespace

DateTime FileTimeToDate(std::uint64_t fileTime) {
    const std::int64_t base = DateTime{1601, 1, 1, 0, 0, 0}.serialSeconds();
    return DateTime::fromSerialSeconds(base + static_cast<std::int64_t>(fileTime / ticksPerSecond));
}

// Built from the fields directly: the day-first text the original platform formed is only an
// intermediate there, and its reading depended on the machine's regional settings.
DateTime SystemTimeToDate(const SystemTime& st) {
    return DateTime{st.year, st.month, st.day, st.hour, st.minute, st.second};
}

std::string SystemTimeText(const SystemTime& st) {
    return std::to_string(st.day) + "/" + std::to_string(st.month) + "/" + std::to_string(st.year) + " " +
           std::to_string(st.hour) + ":" + twoDigits(st.minute) + ":" + twoDigits(st.second);
}

bool CompareFileDate(const std::filesystem::path& file, const std::string& referenceA,
                     const std::string& expectedB, std::string& error) {
    error.clear();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec) || std::filesystem::is_directory(file, ec)) {
        return false;
    }
    DateTime fileTime;
    if (GetFileDate(file, fileTime) != 0) {
        return true;
    }
    const auto a = DateTime::parse(referenceA);
    const auto b = DateTime::parse(expectedB);
    if (!a || !b) {
        // Shown as the error number, a blank and the description, as every comparison error is.
        error = "13 Type mismatch: not a date: '" + (a ? expectedB : referenceA) + "'";
        return true;
    }
    const std::int64_t fromA = std::llabs(fileTime.serialSeconds() - a->serialSeconds());
    const std::int64_t expected = std::llabs(a->serialSeconds() - b->serialSeconds());
    std::int64_t difference = fromA - expected;
    if (std::llabs(difference) < closeEnoughSeconds) {
        difference = 0;
    }
    return difference == 0;
}

bool CompareFileDate(const std::filesystem::path& file, const std::string& referenceA,
                     const std::string& expectedB) {
    std::string ignored;
    return CompareFileDate(file, referenceA, expectedB, ignored);
}

} // namespace quillan
