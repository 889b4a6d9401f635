#include "console/ReturnFolder.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace quillan {

namespace {
std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
    return s;
}
} // namespace

std::string ReturnFolder(Console& c, const std::string& filePath) {
    try {
        if (upper(filePath).find("APP.PATH") == std::string::npos)
            return filePath;
        // The marker is taken to stand at the start: the tail is cut after eight characters.
        return c.state.appPath + (filePath.size() > 8 ? filePath.substr(8) : std::string());
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " - ReturnFolder");
        return "";
    }
}

} // namespace quillan
