#include "base/CreateLogFile.h"

#include "base/WindowsPath.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace quillan {

bool CreateLogFile(Console& c, const std::string& name) {
    try {
        const auto file = c.native(joinWindows(c.state.appPath, "\\" + name));
        std::filesystem::remove(file);
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::runtime_error("Cannot create " + file.string());
        return true;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In CreateLogFile ");
        return false;
    }
}

} // namespace quillan
