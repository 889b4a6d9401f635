#include "base/WindowsPath.h"

namespace quillan {

std::string joinWindows(const std::string& folder, const std::string& tail) {
    if (!folder.empty() && folder.back() == '\\' && !tail.empty() && tail.front() == '\\')
        return folder + tail.substr(1);
    return folder + tail;
}

} // namespace quillan
