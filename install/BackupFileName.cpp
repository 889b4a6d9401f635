#include "install/BackupFileName.h"

#include <cstdio>

namespace quillan {

std::string backupStamp(const DateTime& w) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%04d%02d%02d%02d", w.day, w.month, w.year, w.hour, w.minute,
                  w.second);
    return text;
}

std::string backupFileNameFor(const std::string& distributorCode, const DateTime& when) {
    return distributorCode + "_" + backupStamp(when) + ".bak";
}

bool isUsableDistributorCode(std::string_view code) {
    if (code.find("..") != std::string_view::npos)
        return false;
    for (char ch : code) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '\\' || ch == '/' || ch == ':' || ch == '*' || ch == '?' || u < 0x20 || u == 0x7f)
            return false;
    }
    return true;
}

} // namespace quillan
