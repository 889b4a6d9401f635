#pragma once
// File times as local date values, and the comparison the pending check relies on.
#include "platform/DateTime.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace quillan {

// Platform-neutral stand-in for the Windows SYSTEMTIME record.
struct SystemTime {
    std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0, hour = 0, minute = 0, second = 0,
                  milliseconds = 0;
};

// Reads the file's last-write time as local time into `out`. Answers 0 when read, -1 when the
// file cannot be read (then `out` is left unchanged).
int GetFileDate(const std::filesystem::path& file, DateTime& out);

// A Windows FILETIME (100 ns ticks since 1601-01-01) to a date value, no zone conversion.
DateTime FileTimeToDate(std::uint64_t fileTime);
DateTime SystemTimeToDate(const SystemTime& st);
// The day-first text SystemTimeToDate builds on the original platform: "5/3/2024 9:07:03".
std::string SystemTimeText(const SystemTime& st);

// True when the file's time lies as far from `referenceA` as `expectedB` does, within 100 seconds.
// A missing file answers False; an unreadable time answers True. Dates are database texts.
bool CompareFileDate(const std::filesystem::path& file, const std::string& referenceA,
                     const std::string& expectedB);
// The same, also telling why a comparison could not be made (a reference date that is not a date,
// in which case the answer is True as documented); `error` is emptied otherwise.
bool CompareFileDate(const std::filesystem::path& file, const std::string& referenceA,
                     const std::string& expectedB, std::string& error);

// Sets a file's last-write time (local). Used by unpacking and tests.
bool SetFileDate(const std::filesystem::path& file, const DateTime& localTime);

} // namespace quillan
