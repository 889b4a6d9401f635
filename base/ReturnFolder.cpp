#include "base/ReturnFolder.h"

#include "platform/Text.h"

#include <exception>

namespace quillan {

std::string ReturnFolder(Console& c, const std::string& filePath) {
    try {
        if (upperCase(filePath).find("APP.PATH") == std::string::npos)
            return filePath;
        // The marker is taken to stand at the start: the tail is cut after eight characters.
        return c.state.appPath + (filePath.size() > 8 ? filePath.substr(8) : std::string());
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " - ReturnFolder");
        return "";
    }
}

} // namespace quillan
