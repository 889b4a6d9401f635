#include "archive/ExtraTime.h"

#include <limits>

namespace quillan::archive {
namespace {

std::uint64_t readLE(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kFileTimeEpochOffset = 11644473600LL;

// Stored times outside 1900..2200 are damage: they do not fit the nanosecond clocks that carry
// them to the file (an NTFS field of all ones would overflow), so the DOS time is used instead.
constexpr std::int64_t kEarliestSeconds = -2'208'988'800LL; // 1900-01-01 UTC
constexpr std::int64_t kLatestSeconds = 7'258'118'400LL;    // 2200-01-01 UTC

std::optional<SysTime> plausible(std::int64_t seconds, std::int64_t nanoseconds) {
    if (seconds < kEarliestSeconds || seconds >= kLatestSeconds)
        return std::nullopt;
    return SysTime(std::chrono::seconds(seconds) + std::chrono::nanoseconds(nanoseconds));
}

} // namespace

std::optional<SysTime> parseExtendedTimestamp(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 5 || (data[0] & 0x01) == 0)
        return std::nullopt;
    auto seconds = static_cast<std::int32_t>(static_cast<std::uint32_t>(readLE(data + 1, 4)));
    return plausible(seconds, 0);
}

std::optional<SysTime> parseNtfsTimes(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 4)
        return std::nullopt;
    std::size_t pos = 4; // reserved
    while (pos + 4 <= size) {
        auto tag = readLE(data + pos, 2);
        auto len = static_cast<std::size_t>(readLE(data + pos + 2, 2));
        pos += 4;
        if (pos + len > size)
            return std::nullopt;
        if (tag == 1 && len >= 8) {
            std::uint64_t ticks = readLE(data + pos, 8);
            // ticks / 10^7 is below 2^61: the subtraction cannot overflow.
            auto sinceUnix = static_cast<std::int64_t>(ticks / 10'000'000ULL) - kFileTimeEpochOffset;
            auto rest = static_cast<std::int64_t>(ticks % 10'000'000ULL) * 100;
            return plausible(sinceUnix, rest);
        }
        pos += len;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> makeExtendedTimestamp(SysTime mtime) {
    auto seconds = std::chrono::floor<std::chrono::seconds>(mtime).time_since_epoch().count();
    if (seconds < std::numeric_limits<std::int32_t>::min() ||
        seconds > std::numeric_limits<std::int32_t>::max())
        return {};
    auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(seconds));
    return {0x01, static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

} // namespace quillan::archive
