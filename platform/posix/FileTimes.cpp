// File last-write times through stat/utimensat; local time through the C library's zone rules.
#include "platform/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace quillan {

// Folders answer their time too: the backup listing asks for them and should not get a stale one.
int GetFileDate(const std::filesystem::path& file, DateTime& out) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        return -1;
    }
    out = DateTime::fromSecondsSinceEpochLocal(static_cast<std::int64_t>(st.st_mtim.tv_sec));
    return 0;
}

bool SetFileDate(const std::filesystem::path& file, const DateTime& localTime) {
    if (!localTime.valid()) {
        return false;
    }
    struct timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT; // leave the access time alone
    times[1].tv_sec = static_cast<time_t>(localTime.toUnixSecondsLocal());
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, file.c_str(), times, 0) == 0;
}

} // namespace quillan
