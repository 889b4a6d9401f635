#include "console/CreateFolder.h"

#include <exception>
#include <filesystem>

namespace quillan {

bool CreateFolder(Console& c, const std::string& path) {
    try {
        std::string level;
        std::size_t start = 0;
        bool first = true;
        for (;;) {
            const auto pos = path.find('\\', start);
            const std::string element =
                path.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
            if (first) {
                level = element;
                first = false;
            } else {
                const std::string parent = level;
                level += "\\" + element;
                // An empty element (doubled or trailing "\") names the same folder again.
                if (!element.empty() && !std::filesystem::is_directory(c.native(level))) {
                    // The parent is resolved without regard to case, as Windows would.
                    std::filesystem::create_directory(c.native(parent) / element);
                }
            }
            if (pos == std::string::npos)
                break;
            start = pos + 1;
        }
        return true;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In CreateFolder");
        return false;
    }
}

} // namespace quillan
