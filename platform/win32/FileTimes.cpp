// File last-write times through the Win32 file-time functions.
#include "platform/FileTimes.h"

#include <windows.h>

namespace quillan {
namespace {

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

int GetFileDate(const std::filesystem::path& file, DateTime& out) {
    HANDLE h = openForTimes(file, GENERIC_READ);
    if (h == INVALID_HANDLE_VALUE) {
        return -1;
    }
    FILETIME created, accessed, written;
    if (!GetFileTime(h, &created, &accessed, &written)) {
        CloseHandle(h);
        return -1;
    }
    if (!CloseHandle(h)) {
        return -1;
    }
    FILETIME local;
    if (!FileTimeToLocalFileTime(&written, &local)) {
        return -1;
    }
    out = FileTimeToDate(toTicks(local));
    return 0;
}

bool SetFileDate(const std::filesystem::path& file, const DateTime& localTime) {
    if (!localTime.valid()) {
        return false;
    }
    const std::int64_t base = DateTime{1601, 1, 1, 0, 0, 0}.serialSeconds();
    const auto ticks = static_cast<std::uint64_t>(localTime.serialSeconds() - base) * 10'000'000ull;
    const FILETIME local = fromTicks(ticks);
    FILETIME utc;
    if (!LocalFileTimeToFileTime(&local, &utc)) {
        return false;
    }
    HANDLE h = openForTimes(file, FILE_WRITE_ATTRIBUTES);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool ok = SetFileTime(h, nullptr, nullptr, &utc) != 0;
    CloseHandle(h);
    return ok;
}

} // namespace quillan
