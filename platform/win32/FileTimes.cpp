// File last-write times through the Win32 file-time functions.
#include "platform/FileTimes.h"

#include <windows.h>

namespace quillan {
namespace {

constexpr std::uint64_t ticksPerSecond = 10'000'000;     // FILETIME counts 100 ns ticks
constexpr std::int64_t unixEpochIn1601 = 11'644'473'600; // seconds from 1601-01-01 to 1970-01-01

std::uint64_t toTicks(const FILETIME& ft) {
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME fromTicks(std::uint64_t ticks) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

// FILE_FLAG_BACKUP_SEMANTICS lets folders be opened as well, so they answer their time too.
HANDLE openForTimes(const std::filesystem::path& file, DWORD access) {
    return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

// The file's instant shown in the zone rules that held at that instant, as the portable date code
// does everywhere. FileTimeToLocalFileTime is not used: it applies today's summer-time offset to
// every date, so a July file read in winter would be an hour off and fail the pending check.
int GetFileDate(const std::filesystem::path& file, DateTime& out) {
    HANDLE h = openForTimes(file, GENERIC_READ);
    if (h == INVALID_HANDLE_VALUE) {
        return -1;
    }
    FILETIME created, accessed, written;
    const bool read = GetFileTime(h, &created, &accessed, &written) != 0;
    if (!CloseHandle(h) || !read) {
        return -1;
    }
    const auto unixSeconds = static_cast<std::int64_t>(toTicks(written) / ticksPerSecond) - unixEpochIn1601;
    out = DateTime::fromSecondsSinceEpochLocal(unixSeconds);
    return 0;
}

bool SetFileDate(const std::filesystem::path& file, const DateTime& localTime) {
    if (!localTime.valid()) {
        return false;
    }
    const std::int64_t since1601 = localTime.toUnixSecondsLocal() + unixEpochIn1601;
    if (since1601 < 0) {
        return false;
    }
    const FILETIME utc = fromTicks(static_cast<std::uint64_t>(since1601) * ticksPerSecond);
    HANDLE h = openForTimes(file, FILE_WRITE_ATTRIBUTES);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool ok = SetFileTime(h, nullptr, nullptr, &utc) != 0;
    CloseHandle(h);
    return ok;
}

} // namespace quillan
