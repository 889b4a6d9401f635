#include "transfer/ByteSizeText.h"

#include <array>
#include <cstdio>

namespace quillan::transfer {

std::string byteSizeText(std::uint64_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes) + " bytes";
    static const std::array<const char*, 6> units{"KB", "MB", "GB", "TB", "PB", "EB"};
    // Three significant digits, truncated; a value of 1000 or more moves to the next unit.
    long double value = static_cast<long double>(bytes) / 1024.0L;
    std::size_t unit = 0;
    while (value >= 1000.0L && unit + 1 < units.size()) {
        value /= 1024.0L;
        ++unit;
    }
    char buffer[64];
    if (value >= 100.0L)
        std::snprintf(buffer, sizeof buffer, "%llu %s", static_cast<unsigned long long>(value), units[unit]);
    else if (value >= 10.0L)
        std::snprintf(buffer, sizeof buffer, "%.1Lf %s",
                      static_cast<long double>(static_cast<long long>(value * 10.0L)) / 10.0L, units[unit]);
    else
        std::snprintf(buffer, sizeof buffer, "%.2Lf %s",
                      static_cast<long double>(static_cast<long long>(value * 100.0L)) / 100.0L, units[unit]);
    return buffer;
}

} // namespace quillan::transfer
