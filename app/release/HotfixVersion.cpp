#include "app/release/HotfixVersion.h"

#include "app/release/ReleaseError.h"
#include "platform/Text.h"

#include <cctype>

namespace quillan::release {

int hotfixNumber(const std::string& name, const std::string& text) {
    const std::string marker = upperCase(kHotfixMarker);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = upperCase(std::string_view(text).substr(start, end - start));
        const auto at = line.find(marker);
        if (at != std::string::npos) {
            if (at != 0)
                throw ReleaseError("hotfix " + name + ": its version line must begin with " +
                                   std::string(kHotfixMarker) +
                                   " (the runner reads the number after the "
                                   "marker's 26 characters)");
            std::string_view rest = trimmed(std::string_view(line).substr(marker.size()));
            std::size_t digits = 0;
            while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])))
                ++digits;
            const std::string_view number = rest.substr(0, digits);
            if (number.empty() || number.size() > 9 || std::stoi(std::string(number)) == 0 ||
                (digits < rest.size() && rest[digits] == '.'))
                throw ReleaseError("hotfix " + name + ": its version line " + std::string(kHotfixMarker) +
                                   " must carry a whole number from 1 to 999999999");
            return std::stoi(std::string(number));
        }
        start = end + 1;
    }
    throw ReleaseError("hotfix " + name + " has no version line: add a first line " +
                       std::string(kHotfixMarker) + "<number>");
}

bool recordsItself(const std::string& text) {
    return upperCase(text).find("HOTFIXLOG") != std::string::npos;
}

} // namespace quillan::release
