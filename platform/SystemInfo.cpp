// The portable part of the machine queries.
#include "platform/SystemInfo.h"

#include <cmath>
#include <system_error>

namespace quillan {

double freeGigabytes(std::uint64_t freeBytes) {
    const double gigabytes = static_cast<double>(freeBytes) / 1073741824.0;
    return std::round(gigabytes * 100.0) / 100.0;
}

bool createFolderLevel(const std::filesystem::path& folder, std::string& error) {
    error.clear();
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) {
        return true;
    }
    if (!std::filesystem::create_directory(folder, ec) && ec) {
        error = ec.message();
        return false;
    }
    if (!std::filesystem::is_directory(folder, ec)) {
        error = "File exists"; // a file of that name is in the way
        return false;
    }
    return true;
}

} // namespace quillan
