#pragma once
// Exact member times. The classic header of a member holds only a DOS time (local time, two-second
// resolution); Info-ZIP adds the extended timestamp field (id 0x5455, UTC seconds) and Windows
// tools the NTFS field (id 0x000a, 100 ns ticks since 1601, UTC). The pending check compares an
// installed file's time with the unpack time, so extraction must restore the exact time.
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace quillan::archive {

constexpr std::uint16_t kExtendedTimestampId = 0x5455;
constexpr std::uint16_t kNtfsTimesId = 0x000a;

using SysTime = std::chrono::time_point<std::chrono::system_clock, std::chrono::nanoseconds>;

// The modification time of an extended timestamp payload (the bytes after id and length), when
// its flags announce one and the payload holds it. Both parsers give nothing for a time outside
// 1900..2200 (damage, or a value the file clocks cannot hold), so the caller falls back.
std::optional<SysTime> parseExtendedTimestamp(const std::uint8_t* data, std::size_t size);
// The modification time of an NTFS times payload (tag 1 of the field).
std::optional<SysTime> parseNtfsTimes(const std::uint8_t* data, std::size_t size);

// Payload of an extended timestamp field holding only the modification time (flags 1), valid in
// both the local and the central header. Empty when the time does not fit the field's signed
// 32-bit seconds.
std::vector<std::uint8_t> makeExtendedTimestamp(SysTime mtime);

} // namespace quillan::archive
